#include "reglink/PluStaging.h"

#include "core/AppState.h"
#include "core/Articoli.h"
#include "core/Contesto.h"
#include "core/Database.h"
#include "core/ErrorLog.h"
#include "core/Paths.h"
#include "core/TextFile.h"
#include "core/VbConvert.h"
#include "core/Wait.h"
#include "core/store/Invio.h"
#include "core/store/Istruzione.h"
#include "core/store/Reparti.h"

#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QSqlError>
#include <QVarLengthArray>
#include <algorithm>
#include <vector>

namespace PluStaging {

namespace {

const QString kModulo = QStringLiteral("FUNZIONIQuidar");

QDate dataOfferta(const QString& s)
{
    const QDate iso = Vb::fromIso(s.left(10));
    return iso.isValid() ? iso : Vb::parseDate(s);
}

bool offertaValida(const Articoli::OffertaInvio& o, const QDate& oggi)
{
    const QDate dal = dataOfferta(o.dal);
    const QDate al = dataOfferta(o.al);
    return dal.isValid() && al.isValid() && dal <= oggi && oggi <= al;
}

// Staged rows go in through one statement prepared on the connection's own handle, bound and
// run per row: Qt's binding of the values cost more than SQLite's insert.
class Inserimento
{
public:
    QString errore;

    bool prepara()
    {
        if (m_ins.prepara(QStringLiteral("INSERT INTO MagazzinoPerQuidar (Ordinale, Descrizione, BarCode, Quantita, "
                                         "Prezzo, RepartoAss, CodArtMagazzino, UM, Modificato) "
                                         "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)")))
            return true;
        errore = m_ins.errore().text();
        return false;
    }

