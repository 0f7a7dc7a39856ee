// The window base (default instances, modal show, the activation rule), the program's message box
// and the main window (background picture, exit question, toolbar).
#include "core/IniFile.h"
#include "core/ui/FormBase.h"
#include "core/ui/Ui.h"
#include "core/ui/WidgetInteraction.h"
#include "core/ui/frmSetupCassa.h"
#include "core/ui/mdiPrincipale.h"
#include "support/TestEnv.h"

#include <QAbstractButton>
#include <QAction>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <memory>

class ProvaForm : public FormBase
{
    Q_OBJECT
public:
    using FormBase::FormBase;
    static inline int loads = 0;
    int activations = 0;
    bool refuseClose = false;
    int unloads = 0;

protected:
    void formLoad() override { ++loads; }
    void formActivate() override { ++activations; }
    bool formQueryUnload() override { return !refuseClose; }
    void formUnload() override { ++unloads; }
};

class AltraForm : public ProvaForm
{
    Q_OBJECT
public:
    using ProvaForm::ProvaForm;
};

namespace {

// Makes `w` the active window as the window system would, and lets the deferred activation run.
void activate(QWidget* w)
{
    w->show();
    QApplication::setActiveWindow(w);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

} // namespace

class TestForms : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void defaultInstance()
    {
        TestEnv env(false);
        ProvaForm::loads = 0;
        QVERIFY(!Forms::isLoaded<ProvaForm>());
        ProvaForm& a = Forms::get<ProvaForm>();
        ProvaForm& again = Forms::get<ProvaForm>();
        QCOMPARE(&a, &again);
        QCOMPARE(ProvaForm::loads, 1);
        QCOMPARE(Forms::instance<ProvaForm>(), &a);
        QVERIFY(Forms::instance<AltraForm>() == nullptr); // one instance per window class

        QPointer<ProvaForm> old(&a);
        QVERIFY(a.unload()); // hidden: still unloaded
        QCOMPARE(old->unloads, 1);
        QVERIFY(!Forms::isLoaded<ProvaForm>());
        ProvaForm& fresh = Forms::get<ProvaForm>();
        QVERIFY(&fresh != old.data());
        QCOMPARE(ProvaForm::loads, 2);
        QTRY_VERIFY(old.isNull());

        // A refused unload keeps the same instance.
        fresh.refuseClose = true;
        fresh.show();
        QVERIFY(!fresh.unload());
        QVERIFY(fresh.isVisible());
        QCOMPARE(Forms::instance<ProvaForm>(), &fresh);
        fresh.refuseClose = false;
        Forms::unload<ProvaForm>();
        QVERIFY(!Forms::isLoaded<ProvaForm>());
        QCOMPARE(fresh.unloads, 1); // unload steps ran once
    }

    void showModalReturnsWhenClosedOrHidden_data()
    {
        QTest::addColumn<bool>("hide");
        QTest::newRow("closed") << false;
        QTest::newRow("hidden") << true;
    }
    void showModalReturnsWhenClosedOrHidden()
    {
        QFETCH(bool, hide);
        TestEnv env(false);
        ProvaForm& f = Forms::get<ProvaForm>();
        QPointer<ProvaForm> p(&f);
        bool wasModal = false;
        QTimer::singleShot(30, [p, hide, &wasModal] {
            wasModal = p && p->isModal() && QApplication::activeModalWidget() == p;
            if (!p)
                return;
            if (hide)
                p->hide();
            else
                p->close();
        });
        QElapsedTimer t;
        t.start();
        f.showModal();
        QVERIFY(t.elapsed() < 5000);
        QVERIFY(wasModal);
        QCOMPARE(Forms::isLoaded<ProvaForm>(), hide);
        if (hide)
            QVERIFY(!p->isModal());
    }

