// The technician's password window: only the exact password opens, every other way out leaves 0.
#include "core/AppState.h"
#include "core/ui/frmPswd.h"
#include "support/TestEnv.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

namespace {
const QString kErrata = QStringLiteral("PASSWORD ERRATA RIPROVARE");

QPointer<frmPswd> apri(const QString& tag = QStringLiteral("TCN"))
{
    app().tecnicoAbilitato = 1; // left by an earlier success: the load must clear it
    frmPswd& f = Forms::get<frmPswd>();
    f.setTag(tag);
    f.show();
    return &f;
}
} // namespace

class TestPswd : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void refused_data()
    {
        QTest::addColumn<QString>("tag");
        QTest::addColumn<QString>("digitata");
        const QString tcn = QStringLiteral("TCN");
        QTest::newRow("lower case") << tcn << QStringLiteral("bordask");
        QTest::newRow("leading blank") << tcn << QStringLiteral(" BORDASK");
        QTest::newRow("trailing blank") << tcn << QStringLiteral("BORDASK ");
        QTest::newRow("prefix") << tcn << QStringLiteral("BORDAS");
        QTest::newRow("empty") << tcn << QString();
        QTest::newRow("no tag") << QString() << QStringLiteral("BORDASK");
        QTest::newRow("tag in other case") << QStringLiteral("tcn") << QStringLiteral("BORDASK");
    }
    void refused()
    {
        QFETCH(QString, tag);
        QFETCH(QString, digitata);
        TestEnv env(false);
        QPointer<frmPswd> f = apri(tag);
        QCOMPARE(app().tecnicoAbilitato, 0);
        for (int prova = 0; prova < 2; ++prova) { // tries are not limited
            QTest::keyClicks(f->TxtCodice, digitata);
            QTest::mouseClick(f->cmdOk, Qt::LeftButton);
            QCOMPARE(env.messages().size(), prova + 1);
            QCOMPARE(env.messages().last(), kErrata);
            QCOMPARE(app().tecnicoAbilitato, 0);
            QVERIFY(f && f->isVisible());
            QCOMPARE(f->TxtCodice->text(), QString());
        }
    }

    void acceptedByButtonOrEnter()
    {
        TestEnv env(false);
        for (const bool conInvio : {false, true}) {
            QPointer<frmPswd> f = apri();
            QTest::keyClick(f->TxtCodice, Qt::Key_Return); // on an empty box: nothing
            QVERIFY(env.messages().isEmpty() && f->isVisible());
            QTest::keyClicks(f->TxtCodice, QStringLiteral("BORDASK"));
            if (conInvio)
                QTest::keyClick(f->TxtCodice, Qt::Key_Return);
            else
                QTest::mouseClick(f->cmdOk, Qt::LeftButton);
            QCOMPARE(app().tecnicoAbilitato, 1);
            QVERIFY(!Forms::isLoaded<frmPswd>());
            QVERIFY(f); // closed; deleted when the event loop runs again
            QCOMPARE(f->tag(), QString());
        }
        QVERIFY(env.messages().isEmpty());
    }

    void cancelAndCloseLeaveZero()
    {
        TestEnv env(false);
        for (const bool titolo : {false, true}) {
            QPointer<frmPswd> f = apri();
            QTest::keyClicks(f->TxtCodice, QStringLiteral("BORDASK12345"));
            QCOMPARE(f->TxtCodice->text(), QStringLiteral("BORDASK123")); // at most 10
            QCOMPARE(f->TxtCodice->echoMode(), QLineEdit::Password);
            if (titolo)
                f->close();
            else
                QTest::mouseClick(f->cmdEsci, Qt::LeftButton);
            QCOMPARE(app().tecnicoAbilitato, 0);
            QVERIFY(!Forms::isLoaded<frmPswd>());
        }
    }

    void chiediTecnico()
    {
        TestEnv env(false);
        for (const bool giusta : {true, false}) { // each guarded operation asks again
            QTimer::singleShot(20, [giusta] {
                frmPswd* f = Forms::instance<frmPswd>();
                QVERIFY(f);
                if (giusta)
                    QTest::keyClicks(f->TxtCodice, QStringLiteral("BORDASK"));
                QTest::mouseClick(giusta ? f->cmdOk : f->cmdEsci, Qt::LeftButton);
            });
            QCOMPARE(frmPswd::chiediTecnico(), giusta);
        }
    }
};

QTEST_MAIN(TestPswd)
#include "tst_pswd.moc"
