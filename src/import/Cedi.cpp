#include "import/Cedi.h"

#include "core/Articoli.h"
#include "core/ArticoliLotto.h"
#include "core/Contesto.h"
#include "core/Database.h"
#include "core/Progress.h"
#include "core/TextFile.h"
#include "core/VbConvert.h"
#include "core/Wait.h"
#include "core/store/Istruzione.h"
#include "import/Importazioni.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringDecoder>
#include <algorithm>
#include <cmath>
#include <limits>

namespace Cedi {

namespace {

// Pending events run this often while a file is applied (no user input: no click may start a
// second piece of work on the same connection inside our transaction).
constexpr int kRigheTraEventi = 512;

// The usual field is zero-padded digits: read those at once, the rest as the shop locale reads
// numbers (Vb::cdbl gives the same value for plain digits).
std::optional<double> numeroDiCampo(const QString& t)
{
    if (!t.isEmpty() && t.size() <= 15) {
        qint64 v = 0;
        bool cifre = true;
        for (QChar c : t) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
                cifre = false;
                break;
            }
            v = v * 10 + (c.unicode() - '0');
        }
        if (cifre)
            return double(v);
    }
    return Vb::cdbl(t);
}

// A text read as the shop locale reads it into an integer column: nullopt when it does not convert.
std::optional<int> comeIntero(const QString& t)
{
    const auto d = numeroDiCampo(t);
    if (!d)
        return std::nullopt;
    return Vb::cint(*d);
}

double comeNumero(const QString& t)
{
    const auto d = numeroDiCampo(t);
    return d && std::isfinite(*d) ? *d : 0.0;
}

// Integer fields are read only when not empty; a failed conversion leaves 0.
int intero(const QString& t)
{
    return t.isEmpty() ? 0 : comeIntero(t).value_or(0);
}

// Field 36: thousandths, taken only when the leading digits read as a number other than 0.
double prezzoMillesimi(const QString& t)
{
    const auto d = numeroDiCampo(t);
    if (d && *d == 0)
        return 0;
    if (!d && Vb::val(t) == 0)
        return 0;
    return (d && std::isfinite(*d) ? *d : 0.0) / 1000.0;
}

Esito dbFallito(const QString& e)
{
    return Esito::fallito(VbErr::DatabaseError, e);
}

} // namespace

const std::array<Campo, kCampiA>& campiA()
{
    static const std::array<Campo, kCampiA> c = {{
        {1, 1},   {2, 8},    {10, 7},  {17, 9},  {26, 40},  {66, 20},  {86, 4},   {90, 3},   {93, 3},  {96, 2},
        {98, 5},  {103, 9},  {112, 2}, {114, 8}, {122, 4},  {126, 1},  {127, 1},  {128, 1},  {129, 1}, {130, 1},
        {131, 4}, {135, 13}, {148, 8}, {157, 4}, {161, 2},  {163, 4},  {167, 4},  {171, 2},  {173, 8}, {181, 5},
        {186, 8}, {194, 3},  {197, 6}, {203, 3}, {206, 13}, {219, 13}, {232, 13}, {245, 13}, {258, 8}, {266, 8},
        {274, 8}, {282, 8},  {290, 1}, {291, 1}, {292, 9},  {301, 2},  {303, 3},  {306, 2},  {308, 2}, {310, 2},
        {312, 2}, {314, 12}, {326, 8}, {334, 2}, {336, 3},  {339, 20},
    }};
    return c;
}

const std::array<Campo, kCampiB>& campiB()
{
    static const std::array<Campo, kCampiB> c = {{
        {1, 1},
        {2, 8},
        {10, 7},
        {17, 9},
        {26, 20},
        {46, 5},
        {51, 1},
        {52, 1},
        {53, 9},
        {62, 9},
        {71, 2},
        {73, 3},
        {76, 20},
        {96, 8},
        {104, 2},
        {107, 3},
        {110, 20},
    }};
    return c;
}