    bool aggiungi(const RigaStaging& r)
    {
        m_ins.lega(0, r.ordinale);
        m_ins.lega(1, r.descrizione);
        m_ins.lega(2, r.barCode);
        m_ins.lega(3, r.quantita);
        m_ins.lega(4, r.prezzo);
        m_ins.lega(5, r.repartoAss);
        m_ins.lega(6, r.codArtMagazzino);
        m_ins.lega(7, r.um);
        m_ins.lega(8, r.modificato ? 1 : 0);
        if (m_ins.esegui())
            return true;
        errore = m_ins.errore().text();
        return false;
    }

private:
    Db::Istruzione m_ins;
};

void logErrore(VbErr e, const QString& dettaglio)
{
    ScriviErrore(kModulo, QStringLiteral("PreparaTabxInvio"), e, dettaglio);
}

} // namespace

QString PulisciDescrizione(const QString& descrizione)
{
    // One pass: removals, "+" as MORE, "-" as LESS, "," as "."; built on the stack, since only
    // the trimmed first 20 characters become the result.
    QVarLengthArray<char16_t, 256> d;
    for (const QChar c : descrizione) {
        switch (c.unicode()) {
        case '/':
        case '\'':
        case '$':
        case '%':
        case '*':
        case '#':
        case '^':
        case 0x00B0:
            break;
        case '+':
            d.append(u"MORE", 4);
            break;
        case '-':
            d.append(u"LESS", 4);
            break;
        case ',':
            d.append(u'.');
            break;
        default:
            d.append(c.unicode());
        }
    }
    QStringView v = QStringView(d.constData(), d.size()).trimmed();
    if (v.size() > 20)
        v = v.left(20).trimmed();
    return v.toString();
}

QString BarCodeDaInviare(const QString& barCode)
{
    return Articoli::codiceInCassa(barCode);
}

QString FormattaQuantita(const QVariant& quantita)
{
    double q = quantita.isNull() ? 0 : quantita.toDouble();
    if (!(q > 0))
        q = 900;
    QString s = Vb::fixedPoint(q, 3);
    // "#####.000" writes no zero before the point.
    if (s.startsWith(QLatin1String("0.")))
        s.remove(0, 1);
    return s;
}

QString FormattaPrezzo(const QVariant& prezzo)
{
    return Vb::fixedPoint(prezzo.isNull() ? 0.0 : prezzo.toDouble(), 2);
}

Letto<int> CodiceRepartoDaDescrizione(const QString& descrizione)
{
    const Letto<int> cod = Articoli::codiceRepartoPerDescrizione(descrizione);
    if (!cod.ok)
        return cod;
    return Letto<int>::trovato(cod.valore.value_or(1));
}

namespace {

void aggiungiRecord(QString& s, const RigaStaging& r, bool flagPiruNEX)
{
    if (r.modificato) {
        s += QLatin1String("A/");
    } else {
        s += QLatin1String("P/");
        s += QString::number(r.ordinale);
        s += QLatin1Char('/');
    }
    s += r.barCode;
    s += QLatin1Char('/');
    s += r.descrizione;
    s += QLatin1Char('/');
    s += r.repartoAss;
    s += QLatin1String("/0/");
    s += r.prezzo;
    s += QLatin1String("/150.00/");
    s += r.quantita;
    if (!flagPiruNEX)
        s += QLatin1String("/00010000/");
    else if (r.modificato)
        s += QLatin1String("/10110000/0.00/0////");
    else
        s += QLatin1String("/10110000/0.00/0/");
}

} // namespace

EsitoPreparazione PreparaTabxInvio(bool soloModificati, PannelloTrasferimento& p, const QDate& oggi)
{
    // Everything is read first: no cursor stays open while the staging table is written.
    const Letto<std::vector<Articoli::ArticoloInvio>> letti = Articoli::articoliDaInviare(soloModificati);
    if (!letti.ok) {
        logErrore(VbErr::DatabaseError, letti.errore);
        return EsitoPreparazione::Errore;
    }
    const std::vector<Articoli::ArticoloInvio>& articoli = *letti.valore;
    if (articoli.empty())
        return EsitoPreparazione::Vuota;

    // The first promotion row of each article, and the extra barcodes in barcode order.
    const Letto<QHash<qint64, Articoli::OffertaInvio>> primeOfferte = Articoli::primeOfferte();
    if (!primeOfferte.ok) {
        logErrore(VbErr::DatabaseError, primeOfferte.errore);
        return EsitoPreparazione::Errore;
    }
    const Letto<QHash<qint64, QStringList>> extra = Articoli::barCodeUlterioriDaInviare();
    if (!extra.ok) {
        logErrore(VbErr::DatabaseError, extra.errore);
        return EsitoPreparazione::Errore;
    }
    const QHash<qint64, Articoli::OffertaInvio>& offerte = *primeOfferte.valore;
    const QHash<qint64, QStringList>& ulteriori = *extra.valore;

    // In full-archive mode the numbers go to the register's PLU field: they must fit before
    // anything is touched. Changed articles are sent by barcode and their numbers stay here.
    qint64 righe = 0;
    for (const Articoli::ArticoloInvio& a : articoli)
        if (!a.barCode.isEmpty())
            righe += 1 + ulteriori.value(a.cod).size();
    if (!soloModificati && righe > kMaxRighe) {
        const QString msg =
            QStringLiteral("TROPPI PLU DA INVIARE (%1)!!! - IL MASSIMO PER UN INVIO E' %2").arg(righe).arg(kMaxRighe);
        logErrore(VbErr::Overflow, msg);
        Contesto::interazione().ask(msg, Interaction::Ok, Interaction::Icon::Critical);
        return EsitoPreparazione::TroppeRighe;
    }

    Attesa(1500, InputUtente::Trattenuto);
    Db::Transaction tr;
    QString errore = tr.errore();
    if (!tr.ok() || !Db::exec(QStringLiteral("DELETE FROM MagazzinoPerQuidar"), {}, &errore)) {
        logErrore(VbErr::DatabaseError, errore);
        return EsitoPreparazione::Errore;
    }
    Inserimento ins;
    if (!ins.prepara()) {
        logErrore(VbErr::DatabaseError, ins.errore);
        return EsitoPreparazione::Errore;
    }
    auto inserisci = [&ins](const RigaStaging& r) { return ins.aggiungi(r); };

    QHash<QString, QString> reparti; // Genere -> department sent, worked out once each
    const QString prefisso = Pannello::testoTab(p) + QStringLiteral(" - N. Plu: ");
    QElapsedTimer avanzamento;
    avanzamento.start();
    int numero = kPrimoOrdinale;
    int fatti = 0;
    for (const Articoli::ArticoloInvio& a : articoli) {
        if (fatti == 0 || avanzamento.elapsed() >= 100) {
            Pannello::setTestoTab(p, prefisso + QString::number(numero));
            LasciaScorrereEventi(InputUtente::Trattenuto);
            avanzamento.restart();
        }
        ++fatti;
        if (a.barCode.isEmpty())
            continue;

        RigaStaging r;
        r.modificato = soloModificati;
        r.ordinale = numero;
        if (a.descrizioneNulla)
            logErrore(VbErr::InvalidUseOfNull, QStringLiteral("Descrizione, articolo %1").arg(a.cod));
        else
            r.descrizione = PulisciDescrizione(a.descrizione);
        r.codArtMagazzino = QString::number(a.cod);
        r.um = a.unita.isEmpty() ? QStringLiteral("Pz") : a.unita;
        r.barCode = BarCodeDaInviare(a.barCode);
        r.quantita = FormattaQuantita(a.quantita);

        double prezzo = a.costo;
        const auto off = offerte.constFind(a.cod);
        if (off != offerte.constEnd() && offertaValida(*off, oggi))
            prezzo = off->prezzo;
        r.prezzo = FormattaPrezzo(prezzo);

        if (a.genereNullo) {
            logErrore(VbErr::InvalidUseOfNull, QStringLiteral("Genere, articolo %1").arg(a.cod));
            r.repartoAss = QStringLiteral("1");
        } else {
            const QString& genere = a.genere;
            auto it = reparti.constFind(genere);
            if (it == reparti.constEnd()) {
                QString rep;
                if (Vb::isNumeric(genere)) {
                    rep = genere.trimmed();
                    rep.replace(QLatin1Char(','), QLatin1Char('.'));
                } else {
                    const Letto<int> cod = CodiceRepartoDaDescrizione(genere);
                    if (!cod.ok) {
                        logErrore(VbErr::DatabaseError, cod.errore);
                        return EsitoPreparazione::Errore;
                    }
                    rep = QString::number(*cod.valore);
                }
                it = reparti.insert(genere, rep);
            }
            r.repartoAss = *it;
        }

        if (!inserisci(r)) {
            logErrore(VbErr::DatabaseError, ins.errore);
            return EsitoPreparazione::Errore;
        }
        for (const QString& extra : ulteriori.value(a.cod)) {
            RigaStaging e = r;
            e.ordinale = ++numero;
            e.barCode = extra;
            if (!inserisci(e)) {
                logErrore(VbErr::DatabaseError, ins.errore);
                return EsitoPreparazione::Errore;
            }
        }
        ++numero;
    }
    if (!tr.commit()) {
        logErrore(VbErr::DatabaseError, tr.errore());
        return EsitoPreparazione::Errore;
    }
    return EsitoPreparazione::Preparata;
}

QString percorsoFilePLU(const QString& suffisso)
{
    return Paths::inProgramFolder(QStringLiteral("FilePLU") + suffisso + QStringLiteral(".txt"));
}

namespace {

// One staged row as the file writer reads it back: its barcode, for the order, and its record.
struct RigaLetta
{
    QString barCode;
    bool barCodeNullo = false;
    QString record;
};

// SQLite's text order (UTF-8 bytes, that is code points) on UTF-16 text: surrogates go above
// the rest of the basic plane.
inline char16_t chiaveCodePoint(char16_t u)
{
    if (u >= 0xD800 && u <= 0xDFFF)
        return char16_t(u + 0x2000);
    if (u >= 0xE000)
        return char16_t(u - 0x800);
    return u;
}

bool primaDi(const RigaLetta& a, const RigaLetta& b)
{
    if (a.barCodeNullo != b.barCodeNullo)
        return a.barCodeNullo; // Null first, as ORDER BY puts it
    const QString& x = a.barCode;
    const QString& y = b.barCode;
    const qsizetype n = std::min(x.size(), y.size());
    const char16_t* px = reinterpret_cast<const char16_t*>(x.constData());
    const char16_t* py = reinterpret_cast<const char16_t*>(y.constData());
    for (qsizetype i = 0; i < n; ++i) {
        if (px[i] != py[i])
            return chiaveCodePoint(px[i]) < chiaveCodePoint(py[i]);
    }
    return x.size() < y.size();
}

// The staged rows' records in ascending BarCode order, ties in table order: read in table order
// and sorted here, which costs less than SQLite's sort of the whole table. A binary barcode
// (never staged by us) has an order of its own: then SQLite sorts.
bool leggiStaging(bool flagPiruNEX, std::vector<RigaLetta>& righe, std::vector<quint32>& ordine, QString& errore)
{
    for (int giro = 0; giro < 2; ++giro) {
        const bool ordinaQui = giro == 0;
        righe.clear();
        // The connection's own statement: Qt's handing over of each value cost more than the read.
        Db::Istruzione q;
        if (!q.prepara(ordinaQui ? QStringLiteral("SELECT Ordinale, Descrizione, BarCode, Quantita, Prezzo, "
                                                  "RepartoAss, Modificato FROM MagazzinoPerQuidar ORDER BY rowid")
                                 : QStringLiteral("SELECT Ordinale, Descrizione, BarCode, Quantita, Prezzo, "
                                                  "RepartoAss, Modificato FROM MagazzinoPerQuidar "
                                                  "ORDER BY BarCode ASC, rowid ASC"))) {
            errore = q.errore().text();
            return false;
        }
        bool binario = false;
        RigaStaging r;
        Db::Istruzione::Passo passo;
        while ((passo = q.passo()) == Db::Istruzione::Passo::Riga) {
            const QVariant bc = q.valore(2);
            if (ordinaQui && bc.metaType().id() == QMetaType::QByteArray) {
                binario = true;
                q.azzera();
                break;
            }
            r.ordinale = q.valore(0).toInt();
            QString d = q.testo(1);
            d.remove(QLatin1Char('/'));
            d.remove(QLatin1Char('\''));
            d.replace(QLatin1Char(','), QLatin1Char('.'));
            if (d.size() > 20)
                d.truncate(20);
            r.descrizione = std::move(d);
            r.barCode = bc.toString();
            r.quantita = q.testo(3);
            r.prezzo = q.testo(4);
            r.repartoAss = q.testo(5);
            r.modificato = Db::isTrue(q.valore(6));
            RigaLetta l;
            l.barCodeNullo = bc.isNull();
            l.barCode = r.barCode;
            l.record.reserve(96);
            aggiungiRecord(l.record, r, flagPiruNEX);
            righe.push_back(std::move(l));
        }
        // A read that stopped halfway would send some of the articles as if they were all.
        if (passo == Db::Istruzione::Passo::Errore) {
            errore = q.errore().text();
            return false;
        }
        if (binario)
            continue;
        ordine.resize(righe.size());
        for (size_t i = 0; i < ordine.size(); ++i)
            ordine[i] = quint32(i);
        if (ordinaQui) {
            const auto prima = [&righe](quint32 a, quint32 b) { return primaDi(righe[a], righe[b]); };
            if (!std::is_sorted(ordine.begin(), ordine.end(), prima))
                std::stable_sort(ordine.begin(), ordine.end(), prima);
        }
        return true;
    }
    return true;
}

bool soloAscii(const QString& s)
{
    const char16_t* p = reinterpret_cast<const char16_t*>(s.constData());
    const char16_t* end = p + s.size();
    char16_t o = 0;
    for (; p != end; ++p)
        o |= *p;
    return o < 0x80;
}

} // namespace

EsitoFile ScriviFilePLU(const QString& suffisso, PannelloTrasferimento& p)
{
    const QString path = percorsoFilePLU(suffisso);
    if (TextFile::eCollegamento(path)) {
        ScriviErrore(kModulo, QStringLiteral("ScriviFilePLU"), TextFile::rifiutoCollegamento(path));
        return EsitoFile::Errore;
    }
    if (QFile::exists(path) && !QFile::remove(path)) {
        ScriviErrore(kModulo, QStringLiteral("ScriviFilePLU"), VbErr::PermissionDenied, path);
        return EsitoFile::Errore;
    }
    std::vector<RigaLetta> righe;
    std::vector<quint32> ordine;
    righe.reserve(4096);
    QString errore;
    if (!leggiStaging(app().flagPiruNEX, righe, ordine, errore)) {
        ScriviErrore(kModulo, QStringLiteral("ScriviFilePLU"), VbErr::DatabaseError, errore);
        return EsitoFile::Errore;
    }
    if (righe.empty()) {
        Pannello::avviso(p, QStringLiteral("Nessun Articolo da inviare!!!"));
        return EsitoFile::Vuoto;
    }
    qsizetype lunghezza = 0;
    for (const RigaLetta& l : righe)
        lunghezza += l.record.size() + 2;
    QString testo;
    testo.reserve(lunghezza);
    for (const quint32 i : ordine) {
        testo += righe[i].record;
        testo += QLatin1String("\r\n");
    }
    Pannello::setRecTot(p, QString::number(righe.size()));
    // Windows-1252 is ASCII below 0x80: the usual file needs no code-page conversion.
    const QByteArray bytes = soloAscii(testo) ? testo.toLatin1() : TextFile::encode(testo);
    if (Esito motivo; !TextFile::writeAtomically(path, bytes, &motivo)) {
        ScriviErrore(kModulo, QStringLiteral("ScriviFilePLU"), motivo);
        return EsitoFile::Errore;
    }
    return EsitoFile::Scritto;
}

} // namespace PluStaging