    void activationRule()
    {
        TestEnv env(false);
        ProvaForm& a = Forms::get<ProvaForm>();
        AltraForm& b = Forms::get<AltraForm>();

        activate(&a);
        QCOMPARE(a.activations, 1); // first show
        activate(&a);
        QCOMPARE(a.activations, 1); // the same window again

        activate(&b);
        QCOMPARE(b.activations, 1);
        activate(&a);
        QCOMPARE(a.activations, 2); // coming from another of our windows

        // A message box, a dialog, or another application in between: no activation.
        QMessageBox box(QMessageBox::Information, "t", "x");
        activate(&box);
        box.hide();
        activate(&a);
        QCOMPARE(a.activations, 2);

        QApplication::setActiveWindow(nullptr); // the user went to another program
        QCoreApplication::processEvents();
        activate(&a);
        QCOMPARE(a.activations, 2);

        activate(&b);
        QCOMPARE(b.activations, 2);
        QCOMPARE(a.activations, 2);
    }

    // A window built where a destroyed one was is a new window, with its own first activation; a
    // window left open is deleted with its test, and the next test starts with none open.
    void newWindowAndNextTest()
    {
        QPointer<ProvaForm> left;
        {
            TestEnv env(false);
            auto old = std::make_unique<ProvaForm>();
            activate(old.get());
            QCOMPARE(old->activations, 1);
            old.reset();
            auto fresh = std::make_unique<ProvaForm>(); // usually where the old one was
            activate(fresh.get());
            QCOMPARE(fresh->activations, 1);
            fresh.reset();
            left = &Forms::get<ProvaForm>();
            left->show();
        }
        QVERIFY(left.isNull());
        TestEnv env(false);
        QVERIFY(!Forms::isLoaded<ProvaForm>());
    }

    void activationSkipsUnloadingWindow()
    {
        TestEnv env(false);
        ProvaForm& a = Forms::get<ProvaForm>();
        QPointer<ProvaForm> p(&a);
        a.show();
        QApplication::setActiveWindow(&a);
        a.close(); // before the deferred activation ran
        QCoreApplication::processEvents();
        QTRY_VERIFY(p.isNull());
    }

