// Every window on a 1024x768 screen: the window lies on the screen and every named control of it
// (buttons, boxes, lists, labels) lies inside the window and inside each frame that holds it, in
// each state the user can put the window in (the article window's promotion frames and tabs, the
// editor's extra-barcode panel, the settings' second tab).
// With TAVRINO_SCREENSHOTS=<folder> and a real X display the screen is saved after each window.
#include "archive/ui/Magazzino.h"
#include "core/AppState.h"
#include "core/Database.h"
#include "core/ui/frmChangeST.h"
#include "core/ui/frmDataSistema.h"
#include "core/ui/frmPswd.h"
#include "core/ui/frmSetupCassa.h"
#include "core/ui/frmTastiera.h"
#include "core/ui/mdiPrincipale.h"
#include "editing/ui/AggiungiMateriale.h"
#include "editing/ui/RepartiWindow.h"
#include "support/Pannelli.h"
#include "support/TestEnv.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QRect kSchermo(0, 0, 1024, 768);

bool controllo(const QWidget* c)
{
    if (c->objectName().isEmpty() || c->objectName().startsWith(QLatin1String("qt_")))
        return false;
    return qobject_cast<const QAbstractButton*>(c) || qobject_cast<const QLineEdit*>(c) ||
           qobject_cast<const QComboBox*>(c) || qobject_cast<const QAbstractItemView*>(c) ||
           qobject_cast<const QAbstractSpinBox*>(c) || qobject_cast<const QLabel*>(c) ||
           qobject_cast<const QGroupBox*>(c) || qobject_cast<const QTabBar*>(c);
}

// Names the controls that the user cannot reach whole; empty when all are.
QStringList fuoriSchermo(QWidget* w)
{
    QStringList fuori;
    const QRect finestra = w->frameGeometry();
    if (!kSchermo.contains(finestra))
        fuori << QStringLiteral("%1 %2x%3+%4+%5")
                     .arg(w->objectName())
                     .arg(finestra.width())
                     .arg(finestra.height())
                     .arg(finestra.x())
                     .arg(finestra.y());
    // Laid out, the window needs no more than the screen (a title bar of 30 pixels left over).
    if (w->layout()) {
        const QSize minimo = w->layout()->totalMinimumSize();
        if (minimo.width() > kSchermo.width() || minimo.height() > kSchermo.height() - 30)
            fuori << QStringLiteral("%1 almeno %2x%3").arg(w->objectName()).arg(minimo.width()).arg(minimo.height());
    }
    for (QWidget* c : w->findChildren<QWidget*>()) {
        if (c->isWindow() || !c->isVisibleTo(w) || !controllo(c))
            continue;
        // Inside each holder up to the window, so nothing is clipped by a frame either.
        QRect r = c->geometry();
        bool dentro = r.width() > 0 && r.height() > 0;
        for (QWidget* p = c->parentWidget(); p && dentro; p = p->parentWidget()) {
            dentro = p->rect().contains(r);
            if (p == w)
                break;
            r.translate(p->pos());
        }
        // A text that wraps needs its height too, or its last lines are cut.
        if (const auto* l = qobject_cast<const QLabel*>(c); l && l->wordWrap() && !l->text().isEmpty())
            dentro = dentro && l->height() >= l->heightForWidth(l->width());
        const QRect globale(c->mapToGlobal(QPoint(0, 0)), c->size());
        if (!dentro || !kSchermo.contains(globale))
            fuori << QStringLiteral("%1 %2x%3+%4+%5")
                         .arg(c->objectName())
                         .arg(globale.width())
                         .arg(globale.height())
                         .arg(globale.x())
                         .arg(globale.y());
    }
    return fuori;
}

void fotografa(const QString& nome)
{
    const QString dir = qEnvironmentVariable("TAVRINO_SCREENSHOTS");
    if (dir.isEmpty())
        return;
    QTest::qWait(300);
    QProcess::execute(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"),
                                                 QDir(dir).filePath(nome + QStringLiteral(".png"))});
}

void mostra(FormBase& w)
{
    w.showModeless();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QTest::qWait(50);
}