const std::array<QString, kCampiB>& colonneB()
{
    static const std::array<QString, kCampiB> c = {
        QStringLiteral("TipoVariazione"),
        QStringLiteral("DataVariazione"),
        QStringLiteral("CodFornitore"),
        QStringLiteral("CodArticoloFornitore"),
        QStringLiteral("CodEan"),
        QStringLiteral("EANMoltiplicatore"),
        QStringLiteral("TipoArticolo"),
        QStringLiteral("EANPrimario"),
        QStringLiteral("ArtCEDI"),
        QStringLiteral("CodArtCEDI"),
        QStringLiteral("DifferenziatoreArtCEDI"),
        QStringLiteral("RepartoCassa"),
        QStringLiteral("Filler4"),
        QStringLiteral("CodForPrevalente"),
        QStringLiteral("DiffFornitPrevalente"),
        QStringLiteral("LineaFornitore"),
        QStringLiteral("Filler5"),
    };
    return c;
}

QString taglia(const QString& riga, const Campo& campo)
{
    // Never a null text: an empty field is stored as an empty text, not as Null.
    const qsizetype da = campo.inizio - 1;
    QString t = da < riga.size() ? QStringView(riga).mid(da, campo.lunghezza).trimmed().toString() : QString();
    if (t.isNull())
        t = QString(0, QChar());
    return t;
}

QString dataCentrale(const QString& testo)
{
    // day, month, year: 1-2, 1-2 and 2 or 4 digits, with the same separator twice
    const QString t = testo.trimmed();
    int parti[3] = {0, 0, 0};
    int cifre[3] = {0, 0, 0};
    int p = 0;
    QChar separatore;
    for (QChar c : t) {
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            if (++cifre[p] > 4)
                return QStringLiteral("0");
            parti[p] = parti[p] * 10 + (c.unicode() - '0');
        } else if ((c == QLatin1Char('/') || c == QLatin1Char('-') || c == QLatin1Char('.')) && p < 2 &&
                   (separatore.isNull() || c == separatore)) {
            separatore = c;
            ++p;
        } else {
            return QStringLiteral("0");
        }
    }
    if (p != 2 || cifre[0] < 1 || cifre[0] > 2 || cifre[1] < 1 || cifre[1] > 2 || (cifre[2] != 2 && cifre[2] != 4))
        return QStringLiteral("0");
    int anno = parti[2];
    if (cifre[2] == 2)
        anno += anno < 30 ? 2000 : 1900;
    if (!QDate::isValid(anno, parti[1], parti[0]))
        return QStringLiteral("0");
    // yyyy-MM-dd, as Vb::isoDate writes it, without a formatter per field of every line
    QString iso(10, Qt::Uninitialized);
    const auto scrivi = [&iso](int da, int n, int v) {
        for (int k = n - 1; k >= 0; --k, v /= 10)
            iso[da + k] = QChar(u'0' + v % 10);
    };
    scrivi(0, 4, anno);
    iso[4] = QLatin1Char('-');
    scrivi(5, 2, parti[1]);
    iso[7] = QLatin1Char('-');
    scrivi(8, 2, parti[0]);
    return iso;
}

QString RigaA::campo(int n) const
{
    if (n < 1 || n > kCampiA)
        return {};
    return taglia(riga, campiA()[size_t(n - 1)]);
}

int RigaA::intero(int n) const
{
    switch (n) {
    case 10:
    case 15:
    case 21:
    case 26:
    case 27:
        return Cedi::intero(campo(n));
    default:
        return 0;
    }
}

double RigaA::numero(int n) const
{
    switch (n) {
    case 22:
        return campo(n).isEmpty() ? 0 : Vb::roundHalfAway(comeNumero(campo(n)), 3);
    case 30: {
        // "9e99" fits the field but not a single: it overflows, so it counts as not converted
        const double d = comeNumero(campo(n));
        return std::fabs(d) <= double(std::numeric_limits<float>::max()) ? double(float(d)) : 0.0;
    }
    case 35:
    case 37:
    case 38:
        return comeNumero(campo(n));
    case 36:
        return prezzoMillesimi(campo(n));
    default:
        return 0;
    }
}

RigaA leggiRigaA(const QString& riga)
{
    RigaA r;
    r.riga = riga;
    const auto& c = campiA();
    auto f = [&](int n) { return taglia(riga, c[size_t(n - 1)]); };
    r.tipoVariazione = f(1);
    r.descrizione = f(5);
    r.artCEDI = f(12);
    r.fornitoreSigma = f(17) == QLatin1String("S");
    r.unitaMisura = f(25);
    r.quantita = intero(f(27));
    r.costo = prezzoMillesimi(f(36));
    r.prezzoPromo = comeNumero(f(38));
    r.dataInizioPromo = dataCentrale(f(41));
    r.dataFinePromo = dataCentrale(f(42));
    r.repartoCassa = f(47);
    return r;
}

