// The windows driven at random, as an impatient user would: the article window with a few hundred
// articles, the main window, a fake register on UDP, central-warehouse files arriving in IN, the
// test printers. For a bounded time it clicks visible controls, types, picks from lists and boxes,
// presses through the accessibility interface, closes windows, answers every message box at random,
// often in quick succession and while windows load; then it closes what is open and checks the
// database. A sanitizer report, a crash, a window that never lets go or a damaged database fails it.
// The seed comes from TAVRINO_SEME (1 when unset) and the length in seconds from TAVRINO_SECONDI
// (60 when unset); on a failure the seed and the last actions are printed, and the same seed
// replays the same choices.
#include "archive/ui/Magazzino.h"
#include "core/AppState.h"
#include "core/Contesto.h"
#include "core/Database.h"
#include "core/IniFile.h"
#include "core/TextFile.h"
#include "core/Wait.h"
#include "core/ui/FiltroInput.h"
#include "core/ui/frmPswd.h"
#include "core/ui/mdiPrincipale.h"
#include "import/RigheCentrale.h"
#include "reglink/Timings.h"
#include "support/FakeRegister.h"
#include "support/FinestraMagazzino.h"
#include "support/LineaProva.h"
#include "support/TestEnv.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSet>
#include <QSpontaneKeyEvent>
#include <QTextEdit>
#include <QTimer>
#include <QtTest>
#include <array>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

// The last actions, kept in fixed buffers so that a crash handler can print them.
constexpr int kUltime = 30;
std::array<std::array<char, 200>, kUltime> g_ultime{};
int g_prossima = 0;
quint32 g_seme = 1;

void stampaUltime()
{
    char riga[260];
    int n = std::snprintf(riga, sizeof riga, "\n*** esploratore: seme %u (TAVRINO_SEME=%u replays it); last actions:\n",
                          g_seme, g_seme);
    (void)!::write(2, riga, size_t(n));
    for (int i = 0; i < kUltime; ++i) {
        const auto& a = g_ultime[size_t((g_prossima + i) % kUltime)];
        if (!a[0])
            continue;
        n = std::snprintf(riga, sizeof riga, "  %s\n", a.data());
        (void)!::write(2, riga, size_t(n));
    }
}

void annota(const QString& azione)
{
    auto& a = g_ultime[size_t(g_prossima)];
    const QByteArray t = azione.toUtf8().left(int(a.size()) - 1);
    std::memcpy(a.data(), t.constData(), size_t(t.size()));
    a[size_t(t.size())] = 0;
    g_prossima = (g_prossima + 1) % kUltime;
}

void segnale(int s)
{
    stampaUltime();
    std::signal(s, SIG_DFL);
    std::raise(s);
}

QString nome(const QObject* o)
{
    QString n = o->objectName();
    if (n.isEmpty())
        n = QString::fromLatin1(o->metaObject()->className());
    if (const auto* b = qobject_cast<const QAbstractButton*>(o); b && !b->text().isEmpty())
        n += QStringLiteral(" \"") + b->text() + QLatin1Char('"');
    return n;
}

QString dove(const QWidget* w)
{
    return nome(w->window()) + QLatin1Char('/') + nome(w);
}

// The program as the windows see it: the toolbar's "Magazzino" opens the real article window;
// the program's end is only counted.
class ProgrammaEsploratore final : public Programma
{
public:
    void mostraMagazzinoModale() override { mostraMagazzino(); }
    void mostraMagazzino() override
    {
        if (Magazzino* m = Forms::carica<Magazzino>())
            m->showModeless();
    }
    void terminaProgramma() override { ++fine; }
    void terminaPerErroreGrave() override { ++erroreGrave; }
    Esito gestisciTabelleCollegate(ProgressSink&, bool& c) override
    {
        c = false;
        return Esito::riuscito();
    }
    Esito importaDaDatabaseEsterno(ProgressSink&) override { return Esito::riuscito(); }
    int fine = 0;
    int erroreGrave = 0;
};

class Esploratore
{
public:
    Esploratore(quint32 seme, int secondi, QString in) : m_rng(seme), m_in(std::move(in))
    {
        m_fine.start();
        m_durata = qint64(secondi) * 1000;
        m_t.setSingleShot(true);
        QObject::connect(&m_t, &QTimer::timeout, [this] { passo(); });
    }
    void avvia() { m_t.start(0); }
    bool scaduto() const { return m_fine.elapsed() > m_durata; }
    // Past the time, with nothing left open above the main loop.
    bool finito() const { return scaduto() && m_profondita == 0 && !QApplication::activeModalWidget(); }
    int azioni() const { return m_azioni; }
    QStringList viste() const
    {
        QStringList v(m_viste.begin(), m_viste.end());
        v.sort();
        return v;
    }
    QRandomGenerator& rng() { return m_rng; }

private:
    int caso(int n) { return n > 0 ? int(m_rng.bounded(quint32(n))) : 0; }
    bool su(int percento) { return caso(100) < percento; }