    void background_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("picture");
        QTest::newRow("missing key") << "missing key" << false;
        QTest::newRow("empty") << "empty" << false;
        QTest::newRow("no such file") << "no such file" << false;
        QTest::newRow("a folder") << "a folder" << false;
        QTest::newRow("not a picture") << "not a picture" << false;
        QTest::newRow("picture") << "picture" << true;
    }
    void background()
    {
        QFETCH(QString, kind);
        QFETCH(bool, picture);
        TestEnv env;
        QString value;
        if (kind == "empty")
            value = "";
        if (kind == "no such file")
            value = env.path("manca.png");
        if (kind == "a folder") {
            value = env.path("sfondo.png");
            QDir().mkpath(value);
        }
        if (kind == "not a picture") {
            value = env.path("sfondo.png");
            writeRaw(value, "non è un'immagine");
        }
        if (kind == "picture") {
            value = env.path("sfondo.png");
            QImage img(40, 30, QImage::Format_RGB32);
            img.fill(Qt::red);
            QVERIFY(img.save(value));
        }
        if (kind != "missing key")
            QVERIFY(ScriviINI(env.setup(), "InterfacciaUtente", "ImgSfondo", value));

        mdiPrincipale& m = Forms::get<mdiPrincipale>();
        m.show();
        m.activate();
        QCOMPARE(!m.Image1->pixmap().isNull(), picture);
        QCOMPARE(m.pctSfondo->isHidden(), !picture);
        QCOMPARE(app().immagineSfondo, picture ? value : QString());
        if (kind == "not a picture")
            QVERIFY(readAll(env.path("Dati/ErrorLog.dat")).contains("*-mdiPrincipale-MDIForm_Activate-]"));

        // Once hidden, the area stays hidden even when a good picture comes later.
        if (!picture) {
            const QString good = env.path("buono.png");
            QImage img(10, 10, QImage::Format_RGB32);
            img.fill(Qt::blue);
            QVERIFY(img.save(good));
            QVERIFY(ScriviINI(env.setup(), "InterfacciaUtente", "ImgSfondo", good));
            m.activate();
            QVERIFY(!m.Image1->pixmap().isNull());
            QVERIFY(m.pctSfondo->isHidden());
            QCOMPARE(app().immagineSfondo, good);
        }
        // A window shorter than its bars gives the background no height, not a negative one.
        m.resize(300, 10);
        QCoreApplication::processEvents();
        QVERIFY(m.pctSfondo->height() >= 0);
    }

    // The program's message box: its title, CR LF as a line break, the default button, the answer.
    void programMessageBox_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("shownTitle");
        QTest::addColumn<int>("def");
        QTest::addColumn<int>("press");
        QTest::newRow("program title, No default") << ""
                                                   << "Tavrino prova" << int(Interaction::No) << int(QMessageBox::Yes);
        QTest::newRow("own title, no default") << "Attenzione"
                                               << "Attenzione" << int(Interaction::NoButton) << int(QMessageBox::No);
    }
    void programMessageBox()
    {
        QFETCH(QString, title);
        QFETCH(QString, shownTitle);
        QFETCH(int, def);
        QFETCH(int, press);
        TestEnv env(false);
        app().titoloProgramma = "Tavrino prova";
        WidgetInteraction ui;
        QString seenTitle, seenText;
        int seenDefault = -1;
        QTimer::singleShot(0, [&] {
            auto* mb = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!mb)
                return;
            seenTitle = mb->windowTitle();
            seenText = mb->text();
            seenDefault = mb->defaultButton() ? int(mb->standardButton(mb->defaultButton())) : 0;
            mb->button(QMessageBox::StandardButton(press))->click();
        });
        const auto answer = ui.ask("Prima riga\r\nSeconda riga", Interaction::Yes | Interaction::No,
                                   Interaction::Icon::Question, Interaction::Button(def), title);
        QCOMPARE(int(answer), press);
        QCOMPARE(seenTitle, shownTitle);
        QCOMPARE(seenText, QString("Prima riga\nSeconda riga"));
        if (def != Interaction::NoButton)
            QCOMPARE(seenDefault, def);
    }

    void exitQuestion()
    {
        TestEnv env(false);
        const int& ends = env.programma().fine;
        mdiPrincipale& m = Forms::get<mdiPrincipale>();
        m.show();

        env.answer({QMessageBox::Cancel});
        QVERIFY(!m.close()); // the close box
        QVERIFY(m.isVisible());
        QCOMPARE(ends, 0);
        QCOMPARE(env.messages(), QStringList{"Vuoi uscire dal programma e tornare a Windows ?"});

        env.answer({QMessageBox::Cancel});
        m.button("tbEsci")->trigger();
        QVERIFY(m.isVisible());
        QCOMPARE(ends, 0);

        env.answer({QMessageBox::Ok});
        m.button("tbEsci")->trigger();
        QCOMPARE(ends, 1);
        QCOMPARE(env.messages().size(), 3);
        QApplication::restoreOverrideCursor();
    }

    void toolbarKeys()
    {
        TestEnv env;
        const int& magazzino = env.programma().magazzino;
        mdiPrincipale& m = Forms::get<mdiPrincipale>();
        for (const char* key : {"tbMaga", "tbImpo", "tbEsci"}) {
            QVERIFY2(m.button(key), key);
            QVERIFY(m.findChild<QWidget*>(key));
        }
        m.Toolbar1_ButtonClick("tbMaga");
        QCOMPARE(magazzino, 1);
        m.Toolbar1_ButtonClick("tbNessuno");
        QCOMPARE(magazzino, 1);
        QVERIFY(env.messages().isEmpty());

        // The settings window opens modally and the button returns when it closes.
        bool sawModal = false;
        QTimer::singleShot(50, [&sawModal] {
            if (frmSetupCassa* s = Forms::instance<frmSetupCassa>()) {
                sawModal = s->isVisible() && s->isModal();
                s->hide();
            }
        });
        m.button("tbImpo")->trigger();
        QVERIFY(sawModal);
    }
};

QTEST_MAIN(TestForms)
#include "tst_forms.moc"
