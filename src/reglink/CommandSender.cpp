#include "reglink/CommandSender.h"

#include "core/AppState.h"
#include "core/Contesto.h"
#include "core/ErrorLog.h"
#include "core/Paths.h"
#include "core/Programma.h"
#include "core/TextFile.h"
#include "core/VbConvert.h"
#include "core/Wait.h"
#include "core/config/Cartelle.h"
#include "reglink/ErrorTable.h"
#include "reglink/Frame.h"
#include "reglink/ProtocolLog.h"
#include "reglink/RegisterLine.h"
#include "reglink/Timings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <optional>
#include <unistd.h>

namespace RegLink {

namespace {

const QString kTroppiTimeout = QStringLiteral("*** Troppi timeout, esco definitivamente. FINE.");
const QString kNonInviate = QStringLiteral("Comandi non inviati alla cassa:");

// The protocol's short pauses, on core's wait: events run, nothing sleeps the window's thread.
void dormi(int ms)
{
    if (ms > 0)
        Attesa(ms, InputUtente::SoloControlliVivi);
}

// One send's failure file, made afresh: the previous send's is deleted, or emptied where the
// folder lets nothing be deleted, so what is shown at the end is this send's lines only. A file
// that can be neither is left alone and never shown; a message then says the lines are missing.
// It sits in OUT, where anyone may put a link: a link is never written through.
class FileNonTrasmessi
{
public:
    explicit FileNonTrasmessi(const QString& path) : m_path(path)
    {
        if (TextFile::eCollegamento(path)) {
            m_proprio = false;
        } else if (QFileInfo::exists(path) && !QFile::remove(path)) {
            const TextFile::Aperto a = TextFile::apriSenzaCollegamenti(path, true);
            m_proprio = a && ::close(a.fd) == 0;
        }
    }

    void appendi(const QString& testo)
    {
        if (m_proprio) {
            const TextFile::Aperto a = TextFile::apriSenzaCollegamenti(m_path, false);
            if (a) {
                const bool scritto = TextFile::scriviTutto(a.fd, TextFile::encode(testo));
                if (::close(a.fd) == 0 && scritto) {
                    m_scritto = true;
                    return;
                }
            }
        }
        if (!m_perso && TextFile::eCollegamento(m_path))
            ScriviErrore(QStringLiteral("PROTOCOLLOQuidar"), QStringLiteral("EsameComandi"),
                         TextFile::rifiutoCollegamento(m_path));
        m_perso = true;
    }

