#include "reglink/Reception.h"

#include "core/AppState.h"
#include "core/Contesto.h"
#include "core/ErrorLog.h"
#include "core/Paths.h"
#include "core/TextFile.h"
#include "core/VbConvert.h"
#include "core/Wait.h"
#include "core/config/Cartelle.h"
#include "core/store/Invio.h"
#include "reglink/Frame.h"
#include "reglink/PluStaging.h"
#include "reglink/ProtocolLog.h"
#include "reglink/RegisterLine.h"
#include "reglink/StockBooking.h"
#include "reglink/Timings.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <unistd.h>

namespace Reception {

namespace {

using namespace RegLink;

const QString kModulo = QStringLiteral("PROTOCOLLOQuidar");
constexpr int kTentativiPronto = 100;

bool interrotta()
{
    return app().interrompiRicezione;
}

QByteArray byte(char c)
{
    return QByteArray(1, c);
}

// The line of one register's reception: register 1's UDP channel, or the serial port.
struct Canale
{
    bool udp = false;

    bool invia(const QByteArray& b) const { return udp ? linea().scriviUDP(b) : linea().scriviSeriale(b); }
    bool inviaComando(const QString& testo) const { return invia(FrameTestoIntero(testo)); }
    void scartaInput() const
    {
        if (!udp)
            linea().scartaInput();
    }
    // The register acknowledged the last ENQ.
    bool pronto() const
    {
        return udp ? RegLink::risposte().rispostaCassa.stato == QLatin1String("ACK")
                   : RegLink::risposte().testoRicevuto.startsWith(QLatin1Char(ACK));
    }
    void chiudi() const
    {
        if (udp) {
            linea().chiudiCanaleUDP();
            RegLink::risposte().canaleUDP = false;
        } else {
            linea().chiudiPortaSeriale();
        }
    }
};

Canale canaleDi(int cassa)
{
    return Canale{cassa == 1 && RegLink::risposte().canaleUDP};
}

// One register's received file, open from the common start to the closing exchange.
class Ricezione
{
public:
    Ricezione(int cassa, PannelloTrasferimento& p) : m_cassa(cassa), m_p(p), m_canale(canaleDi(cassa)) {}
    ~Ricezione()
    {
        if (m_file.isOpen())
            m_file.close();
    }

    const Canale& canale() const { return m_canale; }
    QString percorso() const { return m_percorso; }