RigaB leggiRigaB(const QString& riga)
{
    RigaB r;
    for (int i = 0; i < kCampiB; ++i)
        r.campi[size_t(i)] = taglia(riga, campiB()[size_t(i)]);
    return r;
}

bool importazioneInCorso()
{
    return Contesto::importazioni().inCorso > 0;
}
ImportazioneInCorso::ImportazioneInCorso()
{
    ++Contesto::importazioni().inCorso;
}
ImportazioneInCorso::~ImportazioneInCorso()
{
    --Contesto::importazioni().inCorso;
}

namespace {

// TrovaNomeRep over the departments read once per file: the description, or the code as text.
class NomiReparti
{
public:
    Esito leggi()
    {
        const Letto<QList<Reparto>> r = Articoli::reparti();
        if (!r.ok)
            return dbFallito(r.errore);
        for (const Reparto& rep : *r.valore)
            m_nomi.insert(rep.cod, rep.descrizione);
        return Esito::riuscito();
    }
    QString nome(int cod) const { return m_nomi.value(cod, QString::number(cod)); }

private:
    QHash<int, QString> m_nomi;
};

// The columns an article line writes (the others keep what the article had): all of them are the
// line's, so an article it changes need not be read first.
const QStringList kColonneA = {
    QStringLiteral("Descrizione"), QStringLiteral("\"Quantità\""),   QStringLiteral("Costo"),
    QStringLiteral("CodArtCEDI"),  QStringLiteral("Genere"),         QStringLiteral("UnitaMisura"),
    QStringLiteral("Fornitore"),   QStringLiteral("TipoVariazione"), QStringLiteral("DataInizioPromo"),
    QStringLiteral("PrezzoPromo"), QStringLiteral("DataFinePromo"),  QStringLiteral("Modificato"),
    QStringLiteral("Minimo")};

// Writes the line's values into `a`; false when its department code is no number, which leaves
// the department as it was.
bool scriviDaRigaA(Articolo& a, const RigaA& r, const NomiReparti& reparti)
{
    bool reparto = true;
    a.descrizione = r.descrizione;
    a.quantita = r.quantita;
    a.costo = r.costo;
    a.codArtCEDI = r.artCEDI;
    if (r.repartoCassa.isEmpty()) {
        a.genere = QStringLiteral("1");
    } else if (const auto cod = comeIntero(r.repartoCassa)) {
        a.genere = reparti.nome(*cod);
    } else {
        reparto = false;
    }
    a.unitaMisura = r.unitaMisura;
    a.fornitore = r.fornitoreSigma ? QStringLiteral("SIGMA") : QStringLiteral("***");
    a.tipoVariazione = r.tipoVariazione;
    a.dataInizioPromo = r.dataInizioPromo;
    a.prezzoPromo = r.prezzoPromo;
    a.dataFinePromo = r.dataFinePromo;
    a.modificato = true;
    a.minimo = 0.0;
    return reparto;
}

// The records cut by `leggiRiga`, then the pause the import has always made before writing.
template <class Riga> QList<Riga> righeDi(const QStringList& testo, Riga (*leggiRiga)(const QString&))
{
    QList<Riga> righe;
    righe.reserve(testo.size());
    for (const QString& t : testo)
        righe << leggiRiga(t);
    AttesaSenzaInput(700);
    return righe;
}

// The records of the file at `percorso`; false (`esito` set) when it cannot be read or is not whole.
bool righeDelFile(const QString& percorso, TipoFile tipo, QStringList& righe, Esito& esito)
{
    QByteArray contenuto;
    if (!leggiFile(percorso, contenuto, esito))
        return false;
    EsameFile esame = esaminaFile(contenuto, tipo);
    if (esame.stato != EsameFile::Stato::Pronto) {
        esito = Esito::fallito(VbErr::TypeMismatch, percorso + QStringLiteral(": ") + esame.motivo);
        return false;
    }
    righe = std::move(esame.righe);
    return true;
}

bool soloSpazi(QStringView t)
{
    for (QChar c : t)
        if (c != QLatin1Char(' ') && c != QLatin1Char('\t'))
            return false;
    return true;
}

// A line that does something in a file of its kind: an A line of kind "M" or "N" (other kinds
// change nothing), a B line that names an EAN or an article code (the key of its B_CEDI row).
bool rigaDelTipo(const QString& riga, TipoFile tipo)
{
    if (tipo == TipoFile::Articoli) {
        const QString k = taglia(riga, campiA()[0]);
        return k == QLatin1String("M") || k == QLatin1String("N");
    }
    return !taglia(riga, campiB()[4]).isEmpty() || !taglia(riga, campiB()[8]).isEmpty();
}

} // namespace

