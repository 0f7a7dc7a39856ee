#include "reglink/TrasferimentoReparti.h"

#include "core/AppState.h"
#include "core/Contesto.h"
#include "core/ErrorLog.h"
#include "core/Paths.h"
#include "core/TextFile.h"
#include "core/VbConvert.h"
#include "core/Wait.h"
#include "core/config/IvaTarvenit.h"
#include "core/store/Invio.h"
#include "reglink/CommandSender.h"
#include "reglink/Frame.h"
#include "reglink/ProtocolLog.h"
#include "reglink/RegisterLine.h"

#include <QFile>
#include <vector>

namespace TrasferimentoReparti {

namespace {

// Answers that are not ACK repeat a department at most this many times, then the send goes on.
constexpr int kMaxRipetizioni = 100;
constexpr int kMaxRisvegli = 101;

struct RigaReparto
{
    Reparto r;
    int iva = 0;
};

// The department table in code order; false when the query failed.
bool leggiReparti(std::vector<RigaReparto>& out, QString* errore)
{
    const Letto<std::vector<Articoli::RepartoInvio>> letti = Articoli::repartiDaInviare();
    if (!letti.ok) {
        *errore = letti.errore;
        return false;
    }
    for (const Articoli::RepartoInvio& l : *letti.valore) {
        RigaReparto d;
        d.r.cod = l.cod;
        d.r.descrizione = l.descrizione;
        d.iva = Vb::cint(l.iva).value_or(-1);
        d.r.prezzo = l.prezzoPrefissato;
        d.r.sconto = l.sconto;
        out.push_back(d);
    }
    return true;
}

QString scontoFlag(const QVariant& sconto)
{
    if (!sconto.isNull()) {
        const QString s = sconto.toString().trimmed();
        if (s == QLatin1String("0") || s == QLatin1String("1"))
            return s;
        bool ok = false;
        const double v = sconto.toDouble(&ok);
        if (ok && (v == 0 || v == 1))
            return QString::number(int(v));
    }
    return QStringLiteral("0");
}

QByteArray byte(char c)
{
    return QByteArray(1, c);
}

bool primoCarattereAck()
{
    return RegLink::risposte().testoRicevuto.startsWith(QLatin1Char(RegLink::ACK));
}

// No answer, an ACK or a reply frame lets the send go on; a NAK, or a reply asking for the
// command again (register busy), repeats it.
bool daRipetere()
{
    const QString& t = RegLink::risposte().testoRicevuto;
    if (t.isEmpty() || t.startsWith(QLatin1Char(RegLink::ACK)))
        return false;
    if (t.startsWith(QLatin1Char(RegLink::NAK)))
        return true;
    return RegLink::risposte().rispostaCassa.azione == RegLink::AzioneErrore::Ripeti;
}

void mostraAvviso(PannelloReparti& p, bool v)
{
    p.mostraAvviso(v);
}

struct Occupato
{
    Occupato() { app().invioInCorso = true; }
    ~Occupato() { app().invioInCorso = false; }
};

QString testoCassaNonServita(int n)
{
    return QStringLiteral(
               "INVIO CASSA %1 NON EFFETTUATO!!! - PROBLEMI DI COMUNICAZIONE - VERIFICARE: CAVO/PortaCOM/CASSA")
        .arg(n);
}

void serviCassaSeriale(int numero, const QString& porta, PannelloReparti& p)
{
    RegLink::LineaCassa& l = RegLink::linea();
    l.chiudiPortaSeriale();
    l.AperturaPortaRegCassa(porta);
    l.Pausa(800);
    if (!l.portaSerialeAperta()) {
        Pannello::avviso(p, QStringLiteral("Porta Seriale COM ") + porta +
                                QStringLiteral(" non disponibile - Operazione non effettuata"));
        return;
    }
    if (InvioRepSuQuiDar(p) == EsitoDiretto::NessunaRisposta)
        Contesto::interazione().ask(testoCassaNonServita(numero), Interaction::Ok,
                                    numero == 1 ? Interaction::Icon::Critical : Interaction::Icon::None);
}

} // namespace

int CodiceIvaCassa(int iva)
{
    const QString v = Config::IvaTarvenit::codice(iva);
    if (v.isEmpty()) {
        const QStringList righe = {
            QStringLiteral(
                "Creare in Setup.ini, chiave [IVA TARVENIT], la relazione tra il valore dell'iva ed il codice "
                "tarvenit"),
            QStringLiteral("In questo modo (segnarsi i valori su di un foglio):"),
            QStringLiteral("4=1"),
            QStringLiteral("10=2"),
            QStringLiteral("21=3"),
            QStringLiteral("0=4")};
        Contesto::interazione().ask(righe.join(QStringLiteral("\r\n")), Interaction::Ok,
                                    Interaction::Icon::Information);
        return kIvaMancante;
    }
    const std::optional<double> d = Vb::cdbl(v);
    const std::optional<int> n = d ? Vb::cint(*d) : std::nullopt;
    if (!n || *n < -32768 || *n > 32767) {
        Contesto::interazione().message(
            QStringLiteral("Controllare la corrispondeza tra il valore dell'iva e codice Tarvenit nel file "
                           "Setup.ini, chiave [IVA TARVENIT]"));
        return kIvaMancante;
    }
    return *n;
}

QString DescrizioneDiretta(const QString& descrizione)
{
    QString d = descrizione;
    d.remove(QLatin1Char('/'));
    d.remove(QLatin1Char('\''));
    return d.left(20).toUpper();
}

QString DescrizioneFile(const QString& descrizione)
{
    QString d = descrizione;
    for (const QChar c : {QChar('/'), QChar('\''), QChar(','), QChar(':'), QChar('%')})
        d.remove(c);
    d.replace(QChar(0x00E8), QLatin1Char('e'));
    d.replace(QChar(0x00E9), QLatin1Char('e'));
    if (d.startsWith(QLatin1Char('0')))
        d.remove(QLatin1Char('0'));
    return d.trimmed().left(20).toUpper();
}

QString RecordDiretto(const Reparto& r, int codiceIva)
{
    const QString cod = QString::number(r.cod);
    return QStringLiteral("D/") + cod + QLatin1Char('/') + DescrizioneDiretta(r.descrizione) + QLatin1Char('/') +
           QString::number(codiceIva) + QLatin1Char('/') + Vb::fixedPoint(r.prezzo, 2) +
           QStringLiteral("/500.00/1011") + scontoFlag(r.sconto) + QStringLiteral("00/") + cod +
           QStringLiteral("/0.00/");
}

QString RecordFile(const Reparto& r, int codiceIva, int sequenza)
{
    return QStringLiteral("D/") + QString::number(r.cod) + QLatin1Char('/') + DescrizioneFile(r.descrizione) +
           QLatin1Char('/') + QString::number(codiceIva) + QLatin1Char('/') + Vb::fixedPoint(r.prezzo, 2) +
           QStringLiteral("/500.00/1011000/") + QString::number(sequenza) + QStringLiteral("/0.00/");
}

int prossimaSequenza(int sequenza, bool flagPiruNEX)
{
    return sequenza >= (flagPiruNEX ? 20 : 10) ? 1 : sequenza + 1;
}

QString percorsoFileREP(const QString& suffisso)
{
    return Paths::inProgramFolder(QStringLiteral("FileREP") + suffisso + QStringLiteral(".txt"));
}

void CreaFileInvioREPARTI(const QString& suffisso, bool& esito)
{
    esito = false;
    const QString path = percorsoFileREP(suffisso);
    if (TextFile::eCollegamento(path)) {
        ScriviErrore(QStringLiteral("Reparti"), QStringLiteral("Command1_Click"), TextFile::rifiutoCollegamento(path));
        return;
    }
    if (QFile::exists(path) && !QFile::remove(path)) {
        ScriviErrore(QStringLiteral("Reparti"), QStringLiteral("Command1_Click"), VbErr::PermissionDenied, path);
        return;
    }
    std::vector<RigaReparto> reparti;
    QString errore;
    if (!leggiReparti(reparti, &errore)) {
        ScriviErrore(QStringLiteral("Reparti"), QStringLiteral("Command1_Click"), VbErr::DatabaseError, errore);
        return;
    }
    if (reparti.empty())
        return;
    QString testo;
    bool completo = true;
    int sequenza = 1;
    for (const RigaReparto& d : reparti) {
        const int iva = CodiceIvaCassa(d.iva);
        if (iva == kIvaMancante) {
            completo = false;
            break;
        }
        testo += RecordFile(d.r, iva, sequenza) + QLatin1String("\r\n");
        sequenza = prossimaSequenza(sequenza, app().flagPiruNEX);
    }
    if (Esito motivo; !TextFile::writeAtomically(path, TextFile::encode(testo), &motivo)) {
        ScriviErrore(QStringLiteral("Reparti"), QStringLiteral("Command1_Click"), motivo);
        return;
    }
    esito = completo;
}

EsitoDiretto InvioRepSuQuiDar(PannelloReparti& p)
{
    using namespace RegLink;
    LineaCassa& l = linea();
    mostraAvviso(p, true);
    std::vector<RigaReparto> reparti;
    QString errore;
    if (!leggiReparti(reparti, &errore)) {
        ScriviErrore(QStringLiteral("PROTOCOLLOQuidar"), QStringLiteral("InvioRepSuQuiDar"), VbErr::DatabaseError,
                     errore);
        reparti.clear();
    }
    if (reparti.empty()) {
        Pannello::avviso(p, QStringLiteral("Nessun Reparto da inviare!!!"));
        mostraAvviso(p, false);
        l.chiudiPortaSeriale();
        return EsitoDiretto::NessunReparto;
    }
    auto portaChiusa = [&]() {
        Contesto::interazione().message(
            QStringLiteral("Collegamento con QuiDar non attivo - Chiudere, riaprire il programma e riprovare"));
        Pannello::cursoreAttesa(p, false);
        mostraAvviso(p, false);
        return EsitoDiretto::PortaChiusa;
    };

    // Wake the register: CAN, ENQ until it acknowledges. The records follow in any case: a busy
    // register answers NAK for a while and still takes them. Only a line on which nothing at all
    // came back is no register, and sending to it would only look like a success.
    bool sveglia = false;
    bool risposto = false;
    for (int giro = 0; giro < kMaxRisvegli && !sveglia; ++giro) {
        l.scartaInput();
        RegLink::risposte().testoRicevuto.clear();
        if (!l.scriviSeriale(byte(CAN)))
            return portaChiusa();
        LasciaScorrereEventi(InputUtente::SoloControlliVivi);
        if (!l.scriviSeriale(byte(ENQ)))
            return portaChiusa();
        l.Pausa(50);
        sveglia = primoCarattereAck();
        risposto = risposto || !RegLink::risposte().testoRicevuto.isEmpty();
    }
    if (!risposto) {
        ScriviLog(QStringLiteral("          *** REPARTI: la cassa non risponde, invio non effettuato"));
        l.chiudiPortaSeriale();
        return EsitoDiretto::NessunaRisposta;
    }

    for (const RigaReparto& d : reparti) {
        const int iva = CodiceIvaCassa(d.iva);
        if (iva == kIvaMancante) {
            p.setTestoAvviso(QStringLiteral("INVIO INTERROTTO"));
            l.chiudiPortaSeriale();
            return EsitoDiretto::IvaMancante;
        }
        const QByteArray frame = FrameTestoIntero(RecordDiretto(d.r, iva));
        int ripetizioni = 0;
        for (;;) {
            RegLink::risposte().testoRicevuto.clear();
            AzzeraRisposta(RegLink::risposte().rispostaCassa);
            if (!l.scriviSeriale(frame))
                return portaChiusa();
            l.Pausa(150);
            if (!daRipetere() || ++ripetizioni >= kMaxRipetizioni)
                break;
        }
        for (;;) {
            if (!l.scriviSeriale(byte(ACK)))
                return portaChiusa();
            l.Pausa(50);
            l.scartaInput();
            if (!l.scriviSeriale(byte(CAN)))
                return portaChiusa();
            LasciaScorrereEventi(InputUtente::SoloControlliVivi);
            RegLink::risposte().testoRicevuto.clear();
            AzzeraRisposta(RegLink::risposte().rispostaCassa);
            if (!l.scriviSeriale(byte(ENQ)))
                return portaChiusa();
            l.Pausa(50);
            if (!daRipetere() || ++ripetizioni >= kMaxRipetizioni)
                break;
        }
    }
    if (!l.scriviSeriale(byte(ACK)))
        return portaChiusa();
    l.Pausa(200);
    l.scriviSeriale(byte(ENQ));
    l.Pausa(200);
    l.chiudiPortaSeriale();
    return EsitoDiretto::Inviato;
}

void TrasferisciSullaCassa(PannelloReparti& p)
{
    AppState& a = app();
    if (a.parolaInterscambio != QLatin1String("QUIDAR"))
        return;
    if (a.invioInCorso || a.ricezioneInCorso)
        return;
    Occupato occupato;
    RegLink::risposte().contatoreApertura = 0;
    const ImpostazioniRegCassa rc = a.impostazioniRegCassa;
    const QString eth = a.portaETH1;

    if (rc.portaCOM.isEmpty() && !eth.isEmpty()) {
        mostraAvviso(p, true);
        QString suffisso = eth;
        suffisso.remove(QLatin1Char('.'));
        bool esito = false;
        CreaFileInvioREPARTI(suffisso, esito);
        if (esito) {
            Attesa(500, InputUtente::SoloControlliVivi);
            NoProgress righe;
            if (!RegLink::EsameComandi(percorsoFileREP(suffisso), eth, righe, p)) {
                mostraAvviso(p, false);
                Contesto::interazione().ask(
                    QStringLiteral("PROCEDURA INTERROTTA!!! - PROBLEMI DI INVIO SULLA RETE (LAN/WIFI) "),
                    Interaction::Ok, Interaction::Icon::Critical);
            }
        } else {
            mostraAvviso(p, false);
            Contesto::interazione().ask(
                QStringLiteral("PROCEDURA INTERROTTA!!! - PROBLEMI DI ACCESSO TABELLA DEI REPARTI "), Interaction::Ok,
                Interaction::Icon::Critical);
        }
    } else if (rc.portaCOM.isEmpty()) {
        mostraAvviso(p, false);
        Contesto::interazione().ask(
            QStringLiteral("INVIO CASSA 1 NON EFFETTUATO!!! - PROBLEMI DI COMUNICAZIONE - VERIFICARE: CAVO/INDIRIZZO "
                           "IP/CASSA/RETE"),
            Interaction::Ok, Interaction::Icon::Critical);
    } else {
        serviCassaSeriale(1, rc.portaCOM, p);
    }
    if (!rc.portaCOM1.isEmpty())
        serviCassaSeriale(2, rc.portaCOM1, p);
    if (!rc.portaCOM2.isEmpty())
        serviCassaSeriale(3, rc.portaCOM2, p);

    mostraAvviso(p, false);
    Contesto::interazione().message(QStringLiteral("Invio Terminato "));
}

} // namespace TrasferimentoReparti
