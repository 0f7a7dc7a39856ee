// Clicks that come faster than a window loads: a second click, or a "Chiudi" of the window
// underneath, while a window waits at the end of its load, and presses through the accessibility
// interface on a window a modal one blocks. None of them may run in the middle of the load: the
// second click opens nothing twice and the first operation goes on with windows that still exist.
// Under the sanitizers (build/asan) a use after free here fails the run.
#include "archive/ui/Magazzino.h"
#include "core/AppState.h"
#include "core/Database.h"
#include "core/IniFile.h"
#include "core/TextFile.h"
#include "core/Wait.h"
#include "core/ui/frmPswd.h"
#include "core/ui/frmSetupCassa.h"
#include "core/ui/mdiPrincipale.h"
#include "editing/ui/AggiungiMateriale.h"
#include "editing/ui/RepartiWindow.h"
#include "import/RigheCentrale.h"
#include "import/ui/frmImporta.h"
#include "reglink/Timings.h"
#include "support/FakeRegister.h"
#include "support/FinestraMagazzino.h"
#include "support/LineaProva.h"
#include "support/TestEnv.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QCheckBox>
#include <QDir>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QSpontaneKeyEvent>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <functional>

namespace {

// The user at the keyboard: every few milliseconds, acts on the window that is up (answers the
// password, closes the window), as fast as a user who knows what comes next. Counts the windows seen.
class Utente
{
public:
    Utente()
    {
        m_t.setInterval(20);
        QObject::connect(&m_t, &QTimer::timeout, [this] { passo(); });
        m_t.start();
    }
    // `azione` runs once for each new visible instance of T.
    template <class T> void quando(std::function<void(T&)> azione)
    {
        m_regole.push_back([this, azione] {
            T* w = Forms::instance<T>();
            if (!w || !w->isVisible() || m_visti.contains(w))
                return;
            m_visti.insert(w);
            ++m_aperte[QString::fromLatin1(T::staticMetaObject.className())];
            azione(*w);
        });
    }
    int aperte(const char* classe) const { return m_aperte.value(QString::fromLatin1(classe)); }

private:
    void passo()
    {
        for (const auto& r : m_regole)
            r();
    }
    QTimer m_t;
    std::vector<std::function<void()>> m_regole;
    QSet<const void*> m_visti;
    QHash<QString, int> m_aperte;
};

// The waits at their real length: a second click 150 ms after the first lands inside a 650 ms load.
void attesePiene()
{
    app().wait.scale = 1.0;
}

// A click `ms` from now, from the event loop of whatever wait or window runs then, as a user's.
void clicTra(int ms, QPointer<QWidget> w)
{
    QTimer::singleShot(ms, [w] {
        if (w)
            QTest::mouseClick(w, Qt::LeftButton);
    });
}

void premiAccessibile(QWidget* w)
{
    QAccessibleInterface* i = QAccessible::queryAccessibleInterface(w);
    QVERIFY(i && i->actionInterface());
    i->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
}

} // namespace