    void prossimo()
    {
        // Mostly quick, sometimes at once (a double click), sometimes a pause.
        const int r = caso(100);
        m_t.start(r < 35 ? caso(40) : r < 95 ? 40 + caso(160) : 300 + caso(700));
    }

    void passo()
    {
        ++m_profondita;
        // Every action may run events (waits, modal windows): the next one is armed first, so it
        // comes inside them as a user's would.
        prossimo();
        if (scaduto())
            chiudiTutto();
        else if (m_profondita > 12)
            chiudiTutto(); // enough windows on windows: go back down
        else {
            agisci();
            if (su(20)) { // and at once another one
                QTimer::singleShot(caso(60), [this] {
                    if (!scaduto())
                        agisci();
                });
            }
        }
        --m_profondita;
    }

    QList<QWidget*> finestre() const
    {
        QList<QWidget*> f;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && !w->isMinimized())
                f << w;
        return f;
    }

    QWidget* bersaglio()
    {
        if (su(90)) {
            if (QWidget* p = QApplication::activePopupWidget())
                return p;
            if (QWidget* m = QApplication::activeModalWidget())
                return m;
        }
        const QList<QWidget*> f = finestre();
        if (QWidget* m = Forms::instance<Magazzino>(); m && m->isVisible() && su(60))
            return m; // where most of the work is
        return f.isEmpty() ? nullptr : f[caso(int(f.size()))];
    }

    template <class T> QList<T*> controlli(QWidget* finestra)
    {
        QList<T*> c;
        for (T* w : finestra->findChildren<T*>())
            if (w->isVisible() && w->isEnabled() && w->window() == finestra)
                c << w;
        return c;
    }

    template <class T> T* uno(QWidget* finestra)
    {
        const QList<T*> c = controlli<T>(finestra);
        return c.isEmpty() ? nullptr : c[caso(int(c.size()))];
    }

    QString testo()
    {
        static const QStringList pezzi = {"1", "0", "12,5",    "99999", "-3",          "abc", "PANE",          "à",
                                          "€", "'", "\"",      ";",     "%",           " ",   "8012345678901", ",",
                                          ".", "Ω", "BORDASK", "x",     "100000000000"};
        QString t;
        for (int i = 1 + caso(3); i > 0; --i)
            t += pezzi[caso(int(pezzi.size()))];
        return t;
    }

    void agisci()
    {
        ++m_azioni;
        // The password window gets the password half of the time, as a technician would.
        if (QPointer<frmPswd> p = Forms::instance<frmPswd>(); p && p->isVisible() && su(50)) {
            annota(QStringLiteral("password"));
            QTest::keyClicks(p->TxtCodice, QStringLiteral("BORDASK"));
            if (p)
                QTest::mouseClick(p->cmdOk, Qt::LeftButton);
            return;
        }
        // The system's print dialogs reach real printers: they are only ever cancelled.
        if (QPointer<QWidget> m = QApplication::activeModalWidget();
            m && (m->inherits("QAbstractPrintDialog") || m->inherits("QPageSetupDialog"))) {
            annota(QStringLiteral("cancel ") + nome(m));
            m->close();
            return;
        }
        QWidget* f = bersaglio();
        if (f)
            m_viste.insert(nome(f));
        if (!f) {
            annota(QStringLiteral("no window: Magazzino"));
            Contesto::programma().mostraMagazzino();
            return;
        }
        const int r = caso(100);
        if (r < 50)
            clic(f);
        else if (r < 62)
            scrivi(f);
        else if (r < 70)
            scegli(f);
        else if (r < 78)
            riga(f);
        else if (r < 83)
            premiAccessibile();
        else if (r < 89)
            chiudi(f);
        else if (r < 95)
            tasto(f);
        else
            mettiFileIN();
    }

    // The buttons that open a window or start an operation: where a second click or a close
    // during a load did harm, so they are picked more often.
    QAbstractButton* preferito(QWidget* f)
    {
        static const QStringList nomi = {
            "cmdImporta",  "Generi",     "Aggiungi", "Modifica", "cmdRiceviPLU",        "cmdGeneraFile",
            "cmdInviaPLU", "CmdUscita",  "tbImpo",   "tbMaga",   "cmdStampaFrontalino", "Uscita",
            "cmdChiudi",   "cmdAnnulla", "Command1", "cmdEsci"};
        QList<QAbstractButton*> c;
        for (QAbstractButton* b : controlli<QAbstractButton>(f))
            if (nomi.contains(b->objectName()))
                c << b;
        return c.isEmpty() ? nullptr : c[caso(int(c.size()))];
    }

    void clic(QWidget* f)
    {
        QPointer<QAbstractButton> b = su(50) ? preferito(f) : nullptr;
        const bool aperturaDiFinestra = b;
        if (!b)
            b = uno<QAbstractButton>(f);
        if (!b)
            return;
        const bool doppio = su(10);
        if (su(aperturaDiFinestra ? 90 : 20)) {
            // The same button again at a user's pace, and perhaps another of the window: they come
            // while what the first click opens is still loading.
            if (su(50))
                ripeti(b, 30 + caso(220));
            if (su(60))
                chiudiTra(f, 60 + caso(250)); // and the window closed under what opens
            else if (su(50))
                ripeti(su(50) ? preferito(f) : uno<QAbstractButton>(f), 60 + caso(300));
        }
        if (inCoda(b))
            return;
        annota((doppio ? QStringLiteral("double click ") : QStringLiteral("click ")) + dove(b));
        if (doppio)
            QTest::mouseDClick(b, Qt::LeftButton);
        else
            QTest::mouseClick(b, Qt::LeftButton);
    }

    void ripeti(QPointer<QAbstractButton> b, int ms)
    {
        QTimer::singleShot(ms, [this, b] {
            if (!b || !b->isVisible() || !b->isEnabled() || scaduto())
                return;
            annota(QStringLiteral("click again ") + dove(b));
            QTest::mouseClick(b, Qt::LeftButton);
        });
    }

    void chiudiTra(QWidget* f, int ms)
    {
        QPointer<QWidget> w(f);
        QTimer::singleShot(ms, [this, w] {
            if (w && w->isVisible() && !scaduto())
                chiudi(w);
        });
    }

    // A click during a wait that holds input back waits in the window system's queue until the
    // wait ends, as a real click would; QTest's would be dropped.
    bool inCoda(QAbstractButton* b, int volte = 0)
    {
        if (!Attese::inCorso() || Attese::tipo() != InputUtente::Trattenuto || QApplication::activeModalWidget())
            return false;
        if (!FiltroInput::inputEscluso(b) || volte > 200)
            return false;
        QPointer<QAbstractButton> p(b);
        QTimer::singleShot(5, [this, p, volte] {
            if (!p || !p->isVisible() || !p->isEnabled() || scaduto() || inCoda(p, volte + 1))
                return;
            annota(QStringLiteral("queued click ") + dove(p));
            QTest::mouseClick(p, Qt::LeftButton);
        });
        return true;
    }

    void scrivi(QWidget* f)
    {
        QPointer<QLineEdit> e = uno<QLineEdit>(f);
        if (!e)
            return;
        const QString t = testo();
        const bool invio = su(30);
        annota(QStringLiteral("type \"%1\"%2 in %3").arg(t, invio ? QStringLiteral(" Enter") : QString(), dove(e)));
        if (su(30))
            e->selectAll();
        for (const QChar c : t) {
            if (!e)
                return;
            // QTest types ASCII only; other characters come as a keyboard layout sends them.
            if (c.unicode() < 128)
                QTest::keyClick(e, char(c.unicode()));
            else
                QTest::sendKeyEvent(QTest::Click, e, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
        if (invio && e)
            QTest::keyClick(e, Qt::Key_Return);
    }

    void scegli(QWidget* f)
    {
        QPointer<QComboBox> c = uno<QComboBox>(f);
        if (!c || c->count() == 0)
            return;
        const bool giu = su(70);
        const int volte = 1 + caso(3);
        annota(QStringLiteral("%1 x%2 in %3").arg(giu ? "Down" : "Up").arg(volte).arg(dove(c)));
        for (int i = 0; i < volte && c; ++i)
            QTest::keyClick(c, giu ? Qt::Key_Down : Qt::Key_Up);
    }

    void riga(QWidget* f)
    {
        QPointer<QAbstractItemView> v = uno<QAbstractItemView>(f);
        if (!v || !v->model() || v->model()->rowCount() == 0)
            return;
        const QModelIndex i = v->model()->index(caso(qMin(v->model()->rowCount(), 40)), 0);
        const QRect r = v->visualRect(i);
        if (!r.isValid())
            return;
        const bool doppio = su(25);
        annota(QStringLiteral("%1 row %2 of %3").arg(doppio ? "double click" : "click").arg(i.row()).arg(dove(v)));
        if (doppio)
            QTest::mouseDClick(v->viewport(), Qt::LeftButton, {}, r.center());
        else
            QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, r.center());
    }

    // A screen reader's press, on any window, also one a modal window blocks.
    void premiAccessibile()
    {
        const QList<QWidget*> f = finestre();
        if (f.isEmpty())
            return;
        QAbstractButton* b = uno<QAbstractButton>(f[caso(int(f.size()))]);
        if (!b)
            return;
        QAccessibleInterface* i = QAccessible::queryAccessibleInterface(b);
        if (!i || !i->actionInterface())
            return;
        annota(QStringLiteral("accessible press ") + dove(b));
        i->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    }

    // The window manager's close button: a spontaneous close request, then the close if accepted.
    void chiudi(QWidget* f)
    {
        if (f == Forms::instance<mdiPrincipale>())
            return; // closing the main window ends the program: "Esci" asks for that
        QPointer<QWidget> w(f);
        annota(QStringLiteral("close ") + nome(f));
        QCloseEvent e;
        QSpontaneKeyEvent::setSpontaneous(&e);
        qApp->notify(f, &e); // sendEvent would make it the program's own close
        if (w && e.isAccepted() && w->isVisible())
            w->close();
    }

    void tasto(QWidget* f)
    {
        static const std::array<Qt::Key, 7> tasti = {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Tab, Qt::Key_Space,
                                                     Qt::Key_F1,     Qt::Key_Delete, Qt::Key_Down};
        QWidget* w = f->focusWidget() ? f->focusWidget() : f;
        const Qt::Key k = tasti[size_t(caso(int(tasti.size())))];
        annota(QStringLiteral("key %1 to %2").arg(int(k), 0, 16).arg(dove(w)));
        QTest::keyClick(w, k);
    }

    // A central-warehouse file arrives: articles with new or known codes, or their barcodes.
    void mettiFileIN()
    {
        QStringList righe;
        const bool a = su(70);
        for (int i = 0, n = 1 + caso(20); i < n; ++i) {
            const QString codice = QStringLiteral("%1").arg(100000 + caso(400));
            righe << (a ? Righe::articolo(su(80) ? "M" : "N", codice, QStringLiteral("ART %1").arg(codice), caso(50),
                                          1000 + caso(90000))
                        : Righe::variazione(codice, QStringLiteral("80%1").arg(10000000000LL + caso(100000))));
        }
        const QString nome = QStringLiteral("%1%2.txt").arg(a ? "A" : "B").arg(++m_file);
        annota(QStringLiteral("file %1 in IN (%2 lines)").arg(nome).arg(righe.size()));
        if (!TextFile::writeLines(QDir(m_in).filePath(nome), righe))
            annota(QStringLiteral("file not written"));
    }

    // After the time: the popups and modal windows closed one by one, back to the main loop.
    void chiudiTutto()
    {
        if (QWidget* p = QApplication::activePopupWidget()) {
            annota(QStringLiteral("end: close popup ") + nome(p));
            p->close();
            return;
        }
        if (frmPswd* p = Forms::instance<frmPswd>(); p && p->isVisible()) {
            annota(QStringLiteral("end: password cancelled"));
            QTest::mouseClick(p->cmdEsci, Qt::LeftButton);
            return;
        }
        if (QPointer<QWidget> m = QApplication::activeModalWidget()) {
            annota(QStringLiteral("end: close ") + nome(m));
            m->close();
            if (m && m->isVisible())
                m->hide(); // a window that refuses to close ends its modal loop hidden
        }
    }

    QRandomGenerator m_rng;
    QString m_in;
    QTimer m_t;
    QElapsedTimer m_fine;
    qint64 m_durata = 0;
    int m_profondita = 0;
    int m_azioni = 0;
    int m_file = 0;
    QSet<QString> m_viste; // the windows acted on
};