    // The common start: OUT folder, the file made afresh, progress cleared.
    Esito apri()
    {
        const QString path = percorsoRicevuto(m_cassa);
        if (path.isEmpty())
            return Esito::CartellaMancante;
        m_percorso = path;
        // A link in OUT would take the register's data wherever it points: refused, left alone.
        if (TextFile::eCollegamento(path)) {
            ScriviErrore(kModulo, QStringLiteral("RicevoPLUdaECR"), TextFile::rifiutoCollegamento(path));
            return Esito::FileNonScritto;
        }
        // Made afresh: the booking reads the whole file, so a previous reception's lines left in it
        // would be booked again. A folder that lets nothing be deleted still lets the file be emptied.
        const bool rimasto = QFile::exists(path) && !QFile::remove(path);
        // The protocol's half-second before the file opens; no click starts anything meanwhile.
        AttesaSenzaInput(500);
        // Opened without following a link, also one made during the wait.
        const TextFile::Aperto a = rimasto ? TextFile::apriSenzaCollegamenti(path, true) : TextFile::creaNuovo(path);
        if (!a || !m_file.open(a.fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
            if (a.fd >= 0)
                ::close(a.fd);
            ScriviErrore(kModulo, QStringLiteral("RicevoPLUdaECR"),
                         !a.motivo.ok
                             ? a.motivo
                             : ::Esito::fallito(rimasto ? VbErr::PermissionDenied : VbErr::PathNotFound, path));
            return Esito::FileNonScritto;
        }
        Pannello::setRecTot(m_p, QString());
        Pannello::setRecAct(m_p, QString());
        m_p.setProgressValue(0);
        return Esito::Completata;
    }

    // Keeps the received text as one line when its field count is in range.
    bool tieni(int minimo, int massimo)
    {
        const QString& t = RegLink::risposte().testoRicevuto;
        const int n = pezzoMassimo(t);
        if (n < minimo || n > massimo)
            return true;
        const QByteArray riga = TextFile::encode(t) + "\r\n";
        if (m_file.write(riga) != riga.size() || !m_file.flush()) {
            ScriviErrore(kModulo, QStringLiteral("RicevoPLUdaECR"), VbErr::DiskFull, m_percorso);
            return false;
        }
        return true;
    }

    // Waits until the register answers ENQ; `cancellazioni` CAN before each ENQ on the serial line.
    Esito attendiPronto(int cancellazioni, bool controllaInterruzione)
    {
        int tentativi = 0;
        for (;;) {
            if (!m_canale.udp) {
                for (int i = 0; i < cancellazioni; ++i) {
                    m_canale.scartaInput();
                    if (!m_canale.invia(byte(CAN)))
                        return Esito::Errore;
                    LasciaScorrereEventi(InputUtente::SoloControlliVivi);
                    if (controllaInterruzione && interrotta())
                        return Esito::Interrotta;
                }
            }
            RegLink::risposte().testoRicevuto.clear();
            RegLink::risposte().rispostaCassa.stato.clear();
            if (!m_canale.invia(byte(ENQ)))
                return Esito::Errore;
            Pausa(50);
            if (controllaInterruzione && interrotta())
                return Esito::Interrotta;
            if (m_canale.pronto()) {
                RegLink::risposte().testoRicevuto.clear();
                return Esito::Completata;
            }
            if (++tentativi < kTentativiPronto)
                continue;
            if (Contesto::interazione().ask(
                    QStringLiteral("Stampante -- CASSA %1 -- non pronta! - Riprovare?").arg(m_cassa),
                    Interaction::Yes | Interaction::No, Interaction::Icon::Question) != Interaction::Yes)
                return Esito::NonPronta;
            tentativi = 0;
        }
    }

    // The common start and the wait for the register (see attendiPronto); on failure the file and
    // the line are closed.
    Esito avvia(int cancellazioni, bool controllaInterruzione)
    {
        Esito e = apri();
        if (e == Esito::Completata)
            e = attendiPronto(cancellazioni, controllaInterruzione);
        return e == Esito::Completata ? e : fineAnticipata(e);
    }

    // `comando` on a cleared reply, then the register's time to answer; false when it was not sent.
    // `intera`: a dump's request, always answered by a frame. Past the pause the wait goes on until
    // that frame is whole (up to the reply time-out): a reply late on a loaded machine would
    // otherwise be cut, or land in the next round and shift the dump by one record.
    bool chiedi(const QString& comando, int pausa, bool intera = false)
    {
        RegLink::risposte().testoRicevuto.clear();
        const quint64 prima = RegLink::risposte().frameRicevuti;
        if (!m_canale.inviaComando(comando))
            return false;
        Pausa(pausa);
        if (intera)
            AttendiFinche([prima] { return RegLink::risposte().frameRicevuti != prima || interrotta(); },
                          timings().attesaMs, InputUtente::SoloControlliVivi);
        return true;
    }

    // One round of a dump: `comando`, the register's time to answer, `dopo` (the acknowledgement
    // that asks for the next reply), the reply kept. Completata, or why the dump ends here.
    Esito giroDump(const QString& comando, int pausa, const QByteArray& dopo)
    {
        if (!chiedi(comando, pausa, true) || !m_canale.invia(dopo))
            return Esito::Errore;
        if (!tieni(11, 25))
            return Esito::FileNonScritto;
        return interrotta() ? Esito::Interrotta : Esito::Completata;
    }

    // After one article's reply: ACK, then CAN (serial) and ENQ for the next request, `pausa` after
    // each. Interrotta when the user stopped the reception (also between the steps when
    // `controllaInterruzione`).
    Esito prossimaRichiesta(int pausa, bool controllaInterruzione)
    {
        if (!m_canale.invia(byte(ACK)))
            return Esito::Errore;
        Pausa(pausa);
        if (controllaInterruzione && interrotta())
            return Esito::Interrotta;
        m_canale.scartaInput();
        if (!m_canale.udp && !m_canale.invia(byte(CAN)))
            return Esito::Errore;
        LasciaScorrereEventi(InputUtente::SoloControlliVivi);
        if (controllaInterruzione && interrotta())
            return Esito::Interrotta;
        RegLink::risposte().testoRicevuto.clear();
        if (!m_canale.invia(byte(ENQ)))
            return Esito::Errore;
        Pausa(pausa);
        return interrotta() ? Esito::Interrotta : Esito::Completata;
    }

    // The closing exchange of a normal end, on the register's own line.
    void chiusura()
    {
        m_canale.invia(byte(ACK));
        Pausa(200);
        m_canale.invia(byte(ENQ));
        Pausa(200);
        m_file.close();
        Pausa(300);
        m_canale.chiudi();
    }

    // An early end: the file is closed, the line too; nothing is booked.
    Esito fineAnticipata(Esito e)
    {
        m_file.close();
        m_canale.chiudi();
        return e;
    }

private:
    int m_cassa;
    PannelloTrasferimento& m_p;
    Canale m_canale;
    QString m_percorso;
    QFile m_file; // on the descriptor opened without following links: it has no name
};

// The end test of the "K//" dump: characters 4 and 5 of the raw serial text (ACK, ACK, STX and
// then the reply). The UDP channel keeps the bare reply text, where those are its first two.
std::optional<int> statoFineDump(const Canale& c)
{
    const QString campo =
        c.udp ? RegLink::risposte().testoRicevuto.mid(0, 2) : RegLink::risposte().testoRicevuto.mid(3, 2);
    bool ok = false;
    const int n = campo.toInt(&ok);
    if (!ok || campo.size() != 2)
        return std::nullopt;
    return n;
}

// The end of the "n//" dump: the reply frame "07/00/02/" whose checksum is 82. The serial text
// holds the raw frame, so the marker "07/00/02/82" shows there; the UDP channel keeps the reply
// text without its checksum and without its last character: "07/00/02".
bool fineDumpN(const Canale& c)
{
    const QString& t = RegLink::risposte().testoRicevuto;
    if (c.udp)
        return t == QLatin1String("07/00/02") || t.startsWith(QLatin1String("07/00/02/"));
    return t.contains(QLatin1String("07/00/02/82"));
}

void prenota(int cassa, const QString& path, int modo)
{
    const StockBooking::EsitoPrenotazione e = StockBooking::AggiornaQuantitaDaFilePLU(path, modo);
    if (!e.ok)
        Contesto::interazione().ask(
            QStringLiteral("AGGIORNAMENTO QUANTITA' DALLA CASSA %1 NON EFFETTUATO!!!").arg(cassa), Interaction::Ok,
            Interaction::Icon::Warning);
}

void direNonCompletata(int cassa, Esito e, const QString& percorso)
{
    if (e == Esito::Completata)
        return;
    QString testo = QStringLiteral("Ricezione dati dalla cassa %1 non completata").arg(cassa);
    // Say why, where the reason is known: the user's stop, or a register that went quiet.
    if (e == Esito::CassaMuta)
        testo += QStringLiteral(": la cassa non risponde più");
    else if (e == Esito::Interrotta)
        testo += QStringLiteral(": interrotta");
    else if (e == Esito::FileNonScritto && TextFile::eCollegamento(percorso))
        testo += QStringLiteral(": il file ") + percorso +
                 QStringLiteral(" è un collegamento simbolico e non viene seguito");
    else if (e == Esito::FileNonScritto)
        testo += QStringLiteral(": impossibile scrivere il file ") + percorso;
    Contesto::interazione().ask(testo, Interaction::Ok, Interaction::Icon::Warning);
}

// The start shared by both buttons; false when this click does not start a reception.
bool inizioPulsante(PannelloTrasferimento& p)
{
    AppState& a = app();
    if (a.ricezioneInCorso) {
        // A click during a reception only offers to stop it; the running one notices at its next test.
        if (!a.interrompiRicezione)
            a.interrompiRicezione =
                Contesto::interazione().ask(QStringLiteral("Vuoi interrompere la ricezione dei dati?"),
                                            Interaction::Yes | Interaction::No,
                                            Interaction::Icon::Question) == Interaction::Yes;
        return false;
    }
    if (a.invioInCorso)
        return false;
    a.ricezioneInCorso = true;
    a.saltaAggiornamento = true;
    const bool tecnico = Contesto::interazione().askTechnician();
    if (!tecnico) {
        a.ricezioneInCorso = false;
        return false;
    }
    Pannello::cursoreAttesa(p, true);
    return true;
}

void fineFlag()
{
    app().saltaAggiornamento = false;
    app().interrompiRicezione = false;
    app().ricezioneInCorso = false;
}

// Registers 2 and 3 (and register 1 of the file generation) on their own serial port.
void apriSeriale(const QString& porta)
{
    if (app().parolaInterscambio != QLatin1String("QUIDAR"))
        return;
    linea().chiudiPortaSeriale();
    RegLink::risposte().canaleUDP = false;
    linea().AperturaPortaRegCassa(porta);
}

} // namespace

int pezzoMassimo(const QString& testo)
{
    return int(testo.count(QLatin1Char('/')));
}

QString comandoArticolo(const QString& barCode)
{
    // Asked for by the code the register holds: the one the PLU send gave it.
    return QStringLiteral("h/") + PluStaging::BarCodeDaInviare(barCode) + QLatin1Char('/');
}

QString percorsoRicevuto(int cassa)
{
    const QString out = Config::Cartelle::leggi().out;
    if (out.trimmed().isEmpty())
        return {};
    return QDir(Paths::resolveFolder(out)).filePath(QStringLiteral("PLUQuidar%1.txt").arg(cassa));
}

Esito RicevoPLUdaECR(int cassa, PannelloTrasferimento& p)
{
    Ricezione r(cassa, p);
    Esito e = r.apri();
    if (e != Esito::Completata)
        return r.fineAnticipata(e);
    p.setProgressRange(0, p.totArticoli());
    e = r.attendiPronto(3, true);
    if (e != Esito::Completata)
        return r.fineAnticipata(e);
    const Canale& c = r.canale();
    const QByteArray dopoRisposta = byte(ACK) + byte(CAN) + byte(CAN) + byte(CAN) + byte(ENQ);

    if (!app().flagPiruNEX) {
        if (!r.chiedi(QStringLiteral("J//"), 50, true) || !c.invia(dopoRisposta))
            return r.fineAnticipata(Esito::Errore);
        for (;;) {
            e = r.giroDump(QStringLiteral("K//"), 500, dopoRisposta);
            if (e != Esito::Completata)
                return r.fineAnticipata(e);
            const std::optional<int> stato = statoFineDump(c);
            if (!stato) {
                ScriviErrore(kModulo, QStringLiteral("RicevoPLUdaECR"), VbErr::TypeMismatch,
                             QStringLiteral("risposta al K// non valida"));
                return r.fineAnticipata(Esito::Errore);
            }
            if (*stato == 29)
                break;
        }
    } else {
        // No limit on the rounds: only the end marker, an interrupt, or a register silent for
        // several reply time-outs in a row (it is gone) end the dump.
        const int silenzioMax = app().wait.ms(double(timings().attesaMs) * timings().timeoutSilenzioDump);
        QElapsedTimer silenzio;
        silenzio.start();
        for (;;) {
            e = r.giroDump(QStringLiteral("n//"), 50, dopoRisposta);
            if (e != Esito::Completata)
                return r.fineAnticipata(e);
            if (fineDumpN(c))
                break;
            if (!RegLink::risposte().testoRicevuto.isEmpty())
                silenzio.restart();
            else if (silenzio.elapsed() >= silenzioMax) {
                ScriviLog(QStringLiteral("          *** RICEZIONE: la cassa non risponde al n// da %1 secondi, esco")
                              .arg(silenzio.elapsed() / 1000.0, 0, 'f', 1));
                return r.fineAnticipata(Esito::CassaMuta);
            }
        }
    }
    r.chiusura();
    Pannello::avviso(p, QStringLiteral("Ricezione dati dalla cassa %1 terminata").arg(cassa));
    prenota(cassa, r.percorso(), 2);
    return Esito::Completata;
}

Esito RicevoPLUdaECRPerArticolo(int cassa, PannelloTrasferimento& p)
{
    Ricezione r(cassa, p);
    Esito e = r.avvia(1, true);
    if (e != Esito::Completata)
        return e;

    const Letto<QStringList> letti = Articoli::barCodePerRicezione();
    if (!letti.ok) {
        ScriviErrore(kModulo, QStringLiteral("RicevoPLUdaECR"), VbErr::DatabaseError, letti.errore);
        return r.fineAnticipata(Esito::Errore);
    }
    const QStringList& codici = *letti.valore;
    p.setProgressRange(0, int(codici.size()));
    if (!codici.isEmpty())
        Pannello::setRecTot(p, QString::number(codici.size()));
    int valore = 0;
    for (const QString& bc : codici) {
        ++valore;
        p.setProgressValue(valore);
        Pannello::setRecAct(p, QString::number(valore));
        if (bc.isEmpty())
            continue;
        if (!r.chiedi(comandoArticolo(bc), 200))
            return r.fineAnticipata(Esito::Errore);
        if (interrotta())
            return r.fineAnticipata(Esito::Interrotta);
        if (!r.tieni(14, 17))
            return r.fineAnticipata(Esito::FileNonScritto);
        e = r.prossimaRichiesta(50, true);
        if (e != Esito::Completata)
            return r.fineAnticipata(e);
    }
    r.chiusura();
    Pannello::avviso(p, QStringLiteral("Ricezione dati dalla cassa %1 terminata").arg(cassa));
    prenota(cassa, r.percorso(), 1);
    return Esito::Completata;
}

Esito RicevoPLUdaECRPerNumero(int cassa, int quanti, PannelloTrasferimento& p)
{
    Ricezione r(cassa, p);
    Esito e = r.avvia(1, false);
    if (e != Esito::Completata)
        return e;
    p.setProgressRange(0, quanti);
    Pannello::setRecTot(p, QString::number(quanti));
    for (int i = 1; i <= quanti; ++i) {
        p.setProgressValue(i);
        Pannello::setRecAct(p, QString::number(i));
        if (!r.chiedi(QStringLiteral("p/%1/").arg(i), 100))
            return r.fineAnticipata(Esito::Errore);
        if (!r.tieni(14, 17))
            return r.fineAnticipata(Esito::FileNonScritto);
        e = r.prossimaRichiesta(25, false);
        // An interrupt ends the requests; what came so far is kept and the line closed normally.
        if (e == Esito::Interrotta)
            break;
        if (e != Esito::Completata)
            return r.fineAnticipata(e);
    }
    r.chiusura();
    return Esito::Completata;
}

Esito RicevoPLUdaECR_TUTTI(int cassa, PannelloTrasferimento& p)
{
    const QString risposta = Contesto::interazione()
                                 .askText(QStringLiteral("Quanti PLU da Acquisire?"), QStringLiteral("Tavrino"))
                                 .value_or(QString());
    const std::optional<double> d = Vb::cdbl(risposta);
    const std::optional<qint32> n = d ? Vb::clng(*d) : std::nullopt;
    if (!n) {
        ScriviErrore(kModulo, QStringLiteral("RicevoPLUdaECR_TUTTI"), VbErr::TypeMismatch, risposta);
        return Esito::Completata;
    }
    if (*n <= 0)
        return Esito::Completata;
    return RicevoPLUdaECRPerNumero(cassa, *n, p);
}

void leggiDalleCasse(PannelloTrasferimento& p)
{
    if (!inizioPulsante(p))
        return;
    AppState& a = app();
    const ImpostazioniRegCassa rc = a.impostazioniRegCassa;
    const QString eth = a.portaETH1;
    auto ricevi = [&](int cassa) {
        const Esito e = a.metodoAcquisizione == 2 ? RicevoPLUdaECR(cassa, p) : RicevoPLUdaECRPerArticolo(cassa, p);
        direNonCompletata(cassa, e, percorsoRicevuto(cassa));
    };

    RegLink::risposte().contatoreApertura = 0;
    // Register 1 as the send reaches it: by its serial port, else by its network address.
    if (!rc.portaCOM.isEmpty() || !eth.isEmpty()) {
        cmdInitCom(!rc.portaCOM.isEmpty() ? rc.portaCOM : eth, p);
        ricevi(1);
    }
    const QString quidar = QStringLiteral("QUIDAR");
    if (!interrotta()) {
        apriSeriale(rc.portaCOM1);
        if (a.parolaInterscambio == quidar && !rc.portaCOM1.isEmpty())
            ricevi(2);
    }
    if (!interrotta()) {
        apriSeriale(rc.portaCOM2);
        if (a.parolaInterscambio == quidar && !rc.portaCOM2.isEmpty())
            ricevi(3);
    }

    Pannello::cursoreAttesa(p, false);
    Contesto::interazione().ask(QStringLiteral("IMPORTAZIONE TERMINATA"), Interaction::Ok,
                                Interaction::Icon::Information, Interaction::NoButton, QStringLiteral("Tavrino"));
    fineFlag();
}

void generaFileDati(PannelloTrasferimento& p)
{
    if (!inizioPulsante(p))
        return;
    AppState& a = app();
    const ImpostazioniRegCassa rc = a.impostazioniRegCassa;
    const QString porte[3] = {rc.portaCOM, rc.portaCOM1, rc.portaCOM2};
    for (int cassa = 1; cassa <= 3; ++cassa) {
        if (cassa > 1 && interrotta())
            break;
        const QString& porta = porte[cassa - 1];
        apriSeriale(porta);
        if (a.parolaInterscambio == QLatin1String("QUIDAR") && !porta.isEmpty())
            direNonCompletata(cassa, RicevoPLUdaECR_TUTTI(cassa, p), percorsoRicevuto(cassa));
    }
    Pannello::cursoreAttesa(p, false);
    fineFlag();
    Contesto::interazione().message(QStringLiteral("Importazione Terminata"));
}

} // namespace Reception