    void mostra() const
    {
        if (m_scritto)
            Contesto::interazione().showTextFile(m_path);
        if (m_perso)
            Contesto::interazione().ask(QStringLiteral("Impossibile scrivere il file %1 con i comandi non "
                                                       "trasmessi alla cassa%2")
                                            .arg(m_path, TextFile::eCollegamento(m_path)
                                                             ? QStringLiteral(": è un collegamento simbolico")
                                                             : QString()),
                                        Interaction::Ok, Interaction::Icon::Warning);
    }

private:
    QString m_path;
    bool m_proprio = true; // the file is gone or empty: what it will hold is this send's
    bool m_scritto = false;
    bool m_perso = false;
};

// The command file read field by field: a field ends at a comma or a line end, leading and
// trailing blanks go, a quoted field keeps its commas. Empty fields carry no command. A missing
// file holds none; one that is there but cannot be read whole gives nothing (nullopt).
std::optional<QStringList> leggiComandi(const QString& nomeFile)
{
    QStringList comandi;
    QStringList righe;
    if (!TextFile::readLines(nomeFile, righe)) {
        if (QFileInfo::exists(nomeFile))
            return std::nullopt;
        return comandi;
    }
    for (const QString& riga : righe) {
        qsizetype i = 0;
        while (i <= riga.size()) {
            while (i < riga.size() && (riga.at(i) == QLatin1Char(' ') || riga.at(i) == QLatin1Char('\t')))
                ++i;
            QString campo;
            if (i < riga.size() && riga.at(i) == QLatin1Char('"')) {
                const qsizetype fine = riga.indexOf(QLatin1Char('"'), i + 1);
                campo = riga.mid(i + 1, fine < 0 ? -1 : fine - i - 1);
                i = fine < 0 ? riga.size() : fine + 1;
                const qsizetype virgola = riga.indexOf(QLatin1Char(','), i);
                i = virgola < 0 ? riga.size() + 1 : virgola + 1;
            } else {
                const qsizetype virgola = riga.indexOf(QLatin1Char(','), i);
                campo = riga.mid(i, virgola < 0 ? -1 : virgola - i).trimmed();
                i = virgola < 0 ? riga.size() + 1 : virgola + 1;
            }
            if (!campo.isEmpty())
                comandi << campo;
        }
    }
    return comandi;
}

bool statoAck()
{
    return RegLink::risposte().rispostaCassa.stato == QLatin1String("ACK");
}
bool rispostaArrivata()
{
    return !RegLink::risposte().rispostaCassa.numeroErrore.trimmed().isEmpty();
}

} // namespace

QString percorsoNonTrasmessi(const QString& porta)
{
    const QString out = Config::Cartelle::outPerComandi();
    return QDir(Paths::resolveFolder(out)).filePath(QStringLiteral("NonTRASMESSI") + porta + QStringLiteral(".txt"));
}

EsitoComandi EsameComandiEsito(const QString& nomeFile, const QString& porta, ProgressSink& righe,
                               StatoLinea& statoLinea)
{
    const Timings& t = timings();
    auto progresso = [&](int n) { righe.setValue(n); };
    auto messaggio = [](const QString& testo) {
        Contesto::interazione().ask(testo, Interaction::Ok, Interaction::Icon::None);
    };
    RispostaCassaRec& r = RegLink::risposte().rispostaCassa;

    EsitoComandi risultato;
    bool& esito = risultato.esito;
    progresso(0);
    FileNonTrasmessi nonTrasmessi(percorsoNonTrasmessi(porta));
    const std::optional<QStringList> letti = leggiComandi(nomeFile);
    if (!letti) {
        // Part of a file sent as the whole would clear the changed marks of articles never sent.
        ScriviErrore(QStringLiteral("PROTOCOLLOQuidar"), QStringLiteral("EsameComandi"), VbErr::DeviceIO, nomeFile);
        esito = false;
        return risultato;
    }
    const QStringList& comandi = *letti;
    int timeout = 0;

    auto fine = [&]() {
        nonTrasmessi.mostra();
        return risultato;
    };
    // The register stopped answering at line `da`: that one and every later one never got through.
    // They follow the end line in the failure file, so the shop keeper sees what the register lacks.
    auto troppiTimeout = [&](qsizetype da) {
        ScriviLog(QStringLiteral("          ") + kTroppiTimeout);
        r.stato.clear();
        QString testo = kTroppiTimeout + QStringLiteral("\r\n") + kNonInviate + QStringLiteral("\r\n");
        for (qsizetype i = da; i < comandi.size(); ++i) {
            risultato.nonInviate << comandi.at(i);
            testo += comandi.at(i) + QStringLiteral("\r\n");
        }
        nonTrasmessi.appendi(testo);
        esito = false;
        return fine();
    };

    for (qsizetype riga = 0; riga < comandi.size(); ++riga) {
        progresso(int(riga) + 1);
        const QString letto = comandi.at(riga);
        QString comando = letto;
        if (riga > 0)
            dormi(t.sleepTraRigheMs);
        int ripetizioni = 0;
        bool handshake = true;

        for (;;) {
            if (handshake) {
                // A: handshake
                linea().cmdInitCom(porta, statoLinea);
                LasciaScorrereEventi(InputUtente::SoloControlliVivi);
                if (!AttendiFinche(statoAck, t.attesaMs, InputUtente::SoloControlliVivi)) {
                    if (++timeout <= t.maxTimeout) {
                        ScriviLog(QStringLiteral("          *** uscito per timeout comunicazione, RIMANDO ENQ"));
                        r.stato.clear();
                        continue;
                    }
                    return troppiTimeout(riga);
                }
                // B: state test
                bool invia = false;
                for (int passi = 0;;) {
                    LasciaScorrereEventi(InputUtente::SoloControlliVivi);
                    const QString stato = r.stato;
                    if (stato == QLatin1String("ACK")) {
                        invia = true;
                        break;
                    }
                    if (stato == QLatin1String("NAK")) {
                        dormi(t.pausaErroreMs);
                        break;
                    }
                    if (stato == QLatin1String("ERR")) {
                        messaggio(QStringLiteral("stampante non collegata, esco"));
                        esito = false;
                        return fine();
                    }
                    AttendiFinche([&r] { return !r.stato.isEmpty(); }, 1, InputUtente::SoloControlliVivi);
                    if (++passi >= t.passiStatoInatteso)
                        break;
                }
                if (!invia)
                    continue;
            }

            // C: send and wait for the reply
            AzzeraRisposta(RegLink::risposte().rispostaCassa);
            if (!comando.endsWith(QLatin1Char('/')))
                comando += QLatin1Char('/');
            linea().SendCMD(comando);
            LasciaScorrereEventi(InputUtente::SoloControlliVivi);
            if (!AttendiFinche(rispostaArrivata, t.attesaMs, InputUtente::SoloControlliVivi)) {
                if (++timeout <= t.maxTimeout) {
                    ScriviLog(QStringLiteral("          *** uscito per timeout comunicazione, RIMANDO COMANDO"));
                    r.stato.clear();
                    handshake = true;
                    continue;
                }
                return troppiTimeout(riga);
            }

            timeout = 0;
            const QString numero = r.numeroErrore;
            const QString descrizione = r.descrizione;
            const AzioneErrore classe = r.azione;
            if (Vb::val(numero) == 0)
                break;
            ScriviLog(QStringLiteral("         ESITO : ") + numero + QStringLiteral(" - ") + descrizione +
                      QStringLiteral(" - ") + testoAzione(classe));
            nonTrasmessi.appendi(QStringLiteral("Invio: \r\n") + letto + QStringLiteral("\r\nESITO : Errore N.") +
                                 numero + QStringLiteral(" - Descr.: ") + descrizione + QStringLiteral("\r\n"));

            // A register that stays busy would repeat one line for ever: past the bound it is
            // recorded and skipped like any other failed line.
            AzioneErrore azione = classe;
            if (azione == AzioneErrore::Ripeti && ++ripetizioni > t.maxRipetizioniBusy)
                azione = AzioneErrore::Ignora;

            bool rigaSeguente = false;
            switch (azione) {
            case AzioneErrore::Ripeti:
                ScriviLog(QStringLiteral("LOG - Errore!"));
                ScriviLog(QStringLiteral("         Azione Intrapresa : Tracciato e Ripetuto il comando"));
                dormi(t.pausaErroreMs);
                handshake = true;
                break;
            case AzioneErrore::Ignora:
                ScriviLog(QStringLiteral("LOG - Errore!"));
                dormi(t.pausaErroreMs);
                ScriviLog(QStringLiteral(
                    "         Azione Intrapresa : Tracciato e Ignorato il comando che ha dato l'errore"));
                risultato.rifiutate << letto;
                rigaSeguente = true;
                break;
            case AzioneErrore::MostraERinvia:
                ScriviLog(QStringLiteral("Errore!"));
                messaggio(descrizione);
                dormi(t.pausaErroreMs);
                handshake = false;
                break;
            case AzioneErrore::ErroreGrave:
                ScriviLog(QStringLiteral("LOG - ERRORE GRAVE DI DISPOSITIVO!"));
                ScriviLog(QStringLiteral("         Azione Intrapresa : Tracciato, Errore grave di stato misuratore "
                                         "fiscale, chiudo Driver"));
                messaggio(descrizione);
                messaggio(QStringLiteral("Errore Grave della stampante fiscale, chiamare assistenza\r\n\r\n") +
                          descrizione.toUpper());
                esito = false;
                Contesto::programma().terminaPerErroreGrave();
                return risultato;
            case AzioneErrore::Prosegui:
                // Also numbers without a row: go on; the register did not take the line.
                dormi(t.pausaErroreMs);
                risultato.rifiutate << letto;
                rigaSeguente = true;
                break;
            }
            if (rigaSeguente)
                break;
        }
    }
    return fine();
}

int checkStatoMisuratore(int maxTentativi, int timeout, const QString& porta, StatoLinea& statoLinea)
{
    const Timings& t = timings();
    RispostaCassaRec& r = RegLink::risposte().rispostaCassa;
    const int attesa = std::max(0, timeout) * 1000;
    // "No limit" is bounded all the same, so a dead register cannot hold the program for ever.
    const int limite = maxTentativi > 0 ? maxTentativi : t.limiteSenzaMassimo;
    int tentativi = 0;
    QString fallimento;

    for (;;) {
        linea().cmdInitCom(porta, statoLinea);
        LasciaScorrereEventi(InputUtente::SoloControlliVivi);
        if (!AttendiFinche(statoAck, attesa, InputUtente::SoloControlliVivi)) {
            if (++tentativi > limite) {
                fallimento = QStringLiteral("                    *** VERIFICA STATO Troppi timeout su ENQ, esco "
                                            "definitivamente. FINE.");
                break;
            }
            ScriviLog(QStringLiteral(
                "                    *** VERIFICA STATO - uscito per timeout comunicazione ENQ, RIMANDO ENQ"));
            r.stato.clear();
            continue;
        }
        LasciaScorrereEventi(InputUtente::SoloControlliVivi);
        AzzeraRisposta(RegLink::risposte().rispostaCassa);
        linea().SendCMD(QStringLiteral("?/"));
        LasciaScorrereEventi(InputUtente::SoloControlliVivi);
        if (AttendiFinche(rispostaArrivata, attesa, InputUtente::SoloControlliVivi))
            return r.numeroErrore.trimmed().toInt();
        if (++tentativi > limite) {
            fallimento = QStringLiteral(
                "                    *** VERIFICA STATUS - Troppi timeout su CMD, esco definitivamente. FINE.");
            break;
        }
        ScriviLog(QStringLiteral("                    *** VERIFICA STATUS  - uscito per timeout da CMD comunicazione, "
                                 "RIMANDO COMANDO"));
        r.stato.clear();
    }
    ScriviLog(fallimento);
    r.stato.clear();
    return -1;
}

} // namespace RegLink