quint32 seme()
{
    bool ok = false;
    const quint32 s = qEnvironmentVariable("TAVRINO_SEME").toUInt(&ok);
    return ok ? s : 1;
}

int secondi()
{
    bool ok = false;
    const int s = qEnvironmentVariableIntValue("TAVRINO_SECONDI", &ok);
    return ok && s > 0 ? s : 60;
}

void articoli(QRandomGenerator& rng, int quanti)
{
    Db::Transaction t;
    QVERIFY(t.ok());
    for (int i = 1; i <= quanti; ++i) {
        const QString codice = QString::number(100000 + i);
        QVERIFY(Db::exec(
            QStringLiteral("INSERT INTO Magazzino (CodMateriale, BarCode, Descrizione, \"Quantità\", Costo, Costo2, "
                           "Genere, Fornitore, CodArtCEDI, Modificato) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
            {i, QStringLiteral("80%1").arg(10000000000LL + i), QStringLiteral("ARTICOLO %1").arg(i),
             int(rng.bounded(200)) - 20, 0.5 + rng.bounded(5000) / 100.0, 1 + rng.bounded(9000) / 100.0,
             QString::number(1 + rng.bounded(10)), i % 3 ? QStringLiteral("Rossi") : QStringLiteral("Bianchi"), codice,
             int(rng.bounded(2))}));
    }
    QVERIFY(t.commit());
}

} // namespace