#define VERIFICA_SCHERMO(w, stato)                                                                                     \
    do {                                                                                                               \
        QCoreApplication::processEvents();                                                                             \
        const QStringList f = fuoriSchermo(&(w));                                                                      \
        QVERIFY2(f.isEmpty(), qPrintable(QStringLiteral(stato ": ") + f.join(QStringLiteral(", "))));                  \
    } while (0)

} // namespace

class TestSchermo1024 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        const QScreen* s = QGuiApplication::primaryScreen();
        QVERIFY(s);
        QCOMPARE(s->geometry(), kSchermo);
    }

    void articleWindow()
    {
        TestEnv env;
        QVERIFY(Db::exec(QStringLiteral("INSERT INTO Magazzino (CodMateriale, Descrizione, BarCode, Costo, "
                                        "\"Quantità\") VALUES (1, 'Biro', '8001', 10, 5)")));
        Magazzino& w = Forms::get<Magazzino>();
        mostra(w);
        QTRY_COMPARE(w.ListMagazzino->count(), 1);
        // The controls the shop keeper could not reach before, by name.
        for (QWidget* c : std::initializer_list<QWidget*>{w.frPLUQuidar, w.cmdInviaPLU, w.cmdRiceviPLU,
                                                          w.cmdStampaMagazzino, w.cmdStampaFrontalino, w.CmdUscita})
            QVERIFY2(c->isVisible(), qPrintable(c->objectName()));
        VERIFICA_SCHERMO(w, "elenco");
        fotografa(QStringLiteral("magazzino"));

        // Every tab with every frame state, reached as the user does (the promotion frame opens
        // on the first tab only), with the start-up notice at its largest beside the totals and
        // the export's progress shown; each state checked again after going back to the list.
        QFont f = w.lblTab->font();
        f.setPointSize(18);
        w.lblTab->setFont(f);
        w.lblTab->setText(QStringLiteral("INIZIANO/TERMINANO DELLE OFFERTE - EFFETTUARE UN INVIO ALLE CASSE"));
        w.lblTab->show();
        w.pbEsporta->show();
        w.lblEsporta->setText(QStringLiteral("123.456 / 123.456"));
        w.lblEsporta->show();
        for (int scheda = 0; scheda < 2; ++scheda)
            for (int cornici = 0; cornici < 4; ++cornici) {
                const bool promozione = cornici & 1, elenco = cornici & 2;
                const QString stato = QStringLiteral("scheda %1%2%3")
                                          .arg(scheda)
                                          .arg(promozione ? QStringLiteral(", promozione") : QString())
                                          .arg(elenco ? QStringLiteral(", elenco promozioni") : QString());
                if (promozione) {
                    w.cmdPromozioni->click();
                    // The reason under the price box at its longest.
                    w.lblMotivoPrezzo->setText(
                        QStringLiteral("Prezzo promozionale (999.999,99) superiore al prezzo del PLU (999.998,99)"));
                    w.lblMotivoPrezzo->show();
                }
                if (elenco)
                    w.cmdVediTutteLePromozioni->click();
                w.tbTAB->setCurrentIndex(scheda);
                QCOMPARE(w.frPromozione->isVisible(), promozione);
                QCOMPARE(w.frElencoPromozioni->isVisible(), elenco);
                QCOMPARE(w.frVendPLU->isVisible(), scheda == 1);
                QCoreApplication::processEvents(); // the layout settles
                QVERIFY2(fuoriSchermo(&w).isEmpty(),
                         qPrintable(stato + QStringLiteral(": ") + fuoriSchermo(&w).join(", ")));
                fotografa(QStringLiteral("magazzino-scheda%1-cornici%2").arg(scheda).arg(cornici));
                w.tbTAB->setCurrentIndex(0);
                QCoreApplication::processEvents();
                QVERIFY2(fuoriSchermo(&w).isEmpty(),
                         qPrintable(stato + QStringLiteral(", di nuovo elenco: ") + fuoriSchermo(&w).join(", ")));
                if (elenco)
                    w.cmdChiudiElencoOfferte->click();
                if (promozione)
                    w.cmdAnnullaPromozione->click();
            }

        Forms::get<frmEliminati>().showModeless();
        QVERIFY(QTest::qWaitForWindowExposed(Forms::instance<frmEliminati>()));
        VERIFICA_SCHERMO(*Forms::instance<frmEliminati>(), "eliminati");
        Forms::instance<frmEliminati>()->unload();
        w.unload();
    }

    void editor()
    {
        ArchivioProva archivio;
        TestEnv env;
        QVERIFY(Db::exec(QStringLiteral("INSERT INTO Magazzino (CodMateriale, Descrizione, BarCode, Costo, "
                                        "\"Quantità\", UnitaMisura) VALUES (1, 'Biro', '8001', 10, 5, 'Pz')")));
        AggiungiMateriale& ed = Forms::get<AggiungiMateriale>(archivio);
        QVERIFY(ed.PreparaPerModificaDaRecordset(QStringLiteral("1")) == AggiungiMateriale::Preparazione::Pronta);
        mostra(ed);
        VERIFICA_SCHERMO(ed, "editor");
        fotografa(QStringLiteral("editor"));
        ed.cmdBCAlternativi->click();
        VERIFICA_SCHERMO(ed, "codici alternativi");
        fotografa(QStringLiteral("editor-barcode"));
        ed.unload();
    }

    void keyboardDepartmentsPasswordDate()
    {
        ArchivioProva archivio;
        TestEnv env;
        QLineEdit campo;
        campo.setObjectName(QStringLiteral("campo"));
        frmTastiera& k = Forms::get<frmTastiera>();
        k.AbilitaDisabilita(3, &campo, QStringLiteral("campo"), false);
        mostra(k);
        VERIFICA_SCHERMO(k, "tastiera");
        k.unload();

        RepartiWindow& r = Forms::get<RepartiWindow>(archivio);
        mostra(r);
        VERIFICA_SCHERMO(r, "reparti");
        r.unload();

        frmPswd& p = Forms::get<frmPswd>();
        mostra(p);
        VERIFICA_SCHERMO(p, "password");
        p.unload();

        frmDataSistema& d = Forms::get<frmDataSistema>();
        mostra(d);
        VERIFICA_SCHERMO(d, "data");
        d.unload();

        frmChangeST& st = Forms::get<frmChangeST>();
        mostra(st);
        VERIFICA_SCHERMO(st, "stampanti");
        st.unload();
    }

    void mainWindow()
    {
        TestEnv env;
        mdiPrincipale& m = Forms::get<mdiPrincipale>();
        mostra(m);
        VERIFICA_SCHERMO(m, "finestra principale");
        m.hide();
    }

    void settings()
    {
        TestEnv env;
        frmSetupCassa& s = Forms::get<frmSetupCassa>();
        mostra(s);
        VERIFICA_SCHERMO(s, "impostazioni");
        fotografa(QStringLiteral("impostazioni"));
        auto* tabs = s.findChild<QTabWidget*>();
        QVERIFY(tabs);
        for (int i = 1; i < tabs->count(); ++i) {
            tabs->setCurrentIndex(i);
            VERIFICA_SCHERMO(s, "impostazioni, altra scheda");
            fotografa(QStringLiteral("impostazioni-%1").arg(i));
        }
        s.Command1->click();
    }
};

// The test's own screen: 1024x768, whatever display the other tests get.
int main(int argc, char** argv)
{
    QTemporaryDir dir;
    if (qEnvironmentVariable("QT_QPA_PLATFORM").startsWith(QLatin1String("offscreen"))) {
        const QString cfg = dir.filePath(QStringLiteral("schermo.json"));
        QFile f(cfg);
        if (!f.open(QIODevice::WriteOnly) ||
            f.write(R"({"screens":[{"name":"S1024","x":0,"y":0,"width":1024,"height":768,"logicalDpi":96}]})") < 0)
            return 2;
        f.close();
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + cfg.toLocal8Bit());
    }
    QApplication app(argc, argv);
    TestSchermo1024 t;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&t, argc, argv);
}

#include "tst_schermo1024.moc"