Esito Importatore::DatiPLUSigma(const QString& percorso, ProgressSink& progresso)
{
    ImportazioneInCorso inCorso;
    Esito esito;
    QStringList testo;
    if (!righeDelFile(percorso, TipoFile::Articoli, testo, esito))
        return esito;
    return DatiPLUSigma(testo, progresso);
}

Esito Importatore::DatiPLUSigma(const QStringList& testo, ProgressSink& progresso, qsizetype primaDaApplicare)
{
    ImportazioneInCorso inCorso;
    LasciaScorrereEventi(InputUtente::Trattenuto);
    progresso.setStatus(QStringLiteral("Importazione dati PLU in corso..."));
    LasciaScorrereEventi(InputUtente::Trattenuto);

    Esito esito;
    const QList<RigaA> righe = righeDi(testo, leggiRigaA);

    NomiReparti reparti;
    if (!(esito = reparti.leggi()))
        return esito;
    Db::Transaction t;
    if (!t.ok())
        return dbFallito(t.errore());
    Articoli::Lotto articoli(kColonneA);
    QStringList senzaGenere = kColonneA;
    senzaGenere.removeAll(QStringLiteral("Genere"));
    Articoli::Lotto articoliSenzaReparto(senzaGenere);
    // New articles take the next free codes, counted on here: only this loop adds rows meanwhile.
    const std::optional<qint64> primoLibero = Articoli::nuovoCodice();
    if (!primoLibero)
        return dbFallito(QStringLiteral("MAX(CodMateriale)"));
    qint64 prossimo = *primoLibero;
    progresso.setRange(0, int(righe.size()));
    for (qsizetype i = qBound<qsizetype>(0, primaDaApplicare, righe.size()); i < righe.size(); ++i) {
        const RigaA& r = righe.at(i);
        if ((i + 1) % kRigheTraEventi == 0) {
            progresso.setValue(int(i + 1));
            LasciaScorrereEventi(InputUtente::Trattenuto);
        }
        // An "M" line is one product: every article of its code takes its values (each keeps
        // its own code and barcode). A blank code names no product and never matches.
        QList<qint64> codici;
        if (r.tipoVariazione == QLatin1String("M")) {
            if (!r.artCEDI.isEmpty()) {
                Letto<QList<qint64>> trovati = articoli.codiciPerCodiceCEDI(r.artCEDI);
                if (!trovati.ok)
                    return dbFallito(trovati.errore);
                codici = std::move(*trovati.valore);
            }
        } else if (r.tipoVariazione != QLatin1String("N")) {
            continue;
        }
        Articolo a;
        const bool conReparto = scriviDaRigaA(a, r, reparti);
        if (codici.isEmpty()) {
            a.codMateriale = prossimo++;
            if (!(esito = articoli.inserisci(a)))
                return esito;
        }
        for (qint64 codice : std::as_const(codici)) {
            a.codMateriale = codice;
            if (!(esito = (conReparto ? articoli : articoliSenzaReparto).aggiorna(a)))
                return esito;
        }
    }
    if (!t.commit())
        return dbFallito(t.errore());
    progresso.setValue(int(righe.size()));
    m_righeA = righe;
    return Esito::riuscito();
}

Esito Importatore::DatiPLUVar(const QString& percorso, ProgressSink& progresso)
{
    ImportazioneInCorso inCorso;
    Esito esito;
    QStringList testo;
    if (!righeDelFile(percorso, TipoFile::Variazioni, testo, esito))
        return esito;
    return DatiPLUVar(testo, progresso);
}