class TestEsploratore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        g_seme = seme();
        for (int s : {SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL})
            std::signal(s, segnale);
    }

    void esplora()
    {
        const int durata = secondi();
        std::printf("esploratore: seme %u, %d s\n", g_seme, durata);
        std::fflush(stdout);
        TestEnv env;
        LineaProva linea(0.3); // waits at a third of their length: window loads last about 200 ms
        cartellaOutProva(env);
        const QString in = env.path(QStringLiteral("Scambio/IN"));
        QVERIFY(QDir().mkpath(in));
        QVERIFY(ScriviINI(env.setup(), QStringLiteral("Cartelle"), QStringLiteral("IN"), in));
        QVERIFY(ScriviINI(env.setup(), QStringLiteral("RegCassa"), QStringLiteral("PiruNEX"), QStringLiteral("Vero")));
        env.stampanti().installa({QStringLiteral("A4 Ufficio"), QStringLiteral("Etichette")});

        auto reg = FakeRegister::udp();
        RegLink::timings().portaUDP = reg->port();
        app().portaETH1 = reg->address();
        for (int i = 1; i <= 30; ++i) {
            const QString bc = QStringLiteral("80%1").arg(10000000000LL + i);
            reg->addPlu({i, bc, "ART", "1", "1.00", "1.000", {}});
            reg->setVendite(bc, QString::number(500 * (i % 4)));
        }
        reg->setDelay(5);

        ProgrammaEsploratore programma;
        env.usaProgramma(programma);
        env.interazione().technicianWindow = [] { return frmPswd::chiediTecnico(); };
        Esploratore e(g_seme, durata, in);
        articoli(e.rng(), 300);
        env.interazione().answerWith = [&e](const QString& testo, Interaction::Buttons pulsanti) {
            QList<Interaction::Button> possibili;
            for (Interaction::Button b : {Interaction::Ok, Interaction::Yes, Interaction::No, Interaction::Cancel,
                                          Interaction::Abort, Interaction::Retry, Interaction::Ignore})
                if (pulsanti & b)
                    possibili << b;
            if (possibili.isEmpty())
                return Interaction::Ok;
            // Past the time, the last answer (No, Cancel) where there is a choice: nothing new starts.
            const Interaction::Button b =
                e.scaduto() ? possibili.last() : possibili[int(e.rng().bounded(quint32(possibili.size())))];
            annota(QStringLiteral("box \"%1\": %2").arg(testo.left(60)).arg(int(b), 0, 16));
            return b;
        };

        mdiPrincipale& principale = Forms::get<mdiPrincipale>();
        principale.showModeless();
        apriMagazzinoAttivato();

        e.avvia();
        const bool fermo = QTest::qWaitFor([&e] { return e.finito(); }, (durata + 120) * 1000);
        if (!fermo)
            stampaUltime();
        QVERIFY2(fermo, "the windows did not let go after the time");
        std::printf("esploratore: %d actions on %s\n", e.azioni(), qPrintable(e.viste().join(QStringLiteral(", "))));

        const QVariant integrita = valoreDb(QStringLiteral("PRAGMA integrity_check"));
        if (integrita.toString() != QLatin1String("ok"))
            stampaUltime();
        QCOMPARE(integrita.toString(), QStringLiteral("ok"));
        std::printf("esploratore: program ends asked %d, ends for a grave error %d\n", programma.fine,
                    programma.erroreGrave);
    }
};

// AddressSanitizer calls this when it finds a fault, before it ends the process.
extern "C" void __asan_on_error()
{
    stampaUltime();
}

QTEST_MAIN(TestEsploratore)
#include "esploratore.moc"
