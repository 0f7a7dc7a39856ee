// The proportional form resizer: recording, ratios, Tag rules, and the cases that must not move.
#include "core/ui/clsResize.h"
#include "support/TestEnv.h"

#include <QGroupBox>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QtTest>
#include <cmath>

namespace {
// A 400 x 200 window with controls placed by hand, one inside a group box.
struct Finestra
{
    QWidget form;
    QPushButton* a = new QPushButton(&form);
    QPushButton* b = new QPushButton(&form);
    QGroupBox* gruppo = new QGroupBox(&form);
    QPushButton* interno = new QPushButton(gruppo);
    clsResize r;

    Finestra()
    {
        form.resize(400, 200);
        a->setGeometry(10, 20, 100, 40);
        b->setGeometry(150, 30, 60, 30);
        gruppo->setGeometry(200, 100, 180, 80);
        interno->setGeometry(20, 30, 60, 30);
        r.setSourceForm(&form);
    }
    void resize(int w, int h)
    {
        form.resize(w, h);
        r.ResizeControls();
    }
};
} // namespace

class TestResize : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void ratiosAndTags()
    {
        TestEnv env(false);
        Finestra f;
        f.b->setProperty("Tag", QStringLiteral("@w"));        // width only, any case
        f.interno->setProperty("Tag", QStringLiteral("xyz")); // no "@": all four
        f.resize(800, 400);                                   // the first call records and moves nothing
        QCOMPARE(f.a->geometry(), QRect(10, 20, 100, 40));
        QCOMPARE(f.r.recordCount(), 4);

        f.resize(1600, 400);
        QCOMPARE(f.a->geometry(), QRect(20, 20, 200, 40));
        QCOMPARE(f.b->geometry(), QRect(150, 30, 120, 30));
        QCOMPARE(f.interno->geometry(), QRect(40, 30, 120, 30));
        f.resize(800, 600);
        QCOMPARE(f.a->geometry(), QRect(10, 30, 100, 60));
        QCOMPARE(f.b->geometry(), QRect(150, 30, 60, 30));
        QCOMPARE(f.interno->geometry(), QRect(20, 45, 60, 45));
    }

    void repeatedResizesDoNotDrift()
    {
        TestEnv env(false);
        Finestra f;
        f.r.ResizeControls();
        for (const QSize s : {QSize(333, 171), QSize(517, 263), QSize(401, 199), QSize(777, 333)})
            f.resize(s.width(), s.height());
        QCOMPARE(f.a->geometry(), QRect(19, 33, 194, 67)); // 10, 20, 100, 40 times 777/400, 333/200
        f.resize(400, 200);
        QCOMPARE(f.a->geometry(), QRect(10, 20, 100, 40));
        QCOMPARE(f.interno->geometry(), QRect(20, 30, 60, 30));
    }

    void minimisedZeroSizeAndDeadControls()
    {
        TestEnv env(false);
        Finestra f;
        f.r.ResizeControls();
        f.form.setWindowState(Qt::WindowMinimized);
        f.resize(800, 400);
        QCOMPARE(f.a->geometry(), QRect(10, 20, 100, 40));
        f.form.setWindowState(Qt::WindowNoState);
        delete f.b; // gone since it was recorded: skipped
        f.r.ResizeControls();
        QCOMPARE(f.a->geometry(), QRect(20, 40, 200, 80));

        Finestra vuota; // recorded with no size: no ratio, no crash
        vuota.form.resize(0, 0);
        vuota.r.ResizeControls();
        vuota.resize(300, 300);
        QCOMPARE(vuota.a->geometry(), QRect(10, 20, 100, 40));
    }

    void sizeFormToScreen()
    {
        TestEnv env(false);
        Finestra f;
        f.r.SizeFormToScreen(75);
        const QRect s = QGuiApplication::primaryScreen()->availableGeometry();
        const int w = int(std::floor(0.75 * s.width()));
        const int h = int(std::floor(0.75 * s.height()));
        QCOMPARE(f.form.size(), QSize(w, h));
        QVERIFY(std::abs(f.form.x() - s.x() - s.width() / 8) <= 1);
        QVERIFY(std::abs(f.form.y() - s.y() - s.height() / 8) <= 1);
        QCOMPARE(f.r.recordedSize(), QSize(400, 200)); // recorded at the design size, then rescaled
        QCOMPARE(f.a->width(), int(std::lround(100.0 * w / 400)));
        f.r.SizeFormToScreen(300); // more than the setting can hold: refused
        QCOMPARE(f.form.size(), QSize(w, h));
    }
};

QTEST_MAIN(TestResize)
#include "tst_resize.moc"