Esito Importatore::DatiPLUVar(const QStringList& testo, ProgressSink& progresso, qsizetype primaDaApplicare)
{
    ImportazioneInCorso inCorso;
    Esito esito;
    const QList<RigaB> righe = righeDi(testo, leggiRigaB);

    Db::Transaction t;
    if (!t.ok())
        return dbFallito(t.errore());
    QStringList aggiorna;
    for (const QString& c : colonneB())
        if (c != QLatin1String("ArtCEDI") && c != QLatin1String("CodEan"))
            aggiorna << c + QStringLiteral(" = excluded.") + c;
    Db::Istruzione bCedi;
    if (!bCedi.prepara(QStringLiteral("INSERT INTO B_CEDI (") +
                       QStringList(colonneB().begin(), colonneB().end()).join(QStringLiteral(", ")) +
                       QStringLiteral(") VALUES (?") + QStringLiteral(", ?").repeated(kCampiB - 1) +
                       QStringLiteral(") ON CONFLICT (ArtCEDI, CodEan) DO UPDATE SET ") +
                       aggiorna.join(QStringLiteral(", "))))
        return dbFallito(bCedi.errore().text());
    Articoli::Lotto articoli;
    progresso.setRange(0, int(righe.size()));
    for (qsizetype i = qBound<qsizetype>(0, primaDaApplicare, righe.size()); i < righe.size(); ++i) {
        const RigaB& r = righe.at(i);
        if ((i + 1) % kRigheTraEventi == 0) {
            progresso.setValue(int(i + 1));
            LasciaScorrereEventi(InputUtente::Trattenuto);
        }
        for (int k = 0; k < kCampiB; ++k)
            bCedi.lega(k, r.campi[size_t(k)]);
        if (!bCedi.esegui())
            return Db::esitoDi(bCedi.errore());
        if (r.artCEDI().isEmpty())
            continue;
        // An article of this code that already carries this EAN keeps things as they are; else the
        // first article of the code takes it.
        const Letto<bool> porta = articoli.esisteCodiceCEDIConBarCode(r.artCEDI(), r.codEan());
        if (!porta.ok)
            return dbFallito(porta.errore);
        if (*porta.valore)
            continue;
        const Letto<qint64> cod = articoli.codicePerCodiceCEDI(r.artCEDI());
        if (!cod.ok)
            return dbFallito(cod.errore);
        if (cod.valore && !(esito = articoli.impostaBarCode(*cod.valore, r.codEan())))
            return esito;
    }
    if (!(esito = CreaArticoliEANMultipli(articoli)))
        return esito;
    if (!t.commit())
        return dbFallito(t.errore());
    progresso.setValue(int(righe.size()));
    progresso.setStatus(QStringLiteral("Importazione Dati PLU - Terminata"));
    AttesaSenzaInput(1800);
    return Esito::riuscito();
}

Esito Importatore::CreaArticoliEANMultipli(Articoli::Lotto& articoli)
{
    // The pairs first, then the writes: no cursor stays open on a table being written.
    QList<std::pair<QString, QString>> coppie;
    {
        QSqlQuery q(Db::dbNegozio());
        q.setForwardOnly(true);
        if (!q.exec(QStringLiteral("SELECT ArtCEDI, CodEan FROM B_CEDI WHERE ArtCEDI <> '' AND ArtCEDI IN "
                                   "(SELECT ArtCEDI FROM B_CEDI GROUP BY ArtCEDI HAVING COUNT(*) > 1) "
                                   "ORDER BY ArtCEDI, rowid")))
            return dbFallito(q.lastError().text());
        while (q.next())
            coppie.append({q.value(0).toString(), q.value(1).toString()});
        if (q.lastError().isValid())
            return dbFallito(q.lastError().text());
    }
    if (coppie.isEmpty() || m_righeA.isEmpty())
        return Esito::riuscito();

    QHash<QString, QList<qsizetype>> righePerCodice;
    for (qsizetype i = 0; i < m_righeA.size(); ++i)
        righePerCodice[m_righeA.at(i).artCEDI].append(i);
    NomiReparti reparti;
    Esito esito = reparti.leggi();
    if (!esito)
        return esito;
    int n = 0;
    for (const auto& [codice, ean] : std::as_const(coppie)) {
        if (++n % kRigheTraEventi == 0)
            LasciaScorrereEventi(InputUtente::Trattenuto);
        const auto righe = righePerCodice.constFind(codice);
        if (righe == righePerCodice.cend())
            continue;
        const Letto<bool> porta = articoli.esisteCodiceCEDIConBarCode(codice, ean);
        if (!porta.ok)
            return dbFallito(porta.errore);
        if (*porta.valore)
            continue;
        for (qsizetype i : *righe) {
            Articolo a;
            scriviDaRigaA(a, m_righeA.at(i), reparti);
            a.barCode = ean;
            if (!(esito = articoli.inserisci(a)))
                return esito;
        }
    }
    return Esito::riuscito();
}

