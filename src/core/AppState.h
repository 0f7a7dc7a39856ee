#pragma once
// The program-wide state, set at start-up and by the settings window, read everywhere.
// One struct, owned by the program (src/app) and installed in the context; app() reaches it.
// Every test gets a fresh one from TestEnv.
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>

class QLockFile;

// A VB colour Long: &HBBGGRR, or &H80000000 | n for a system colour.
using VbColor = qint64;
constexpr VbColor kColoreButtonFace = 0x8000000F;

struct LineSettings
{
    QString velocita = QStringLiteral("9600");
    QString bitDati = QStringLiteral("8");
    QString parita = QStringLiteral("Nessuna");
    QString bitStop = QStringLiteral("1");
    QString flusso = QStringLiteral("Nessuno");
};

struct ImpostazioniBarCode
{
    QString portaCOM;
    LineSettings linea;
};

struct ImpostazioniRegCassa
{
    QString portaCOM;  // register 1
    QString portaCOM1; // register 2
    QString portaCOM2; // register 3
    LineSettings linea;
};

// Durations of every wait, scaled in tests so they run in seconds.
struct WaitPolicy
{
    double scale = 1.0;
    // A negative, NaN or absurd duration never becomes undefined arithmetic: clamped to [0, 24 h].
    int ms(double nominal) const
    {
        const double v = nominal * scale;
        if (!(v > 0))
            return 0;
        return v > 86400000.0 ? 86400000 : int(v);
    }
};

struct AppState
{
    QString titoloProgramma = QStringLiteral("Tavrino");
    QString percorsoSetup;
    QString parolaInterscambio;
    QString testoStato;
    bool tastieraVisibile = true;
    int metodoAcquisizione = 0;
    VbColor coloreSfondo = kColoreButtonFace;
    QString immagineSfondo;
    bool tabCollegate = true;
    QString portaETH1;
    ImpostazioniBarCode impostazioniBarCode;
    ImpostazioniRegCassa impostazioniRegCassa;
    bool flagPiruNEX = true;
    QString modoEtichette;
    bool saltaAggiornamento = false;
    int tecnicoAbilitato = 0;
    QString drvBck;
    // Register link (its line and reply state are the context's: reglink/Collegamento.h)
    bool interrompiRicezione = false;
    // A transfer to the registers is running (a PLU or department send, a reception): the buttons
    // must not start a second one on the same line.
    bool invioInCorso = false;
    bool ricezioneInCorso = false;
    // The windows a transfer works through (the article window, the department window) must not
    // close while one runs: the transfer would go on through a window that no longer exists.
    bool trasferimentoInCorso() const { return invioInCorso || ricezioneInCorso; }

    WaitPolicy wait;

    // What this run holds open: the database file with the depth of its open transaction
    // (savepoints below the first), and the single-instance lock of the program folder.
    struct
    {
        QString percorso;
        int profondita = 0;
        // A savepoint's work could not be undone: the transaction around it must not commit.
        bool nonAnnullato = false;
    } database;
    std::unique_ptr<QLockFile> bloccoIstanza;

    // Error-log lines that could not be written anywhere (a full disk), oldest first, and how many
    // more were dropped beyond the bound; they are written before the next line once there is room.
    struct
    {
        QStringList righe;
        qint64 perse = 0;
    } registroInAttesa;

    AppState();
    ~AppState();
    AppState(const AppState&) = delete;
    AppState& operator=(const AppState&) = delete;
};

// The installed state (Contesto::stato()).
AppState& app();

// Program version, shown in captions and the start-up window.
int versionMajor();
int versionMinor();
int versionRevision();
