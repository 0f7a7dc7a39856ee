// The on-screen keyboard: key groups per kind, typing rules, and what Invio writes where.
#include "core/AppState.h"
#include "core/VbConvert.h"
#include "core/ui/Ui.h"
#include "core/ui/frmTastiera.h"
#include "support/Riga.h"
#include "support/TestEnv.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStyleOptionButton>
#include <QTimer>
#include <QtTest>

namespace {

// The calling window, with one field of each kind the keyboard fills.
struct Chiamante
{
    QWidget form;
    QLineEdit* txtQta = named(new QLineEdit(&form), QStringLiteral("txtQta"));
    QLineEdit* txtData = named(new QLineEdit(new QGroupBox(&form)), QStringLiteral("txtData"));
    QComboBox* cbLibero = named(new QComboBox(&form), QStringLiteral("cbLibero"));
    QComboBox* cbLista = named(new QComboBox(&form), QStringLiteral("cbLista"));
    QSpinBox* spPezzi = named(new QSpinBox(&form), QStringLiteral("spPezzi"));
    QDoubleSpinBox* spPrezzo = named(new QDoubleSpinBox(&form), QStringLiteral("spPrezzo"));
    QDateEdit* dtDal = named(new QDateEdit(&form), QStringLiteral("dtDal"));
    QCheckBox* ckPeso = named(new QCheckBox(&form), QStringLiteral("ckPeso"));
    QLabel* lblNota = named(new QLabel(&form), QStringLiteral("lblNota"));

    Chiamante()
    {
        cbLibero->setEditable(true);
        cbLista->addItems({QStringLiteral("Bianco"), QStringLiteral("Rosso")});
        spPezzi->setRange(0, 100);
        spPrezzo->setRange(0, 1000);
    }
};

frmTastiera& prepara(int tipo, QWidget* form, const QString& nome, bool mascherato = false)
{
    frmTastiera& k = Forms::get<frmTastiera>();
    k.AbilitaDisabilita(tipo, form, nome, mascherato);
    k.show();
    return k;
}

// Clicks the keys: digits, letters, "-", "+", ",", and C clear, < backspace, _ space, ^ caps,
// ! the by-weight box, = Invio.
void premi(frmTastiera& k, const QString& tasti)
{
    const QString lettere = QStringLiteral("QWERTYUIOPASDFGHJKLZXCVBNM-+");
    const QString segni = QStringLiteral("C,<_^!=");
    QAbstractButton* const comandi[] = {k.ssNumeri[10], k.ssVirgola, k.ssIndietro, k.ssSpazio,
                                        k.ckMaiusc,     k.ckChilo,   k.ssInvio};
    for (const QChar c : tasti) {
        QAbstractButton* b = c.isDigit()                     ? k.ssNumeri[c.digitValue()]
                             : segni.contains(c)             ? comandi[segni.indexOf(c)]
                             : lettere.contains(c.toUpper()) ? k.ssAlfa[lettere.indexOf(c.toUpper())]
                                                             : nullptr;
        QVERIFY(b);
        QPoint dove = b->rect().center();
        if (auto* ck = qobject_cast<QCheckBox*>(b)) { // a check box takes clicks on its box only
            QStyleOptionButton opt;
            opt.initFrom(ck);
            dove = ck->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &opt, ck).center();
        }
        QTest::mouseClick(b, Qt::LeftButton, {}, dove);
    }
}

QString leggi(QWidget* w)
{
    if (auto* ck = qobject_cast<QCheckBox*>(w))
        return ck->isChecked() ? QStringLiteral("Vero") : QStringLiteral("Falso");
    if (auto* cb = qobject_cast<QComboBox*>(w))
        return cb->currentText();
    if (qobject_cast<QAbstractSpinBox*>(w))
        return w->property("value").toString();
    return w->property("text").toString();
}

} // namespace

