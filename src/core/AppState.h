#pragma once
// The program-wide state, set at start-up and by the settings window, read everywhere.
// One struct, reached through app(); tests reset it with resetApp().
#include <QString>
#include <cstdint>

// A VB colour Long: &HBBGGRR, or &H80000000 | n for a system colour.
using VbColor = qint64;
constexpr VbColor kColoreButtonFace = 0x8000000F;

struct LineSettings {
    QString velocita = QStringLiteral("9600");
    QString bitDati = QStringLiteral("8");
    QString parita = QStringLiteral("Nessuna");
    QString bitStop = QStringLiteral("1");
    QString flusso = QStringLiteral("Nessuno");
};

struct ImpostazioniBarCode {
    QString portaCOM;
    LineSettings linea;
};

struct ImpostazioniRegCassa {
    QString portaCOM;  // register 1
    QString portaCOM1; // register 2
    QString portaCOM2; // register 3
    LineSettings linea;
};

// The parsed last register reply, shared between the receive handlers and the sender.
struct RispostaCassaRec {
    QString stato;
    int numeroErrore = -1; // -1: no reply yet
    QString descrizione;
    int azione = 0;
    QString s1;
    QString s2;
};

// Durations of every wait, scaled in tests so they run in seconds.
struct WaitPolicy {
    double scale = 1.0;
    int ms(double nominal) const { return int(nominal * scale); }
};

struct AppState {
    QString titoloProgramma = QStringLiteral("Tavrino");
    QString percorsoSetup;
    QString parolaInterscambio;
    QString testoStato;
    bool tastieraVisibile = true;
    int metodoAcquisizione = 0;
    VbColor coloreSfondo = 0;
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

    // Register link
    RispostaCassaRec rispostaCassa;
    QString testoRicevuto;
    bool canaleUDP = false;
    int contatoreApertura = 0;
    bool interrompiRicezione = false;

    WaitPolicy wait;
};

AppState& app();
void resetApp();

// Program version, shown in captions and the start-up window.
int versionMajor();
int versionMinor();
int versionRevision();