bool leggiFile(const QString& percorso, QByteArray& contenuto, Esito& esito)
{
    QFile f(percorso);
    if (!f.open(QIODevice::ReadOnly)) {
        // The real reason: a file that is there but cannot be read is not "not found".
        const QFileInfo info(percorso);
        const VbErr n = info.exists() ? VbErr::PermissionDenied : VbErr::FileNotFound;
        esito = Esito::fallito(n, percorso + QStringLiteral(" (") + f.errorString() + QLatin1Char(')'));
        return false;
    }
    contenuto = f.read(kDimensioneMassima + 1);
    if (f.error() != QFileDevice::NoError) {
        esito = Esito::fallito(VbErr::PermissionDenied,
                               percorso + QStringLiteral(" (") + f.errorString() + QLatin1Char(')'));
        return false;
    }
    return true;
}

EsameFile esaminaFile(const QByteArray& contenuto, TipoFile tipo)
{
    EsameFile r;
    const auto scarta = [&r](const QString& motivo) {
        r.stato = EsameFile::Stato::Scartato;
        r.motivo = motivo;
        r.righe.clear();
        return r;
    };
    if (contenuto.size() > kDimensioneMassima)
        return scarta(QStringLiteral("il file supera %1 MB").arg(kDimensioneMassima / (1024 * 1024)));
    QByteArrayView byte(contenuto);
    if (byte.startsWith("\xFF\xFE") || byte.startsWith("\xFE\xFF"))
        return scarta(QStringLiteral("il file è scritto in UTF-16, non in Windows-1252 né in UTF-8"));
    if (byte.contains('\0'))
        return scarta(QStringLiteral("il file contiene caratteri nulli: non è un file di testo"));
    // Old DOS writers end a file with Ctrl-Z.
    if (byte.endsWith('\x1A'))
        byte.chop(1);

    const bool bom = byte.startsWith("\xEF\xBB\xBF");
    if (bom)
        byte = byte.sliced(3);
    const bool ascii =
        std::all_of(byte.cbegin(), byte.cend(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    QString testo;
    if (ascii) {
        testo = QString::fromLatin1(byte);
    } else {
        QStringDecoder utf8(QStringDecoder::Utf8);
        testo = utf8.decode(byte);
        if (!utf8.hasError()) {
            r.utf8 = true;
        } else if (bom) {
            return scarta(QStringLiteral("il file si dichiara UTF-8 ma non lo è"));
        } else {
            testo = TextFile::decode(byte.toByteArray());
        }
    }

    // Every line is a record read as the layout reads it: a short one gives the fields it
    // reaches, a long one is cut. Whether the writer is done is the poll's business.
    const QStringList righe = TextFile::splitLines(testo);
    r.righe.reserve(righe.size());
    bool delTipo = false;
    for (qsizetype i = 0; i < righe.size(); ++i) {
        const QString& riga = righe.at(i);
        if (soloSpazi(riga))
            continue;
        for (QChar c : riga)
            if (c.unicode() < 0x20 && c != QLatin1Char('\t'))
                return scarta(QStringLiteral("riga %1: carattere di controllo %2: non è un file di testo")
                                  .arg(i + 1)
                                  .arg(c.unicode()));
        delTipo = delTipo || rigaDelTipo(riga, tipo);
        r.righe << riga;
    }
    if (!r.righe.isEmpty() && !delTipo)
        return scarta(tipo == TipoFile::Articoli
                          ? QStringLiteral("nessuna riga di articoli (tipo M o N): non è un file articoli (A)")
                          : QStringLiteral("nessuna riga con un EAN o un codice articolo: non è un file "
                                           "variazioni (B)"));
    r.stato = EsameFile::Stato::Pronto;
    return r;
}

} // namespace Cedi