class TestClicRapidi : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // "Importa da FileDati" twice, the password, then the import window closed: the password is
    // asked once, the import window opens once, and the first click goes on with a live window.
    void doppioClicImporta()
    {
        TestEnv env;
        env.interazione().technicianWindow = [] { return frmPswd::chiediTecnico(); };
        Magazzino& w = apriMagazzinoAttivato();
        attesePiene();
        Utente u;
        u.quando<frmPswd>([](frmPswd& p) {
            QTest::keyClicks(p.TxtCodice, QStringLiteral("BORDASK"));
            QTest::mouseClick(p.cmdOk, Qt::LeftButton);
        });
        u.quando<frmImporta>([](frmImporta& f) { QTest::mouseClick(f.cmdChiudi, Qt::LeftButton); });
        clicTra(150, w.cmdImporta);
        QTest::mouseClick(w.cmdImporta, Qt::LeftButton);
        QTest::qWait(300);

        QCOMPARE(env.interazione().technicianAsked, 1);
        QCOMPARE(u.aperte("frmPswd"), 1);
        QCOMPARE(u.aperte("frmImporta"), 1);
        QVERIFY(!Forms::isLoaded<frmImporta>());
        QVERIFY(!Forms::isLoaded<frmPswd>());
        QVERIFY(Forms::isLoaded<Magazzino>());
    }

    // The password given and at once the article window's "Chiudi", before the import window
    // opens: the import goes no further, or its window closes without the gone article list.
    void chiudiDopoLaPassword()
    {
        TestEnv env;
        env.interazione().technicianWindow = [] { return frmPswd::chiediTecnico(); };
        QPointer<Magazzino> w = &apriMagazzinoAttivato();
        Utente u;
        u.quando<frmPswd>([w](frmPswd& p) {
            QTest::keyClicks(p.TxtCodice, QStringLiteral("BORDASK"));
            QTest::mouseClick(p.cmdOk, Qt::LeftButton);
            if (w)
                QTest::mouseClick(w->CmdUscita, Qt::LeftButton);
        });
        u.quando<frmImporta>([](frmImporta& f) { QTest::mouseClick(f.cmdChiudi, Qt::LeftButton); });
        QTest::mouseClick(w->cmdImporta, Qt::LeftButton);
        QTest::qWait(300);
        QVERIFY(!w);
        QVERIFY(!Forms::isLoaded<frmImporta>());
    }

    // "Reparti", at once the article window's "Chiudi", then the departments window's "Chiudi";
    // and "Nuovo PLU", at once "Chiudi", then the editor's "Annulla": the article window's "Chiudi"
    // does not run under the loading window, which opens once and closes back to the article window.
    void chiudiSottoIReparti()
    {
        TestEnv env;
        Magazzino& w = apriMagazzinoAttivato();
        attesePiene();
        Utente u;
        u.quando<RepartiWindow>([](RepartiWindow& r) { QTest::mouseClick(r.Uscita, Qt::LeftButton); });

        clicTra(150, w.CmdUscita);
        QTest::mouseClick(w.Generi, Qt::LeftButton);
        QTest::qWait(100);
        QCOMPARE(u.aperte("RepartiWindow"), 1);
        QVERIFY(!Forms::isLoaded<RepartiWindow>());
        QVERIFY(Forms::isLoaded<Magazzino>());
    }

    void chiudiSottoIlNuovoArticolo()
    {
        TestEnv env;
        Magazzino& w = apriMagazzinoAttivato();
        attesePiene();
        Utente u;
        u.quando<AggiungiMateriale>([](AggiungiMateriale& a) { QTest::mouseClick(a.cmdAnnulla, Qt::LeftButton); });
        clicTra(150, w.CmdUscita);
        clicTra(250, w.Aggiungi); // and a second "Nuovo PLU" for good measure
        QTest::mouseClick(w.Aggiungi, Qt::LeftButton);
        QTest::qWait(100);
        QCOMPARE(u.aperte("AggiungiMateriale"), 1);
        QVERIFY(!Forms::isLoaded<AggiungiMateriale>());
        QVERIFY(Forms::isLoaded<Magazzino>());
        QVERIFY(w.isVisible());
    }

    // "Impostazioni" twice and the settings window's "Chiudi" within its load: one settings window,
    // and the toolbar's first click returns after it closed.
    void impostazioniDueVolte()
    {
        TestEnv env;
        mdiPrincipale& m = Forms::get<mdiPrincipale>();
        m.showModeless();
        QVERIFY(QTest::qWaitForWindowExposed(&m));
        attesePiene();
        auto* tb = m.findChild<QToolButton*>(QStringLiteral("tbImpo"));
        QVERIFY(tb);
        Utente u;
        u.quando<frmSetupCassa>([](frmSetupCassa& s) { QTest::mouseClick(s.Command1, Qt::LeftButton); });
        clicTra(150, tb);
        QTimer::singleShot(300, [] { // the settings window's "Chiudi" while it still loads
            if (frmSetupCassa* s = Forms::instance<frmSetupCassa>())
                QTest::mouseClick(s->Command1, Qt::LeftButton);
        });
        QTest::mouseClick(tb, Qt::LeftButton);
        QTest::qWait(100);
        QTRY_COMPARE(u.aperte("frmSetupCassa"), 1);
        QVERIFY(!Forms::isLoaded<frmSetupCassa>());
    }

    // A screen reader's "press" on a window a modal window blocks does nothing, now or once the
    // modal window has gone; on a window nothing blocks it clicks as before.
    void premereDallAccessibilita()
    {
        TestEnv env;
        env.interazione().technicianWindow = [] { return frmPswd::chiediTecnico(); };
        Magazzino& w = apriMagazzinoAttivato();
        Utente u;
        u.quando<AggiungiMateriale>([](AggiungiMateriale& a) { QTest::mouseClick(a.cmdAnnulla, Qt::LeftButton); });
        bool bloccata = false;
        QTimer::singleShot(100, [&] {
            frmPswd* p = Forms::instance<frmPswd>();
            QVERIFY(p && p->isVisible());
            bloccata = QApplication::activeModalWidget() == p;
            premiAccessibile(w.Aggiungi);
            premiAccessibile(w.CmdUscita);
            QTest::qWait(300); // the animated clicks run under the modal window
            QTest::mouseClick(p->cmdEsci, Qt::LeftButton);
        });
        QVERIFY(!frmPswd::chiediTecnico());
        QVERIFY(bloccata);
        QTest::qWait(300);
        QCOMPARE(u.aperte("AggiungiMateriale"), 0);
        QVERIFY(Forms::isLoaded<Magazzino>());
        QVERIFY(!w.Aggiungi->isDown());

        // Nothing blocks the article window now: the same press opens the editor.
        premiAccessibile(w.Aggiungi);
        QVERIFY(QTest::qWaitFor([&u] { return u.aperte("AggiungiMateriale") == 1; }, 3000));
        QVERIFY(QTest::qWaitFor([] { return !Forms::isLoaded<AggiungiMateriale>(); }, 3000));
    }

    // The toolbar's buttons and the check boxes click at once when a screen reader presses or
    // toggles them: under a modal window, that does nothing either.
    void premereSubitoDallAccessibilita()
    {
        TestEnv env;
        env.interazione().technicianWindow = [] { return frmPswd::chiediTecnico(); };
        mdiPrincipale& m = Forms::get<mdiPrincipale>();
        m.showModeless();
        Magazzino& w = apriMagazzinoAttivato();
        auto* tb = m.findChild<QToolButton*>(QStringLiteral("tbImpo"));
        QVERIFY(tb);
        Utente u;
        u.quando<frmSetupCassa>([](frmSetupCassa& s) { QTest::mouseClick(s.Command1, Qt::LeftButton); });
        const bool spuntata = w.ckModificati->isChecked();
        QTimer::singleShot(100, [&] {
            frmPswd* p = Forms::instance<frmPswd>();
            QVERIFY(p && p->isVisible());
            premiAccessibile(tb);
            QAccessibleInterface* i = QAccessible::queryAccessibleInterface(w.ckModificati);
            QVERIFY(i && i->actionInterface());
            i->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
            QTest::qWait(200);
            QTest::mouseClick(p->cmdEsci, Qt::LeftButton);
        });
        QVERIFY(!frmPswd::chiediTecnico());
        QTest::qWait(200);
        QCOMPARE(u.aperte("frmSetupCassa"), 0);
        QCOMPARE(w.ckModificati->isChecked(), spuntata);
        QCOMPARE(env.messages(), QStringList()); // no question of the box's handler

        // With nothing above it, the toolbar's button opens the settings window as before.
        premiAccessibile(tb);
        QTRY_COMPARE(u.aperte("frmSetupCassa"), 1);
    }

    // During a reception the second "Leggi PLU  <<<" stays live and offers to stop it; "Nuovo PLU"
    // and the article window's "Chiudi" do nothing until the reception ends.
    void ricezioneFermataDalSuoPulsante()
    {
        TestEnv env;
        LineaProva linea(0.1);
        cartellaOutProva(env);
        env.interazione().technicianWindow = [] { return frmPswd::chiediTecnico(); };
        env.interazione().answerWith = [](const QString& testo, Interaction::Buttons) {
            return testo == QLatin1String("Vuoi interrompere la ricezione dei dati?") ? Interaction::Yes
                                                                                      : Interaction::Ok;
        };
        QVERIFY(ScriviINI(env.setup(), "RegCassa", "PiruNEX", "Vero"));
        app().metodoAcquisizione = 2;
        auto reg = FakeRegister::udp();
        RegLink::timings().portaUDP = reg->port();
        app().portaETH1 = reg->address();
        for (int i = 1; i <= 200; ++i)
            reg->addPlu({i, QStringLiteral("80%1").arg(i, 5, 10, QLatin1Char('0')), "ART", "1", "1.00", "1.000", {}});
        reg->setDelay(20);
        Magazzino& w = apriMagazzinoAttivato();
        Utente u;
        u.quando<frmPswd>([](frmPswd& p) {
            QTest::keyClicks(p.TxtCodice, QStringLiteral("BORDASK"));
            QTest::mouseClick(p.cmdOk, Qt::LeftButton);
        });
        u.quando<AggiungiMateriale>([](AggiungiMateriale& a) { QTest::mouseClick(a.cmdAnnulla, Qt::LeftButton); });
        bool inCorso = false;
        QTimer::singleShot(400, [&] {
            inCorso = app().ricezioneInCorso;
            QTest::mouseClick(w.Aggiungi, Qt::LeftButton);
            QTest::mouseClick(w.CmdUscita, Qt::LeftButton);
            QTest::mouseClick(w.cmdRiceviPLU, Qt::LeftButton);
        });
        QTest::mouseClick(w.cmdRiceviPLU, Qt::LeftButton);

        QVERIFY(inCorso);
        const QStringList visti = env.messages();
        QCOMPARE(visti.count("Vuoi interrompere la ricezione dei dati?"), 1);
        QVERIFY2(visti.join('|').contains("interrotta"), qPrintable(visti.join('|')));
        QCOMPARE(visti.last(), QStringLiteral("IMPORTAZIONE TERMINATA"));
        QCOMPARE(u.aperte("AggiungiMateriale"), 0);
        QCOMPARE(u.aperte("frmPswd"), 1);
        QVERIFY(Forms::isLoaded<Magazzino>());
        QVERIFY(!app().ricezioneInCorso);
    }

    // The IN folder's tick that was already due when the article window closed (its deletion still
    // pending) does not poll: the poll runs events, which would delete the window under it.
    void pollDopoLaChiusura()
    {
        TestEnv env;
        const QString in = env.path(QStringLiteral("Scambio/IN"));
        QVERIFY(QDir().mkpath(in));
        QVERIFY(ScriviINI(env.setup(), QStringLiteral("Cartelle"), QStringLiteral("IN"), in));
        QPointer<Magazzino> w = &apriMagazzinoAttivato();
        QVERIFY(TextFile::writeLines(
            QDir(in).filePath(QStringLiteral("A1.txt")),
            {Righe::articolo(QStringLiteral("M"), QStringLiteral("123456"), QStringLiteral("PANE"))}));
        QVERIFY(QMetaObject::invokeMethod(w->tmrImporta, "timeout")); // the poll sees the file
        QTest::qWait(50);
        QTimer::singleShot(0, [w] {
            { // "Chiudi" from inside a nested loop: the deletion waits for a lower loop
                QEventLoop giro;
                QTimer::singleShot(0, &giro, [&giro, w] {
                    QTest::mouseClick(w->CmdUscita, Qt::LeftButton);
                    giro.quit();
                });
                giro.exec();
            }
            QVERIFY(w && !w->isVisible());
            QMetaObject::invokeMethod(w->tmrImporta, "timeout");
        });
        QTest::qWait(200);
        QVERIFY(!w);
        QCOMPARE(QDir(in).entryList(QDir::Files), QStringList({QStringLiteral("A1.txt")}));
    }

    // What each kind of wait lets through: during a held wait no click and no key; during a wait
    // for live controls only those controls' clicks; outside a wait everything, as before.
    void cosaPassaDuranteUnAttesa()
    {
        TestEnv env(false);
        QWidget finestra;
        auto* vivo = new QPushButton(QStringLiteral("vivo"), &finestra);
        auto* altro = new QPushButton(QStringLiteral("altro"), &finestra);
        auto* campo = new QLineEdit(&finestra);
        altro->move(0, 40);
        campo->move(0, 80);
        finestra.show();
        QVERIFY(QTest::qWaitForWindowExposed(&finestra));
        int clicVivo = 0, clicAltro = 0;
        QObject::connect(vivo, &QPushButton::clicked, [&] { ++clicVivo; });
        QObject::connect(altro, &QPushButton::clicked, [&] { ++clicAltro; });

        const auto durante = [&](InputUtente tipo) {
            QTimer::singleShot(5, [&] {
                QTest::mouseClick(vivo, Qt::LeftButton);
                QTest::mouseClick(altro, Qt::LeftButton);
                QTest::keyClicks(campo, QStringLiteral("ab"));
            });
            Attesa(50 / app().wait.scale, tipo); // 50 ms
        };
        durante(InputUtente::Trattenuto);
        QCOMPARE(clicVivo, 0);
        // The window manager's close button during a held wait: refused, the window stays.
        QTimer::singleShot(5, [&finestra] {
            QCloseEvent chiusura;
            QSpontaneKeyEvent::setSpontaneous(&chiusura);
            qApp->notify(&finestra, &chiusura); // as the window system delivers it: spontaneous
            QVERIFY(!chiusura.isAccepted());
        });
        AttesaSenzaInput(50 / app().wait.scale);
        QVERIFY(finestra.isVisible());
        {
            const ControlliVivi vivi{vivo};
            durante(InputUtente::Trattenuto);
            QCOMPARE(clicVivo, 0);
            durante(InputUtente::SoloControlliVivi);
            QCOMPARE(clicVivo, 1);
        }
        durante(InputUtente::SoloControlliVivi); // no longer live once its operation ended
        QCOMPARE(clicVivo, 1);
        QCOMPARE(clicAltro, 0);
        QVERIFY(campo->text().isEmpty());

        QTest::mouseClick(altro, Qt::LeftButton);
        QTest::keyClicks(campo, QStringLiteral("ab"));
        QCOMPARE(clicAltro, 1);
        QCOMPARE(campo->text(), QStringLiteral("ab"));
    }
};

QTEST_MAIN(TestClicRapidi)
#include "tst_clicrapidi.moc"