class TestTastiera : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void keyGroupsPerKind()
    {
        TestEnv env(false);
        Chiamante c;
        frmTastiera& k = Forms::get<frmTastiera>();
        QWidget* const gruppi[] = {k.frNumeri, k.ssVirgola, k.frAlfabeto, k.frChilo, k.lblAvvisoData};
        // Per kind: numbers, comma, letters, by weight, date notice; '-' leaves the comma as it was.
        const char* const tabella[] = {"11000", "0-100", "11100", "0-010", "10001", "10000", "10000", "11000", "11100"};
        for (int tipo = 1; tipo <= 9; ++tipo) {
            for (const int prima : {5, 1}) {
                k.AbilitaDisabilita(prima, &c.form, QStringLiteral("txtQta"), false);
                const bool virgolaPrima = !k.ssVirgola->isHidden();
                k.AbilitaDisabilita(tipo, &c.form, QStringLiteral("txtQta"), false);
                for (int i = 0; i < 5; ++i) {
                    const char atteso = tabella[tipo - 1][i];
                    QVERIFY2(!gruppi[i]->isHidden() == (atteso == '-' ? virgolaPrima : atteso == '1'),
                             qPrintable(QStringLiteral("kind %1 after %2, group %3").arg(tipo).arg(prima).arg(i)));
                }
            }
        }
        // Outside 1..9 no group changes, but the echo masking does.
        k.AbilitaDisabilita(4, &c.form, QStringLiteral("txtQta"), false);
        k.AbilitaDisabilita(10, &c.form, QStringLiteral("txtQta"), true);
        QVERIFY(k.frNumeri->isHidden() && !k.frChilo->isHidden());
        QCOMPARE(k.lblDigitazione->echoMode(), QLineEdit::Password);
    }

    void typing_data()
    {
        QTest::addColumn<int>("tipo");
        QTest::addColumn<QString>("tasti");
        QTest::addColumn<QString>("eco");
        const Riga<int, QString, QString> riga;
        riga("time colon, fifth digit ignored", 6, "12305", "12:30");
        riga("backspace over the colon", 6, "123<<4", "12:4");
        riga("date shaping, ninth ignored", 5, "010220241", "01/02/2024");
        riga("kind 1 second comma ignored", 1, "1,5,2", "1,52");
        riga("kind 8 second comma kept", 8, "1,5,2", "1,5,2");
        riga("comma first", 1, ",,", ",");
        riga("C clears", 3, "12C3", "3");
        riga("backspace to empty and on empty", 1, "7<<", "");
        riga("caps off lower case", 2, "QW-", "qw-");
        riga("caps on then off", 2, "^QW^E_", "QWe ");
    }
    void typing()
    {
        QFETCH(int, tipo);
        QFETCH(QString, tasti);
        QFETCH(QString, eco);
        TestEnv env(false);
        Chiamante c;
        premi(prepara(tipo, &c.form, QStringLiteral("txtQta")), tasti);
        QCOMPARE(Forms::instance<frmTastiera>()->lblDigitazione->text(), eco);
    }

    void dateEnter()
    {
        TestEnv env(false);
        {
            Chiamante c;
            premi(prepara(5, &c.form, QStringLiteral("txtData")), QStringLiteral("="));
            QCOMPARE(c.txtData->text(), Vb::formatDate(QDate::currentDate()));
            QVERIFY(!Forms::isLoaded<frmTastiera>());
        }
        for (const QString& cattiva : {QStringLiteral("0102"), QStringLiteral("31022024")}) {
            Chiamante c;
            env.clearMessages();
            frmTastiera& k = prepara(5, &c.form, QStringLiteral("txtData"));
            premi(k, cattiva + QLatin1Char('='));
            QCOMPARE(env.messages(), QStringList{QStringLiteral("Scrivere la data in Modo Corretto")});
            QCOMPARE(c.txtData->text(), QString());
            QVERIFY(k.isVisible());
            QCOMPARE(k.lblDigitazione->text().remove(QLatin1Char('/')), cattiva);
            k.unload();
        }
        Chiamante c;
        premi(prepara(5, &c.form, QStringLiteral("txtData")), QStringLiteral("29022024="));
        QCOMPARE(c.txtData->text(), QStringLiteral("29/02/2024"));
        QCOMPARE(c.txtData->inputMask(), QStringLiteral("99/99/9999"));
        premi(prepara(5, &c.form, QStringLiteral("dtDal")), QStringLiteral("15082025="));
        QCOMPARE(c.dtDal->date(), QDate(2025, 8, 15));
    }

    void writesEachKindOfField_data()
    {
        QTest::addColumn<int>("tipo");
        QTest::addColumn<QString>("nome");
        QTest::addColumn<QString>("tasti");
        QTest::addColumn<QString>("valore");
        const Riga<int, QString, QString, QString> riga;
        riga("line edit, name in other case", 3, "TXTQTA", "AB12", "ab12");
        riga("line edit inside a frame", 6, "txtData", "0930", "09:30");
        riga("editable combo", 2, "cbLibero", "^ZZ", "ZZ");
        riga("closed combo, item in other case", 2, "cbLista", "ROSSO", "Rosso");
        riga("closed combo, no such item", 2, "cbLista", "NERO", "Bianco");
        riga("spin box", 7, "spPezzi", "42", "42");
        riga("spin box, out of range not clamped", 7, "spPezzi", "500", "0");
        riga("double spin box", 1, "spPrezzo", "3,5", "3.5");
        riga("by weight, check box", 4, "ckPeso", "!", "Vero");
        riga("by weight, line edit", 4, "txtQta", "!", "Vero");
        riga("not by weight", 4, "txtQta", "", "Falso");
        riga("label", 9, "lblNota", "OK1", "ok1");
        riga("no such control", 1, "txtNonCe", "9", "");
    }
    void writesEachKindOfField()
    {
        QFETCH(int, tipo);
        QFETCH(QString, nome);
        QFETCH(QString, tasti);
        QFETCH(QString, valore);
        TestEnv env(false);
        Chiamante c;
        QSignalSpy modifiche(c.txtQta, &QLineEdit::textChanged);
        premi(prepara(tipo, &c.form, nome), tasti + QLatin1Char('='));
        QVERIFY(!Forms::isLoaded<frmTastiera>());
        QWidget* campo = Tastiera::trovaControllo(&c.form, nome);
        QCOMPARE(campo ? leggi(campo) : QString(), valore);
        QCOMPARE(modifiche.count(), campo == c.txtQta ? 1 : 0); // the field's own handlers run
    }

    void targetLookup()
    {
        TestEnv env(false);
        Chiamante c;
        auto* doppio = named(new QLineEdit(&c.form), QStringLiteral("TxtQta")); // the first created wins
        premi(prepara(1, &c.form, QStringLiteral("txtqta")), QStringLiteral("5="));
        QCOMPARE(c.txtQta->text(), QStringLiteral("5"));
        QCOMPARE(doppio->text(), QString());

        auto* chiusa = new QWidget; // the calling window closed meanwhile: nothing written, no crash
        named(new QLineEdit(chiusa), QStringLiteral("txtQta"));
        frmTastiera& k = prepara(1, chiusa, QStringLiteral("txtQta"));
        delete chiusa;
        premi(k, QStringLiteral("9="));
        QVERIFY(!Forms::isLoaded<frmTastiera>());
    }

    void shownAndHidden()
    {
        TestEnv env(false);
        Chiamante c;
        QPointer<frmTastiera> k = &Forms::get<frmTastiera>();
        QTimer::singleShot(3000, [&] { // a guard: the modal show must end by itself
            if (k)
                k->hide();
        });
        QTimer::singleShot(50, [&] { premi(*k, QStringLiteral("4=")); });
        frmTastiera::apriPer(1, &c.form, QStringLiteral("txtQta"));
        QCOMPARE(c.txtQta->text(), QStringLiteral("4"));

        app().tastieraVisibile = false;
        k = &Forms::get<frmTastiera>();
        QElapsedTimer t;
        t.start();
        frmTastiera::apriPer(1, &c.form, QStringLiteral("txtQta"));
        QVERIFY(t.elapsed() < 2000);
        QVERIFY(k && !k->isVisible());
        QCOMPARE(c.txtQta->text(), QStringLiteral("4"));
    }
};

QTEST_MAIN(TestTastiera)
#include "tst_tastiera.moc"
