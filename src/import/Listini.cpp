#include "import/Listini.h"

#include "core/Database.h"
#include "core/ErrorLog.h"
#include "core/Interaction.h"
#include "core/Lookups.h"
#include "core/Paths.h"
#include "core/VbConvert.h"
#include "import/Cartella.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>

namespace Listini {

QString msgErrore()
{
    return QStringLiteral("Errore in Importazione - Controllare le selezioni e riprovare");
}
QString msgImpossibile()
{
    return QStringLiteral("Impossibile eseguire l'importazione");
}
QString msgInCorso()
{
    return QStringLiteral("Importazione dati PLU in corso...");
}
QString msgTerminata()
{
    return QStringLiteral("Importazione Dati PLU - Terminata");
}

namespace {

// The first equal pair among `valori` (i < j).
bool replicati(const QVector<int>& valori)
{
    for (int i = 0; i < valori.size(); ++i)
        for (int j = i + 1; j < valori.size(); ++j)
            if (valori.at(i) == valori.at(j))
                return true;
    return false;
}

// The messages of the positions both kinds of file need.
const QString kSenzaBarCode = QStringLiteral("Posizione del barcode non impostata");
const QString kSenzaReparto = QStringLiteral("Posizione del reparto non impostata");
const QString kSenzaPrezzo = QStringLiteral("Posizione del prezzo di vendita non impostata");
const QString kSenzaDescrizione = QStringLiteral("Posizione della descrizione non impostata");

// The message of the first position of `richieste` left unset, else of two equal `distinte`;
// empty when all is well.
QString controlla(std::initializer_list<std::pair<int, QString>> richieste, const QVector<int>& distinte)
{
    for (const auto& [posizione, messaggio] : richieste)
        if (posizione == 0)
            return messaggio;
    return replicati(distinte) ? QStringLiteral("Valori di colonna replicati - Controllare") : QString();
}

} // namespace

QString ControllaPosizioniTesto(const ImpostazioniImport& imp)
{
    if (imp.opzioneSeparatore < 0 || imp.opzioneSeparatore > 5)
        return QStringLiteral("Separatore NON selezionato");
    if (imp.opzioneSeparatore == kPoseidon)
        return {};
    return controlla({{imp.posBC, kSenzaBarCode},
                      {imp.posQta, QStringLiteral("Posizione della quantità non impostata")},
                      {imp.posRep, kSenzaReparto},
                      {imp.posPV, kSenzaPrezzo},
                      {imp.posDes, kSenzaDescrizione}},
                     {imp.posBC, imp.posQta, imp.posRep, imp.posPV, imp.posDes});
}

QString ControllaPosizioniXLS(const ImpostazioniImport& imp)
{
    return controlla(
        {{imp.posBC, kSenzaBarCode},
         {imp.posRep, kSenzaReparto},
         {imp.posPV, kSenzaPrezzo},
         {imp.posDes, kSenzaDescrizione},
         {imp.posACQ, QStringLiteral("Posizione del Prezzo di Acquisto non impostata")},
         {imp.posIVA, QStringLiteral("Posizione del valore IVA non impostata")},
         {imp.posCFOR, QStringLiteral("Posizione del codice Prodotto per il Fornitore non impostata")},
         {imp.posFOR, QStringLiteral("Posizione del Fornitore non impostata")}},
        {imp.posBC, imp.posQta, imp.posRep, imp.posPV, imp.posDes, imp.posACQ, imp.posIVA, imp.posCFOR, imp.posFOR});
}

QString RiepilogoImport::testo() const
{
    const QLocale& it = Vb::italian();
    QString t = QStringLiteral("Righe lette: %1, saltate: %2").arg(it.toString(lette), it.toString(saltate));
    if (!illeggibili.isEmpty()) {
        QList<int> righe = illeggibili;
        std::sort(righe.begin(), righe.end());
        righe.erase(std::unique(righe.begin(), righe.end()), righe.end());
        QStringList prime;
        for (int i = 0; i < righe.size() && i < 10; ++i)
            prime << QString::number(righe.at(i));
        t += QStringLiteral("\r\nValori non leggibili nelle righe: ") + prime.join(QStringLiteral(", "));
        if (righe.size() > 10)
            t += QStringLiteral(" (e altre %1)").arg(it.toString(righe.size() - 10));
    }
    if (!copia.isEmpty())
        t += QStringLiteral("\r\nL'archivio di prima è salvato in: ") + QDir::toNativeSeparators(copia) +
             QStringLiteral("\r\nPer riaverlo: \"Cambia Dati\" e scegliere questa cartella");
    return t;
}

QString cartellaCopiaArchivio()
{
    const QString db = Db::currentPath();
    const QString dati = db.isEmpty() ? Paths::datiFolder() : QFileInfo(db).absolutePath();
    return QDir(dati).filePath(QStringLiteral("PrimaImportazione"));
}

bool EseguiImportazione(const QString& path, const ImpostazioniImport& imp, Interaction& ui, ProgressSink& sink,
                        RiepilogoImport* riepilogo)
{
    RiepilogoImport locale;
    RiepilogoImport& r = riepilogo ? *riepilogo : locale;
    r = RiepilogoImport();
    const bool conFornitore = !imp.fornitore.isEmpty();
    if (!imp.fileExcel && !conFornitore) {
        const QString msg = ControllaPosizioniTesto(imp);
        if (!msg.isEmpty()) {
            ui.ask(msg, Interaction::Ok);
            return false;
        }
        return EseguiImportTesto(path, imp, ui, sink, r);
    }
    if (imp.fileExcel) {
        if (!conFornitore) {
            const QString msg = ControllaPosizioniXLS(imp);
            if (!msg.isEmpty()) {
                ui.ask(msg, Interaction::Ok);
                return false;
            }
        }
        QString errore;
        const auto cartella = apriCartella(path, &errore);
        if (!cartella) {
            if (errore.isEmpty())
                errore = QStringLiteral("Il file non è una cartella di lavoro leggibile");
            ScriviErrore(QStringLiteral("frmImporta"), QStringLiteral("cmdProcedi_Click"), errore, QStringLiteral("0"));
            ui.ask(msgImpossibile() + QStringLiteral("\r\n") + errore, Interaction::Ok, Interaction::Icon::Critical);
            return false;
        }
        return conFornitore ? ImportaPrimoFoglio(*cartella, imp.fornitore, ui, sink, r)
                            : ImportaFoglioPRODOTTI(*cartella, imp, ui, sink, r);
    }
    return EseguiImportFornitore(path, imp.fornitore, ui, sink, r);
}

// ---------------------------------------------------------------- line readers

namespace {

// A price field read from a line: `v` when it is a price the archive takes, else nothing and
// the record is marked.
QString prezzoLetto(std::optional<double> v, RigaImport& r)
{
    if (const auto p = accettabile(v, Valore::Prezzo))
        return Vb::cstr(*p);
    r.illeggibile = true;
    return {};
}

} // namespace

bool lineaPoseidon(const QString& linea, RigaImport& r)
{
    r = RigaImport();
    r.descrizione = linea.mid(16, 20).trimmed();
    if (r.descrizione.isEmpty())
        return false;
    r.reparto = linea.mid(0, 2).trimmed();
    r.barCode = linea.mid(2, 14).trimmed();
    const QString cent = linea.mid(37, 5).trimmed();
    if (!cent.isEmpty()) {
        const auto v = numeroItaliano(cent);
        r.prezzo = prezzoLetto(v ? std::optional<double>(*v / 100.0) : std::nullopt, r);
    }
    r.quantita = QStringLiteral("0");
    return true;
}

bool lineaSeparata(const QString& linea, const ImpostazioniImport& imp, RigaImport& r)
{
    // A blank line has no pieces at all, so any column lies beyond it.
    const QStringList pezzi = linea.isEmpty() ? QStringList() : linea.split(imp.separatore);
    const auto pezzo = [&](int pos, QString& out) {
        if (pos < 1 || pos > pezzi.size())
            return false;
        out = pezzi.at(pos - 1);
        return true;
    };
    r = RigaImport();
    QString bc, rep, pv, des;
    if (!pezzo(imp.posBC, bc) || !pezzo(imp.posRep, rep) || !pezzo(imp.posPV, pv) || !pezzo(imp.posDes, des))
        return false;
    r.barCode = bc.trimmed().remove(QLatin1Char('"'));
    r.quantita = QStringLiteral("2000");
    if (rep.isEmpty()) {
        r.reparto = QStringLiteral("1");
    } else {
        const auto v = numeroItaliano(rep);
        const auto n = v ? Vb::cint(*v) : std::nullopt;
        if (n)
            r.reparto = QString::number(*n);
        else
            r.illeggibile = true;
    }
    // Here a point is the decimal comma: "1.234" is 1,23 and "1.234,50" no number.
    pv.replace(QLatin1Char('.'), QLatin1Char(','));
    if (pv.isEmpty()) {
        r.prezzo = QStringLiteral("0,00");
    } else {
        const auto v = numeroItaliano(pv);
        const auto p = accettabile(v ? std::optional<double>(Vb::roundHalfAway(*v, 2)) : std::nullopt, Valore::Prezzo);
        if (p)
            r.prezzo = Vb::money(*p);
        else
            r.illeggibile = true;
    }
    r.descrizione = des.trimmed().left(kLunghezzaDescrizione);
    return true;
}

bool lineaRCG(const QString& riga, RigaImport& r)
{
    if (riga.isEmpty() || riga.at(0).toUpper() != QLatin1Char('R'))
        return false;
    // A line saved without its trailing blanks reads as the whole line: its fields are not trimmed,
    // so the ones it stops short of are blank, as the whole line has them.
    constexpr int kLarghezza = 94; // the barcode ends there
    const QString linea = riga.leftJustified(kLarghezza);
    r = RigaImport();
    r.codArticoloFornitore = linea.mid(10, 5);
    r.quantita = linea.mid(15, 5);
    const QString intero = linea.mid(20, 8);
    const QString decimali = linea.mid(28, 5);
    // Both parts blank: no price, rather than the unreadable ",".
    if (!intero.trimmed().isEmpty() || !decimali.trimmed().isEmpty())
        r.prezzo = intero + QLatin1Char(',') + decimali;
    r.descrizione = linea.mid(33, 30);
    r.iva = Vb::cstr(Vb::val(linea.mid(75, 6)));
    r.barCode = linea.mid(81, 13);
    return !r.descrizione.trimmed().isEmpty();
}

bool lineaGronte(const QString& linea, RigaImport& r)
{
    r = RigaImport();
    r.codArticoloFornitore = linea.mid(20, 21).trimmed();
    r.barCode = linea.mid(41, 21).trimmed();
    r.descrizione = linea.mid(62, 34).trimmed();
    r.quantita = linea.mid(99, 14).trimmed();
    const QString millesimi = linea.mid(113, 14).trimmed();
    if (!millesimi.isEmpty()) {
        const auto v = numeroItaliano(millesimi);
        r.prezzo = prezzoLetto(v ? std::optional<double>(*v / 1000.0) : std::nullopt, r);
    }
    r.iva = Vb::cstr(Vb::val(linea.mid(183, 4).trimmed()));
    // A line cut before its description (or with none) names no article.
    return !r.descrizione.isEmpty();
}

std::optional<double> numeroItaliano(const QString& testo)
{
    // Most fields are plain numbers ("12,5", "-3", "00012", "8001234567890"): read those
    // directly, everything else the Italian way.
    bool semplice = !testo.isEmpty() && testo.size() < 30;
    int virgole = 0;
    for (int i = 0; semplice && i < testo.size(); ++i) {
        const char16_t c = testo.at(i).unicode();
        if (c == u',')
            semplice = ++virgole == 1 && i > 0 && i + 1 < testo.size();
        else
            semplice = (c >= u'0' && c <= u'9') || (i == 0 && c == u'-' && testo.size() > 1);
    }
    if (semplice) {
        bool ok = false;
        const double v = QString(testo).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
        if (ok)
            return v;
    }
    return Vb::cdbl(testo);
}

std::optional<double> numeroImport(const QString& testo)
{
    const QString t = testo.trimmed();
    if (!t.contains(QLatin1Char('.')))
        return numeroItaliano(t);
    QString segno;
    QString corpo = t;
    if (corpo.startsWith(QLatin1Char('-')) || corpo.startsWith(QLatin1Char('+'))) {
        segno = corpo.left(1);
        corpo = corpo.mid(1).trimmed();
    } else if (corpo.endsWith(QLatin1Char('-'))) {
        segno = QStringLiteral("-");
        corpo.chop(1);
        corpo = corpo.trimmed();
    }
    // "2.000", "1.234.567", "1.234,50": the Italian reading drops the grouping points. A first
    // group of 0 ("0.500") groups nothing, so that is a decimal.
    static const QRegularExpression migliaia(QStringLiteral("^[1-9]\\d{0,2}(\\.\\d{3})+(,\\d*)?$"));
    static const QRegularExpression decimale(QStringLiteral("^\\d*\\.\\d*$"));
    if (migliaia.match(corpo).hasMatch())
        return numeroItaliano(segno + corpo);
    if (decimale.match(corpo).hasMatch())
        return numeroItaliano(segno + corpo.replace(QLatin1Char('.'), QLatin1Char(',')));
    return std::nullopt;
}

std::optional<double> accettabile(std::optional<double> v, Valore tipo)
{
    // The largest amount a register takes: 999.999,99.
    constexpr double kMassimo = 999999.99;
    if (!v || !std::isfinite(*v))
        return std::nullopt;
    const double x = *v + 0.0; // no "-0"
    switch (tipo) {
    case Valore::Prezzo:
        if (x < 0 || x > kMassimo)
            return std::nullopt;
        break;
    case Valore::Quantita:
        // No register bound is known for stock; this only keeps out absurd figures.
        if (std::fabs(x) >= 1e9)
            return std::nullopt;
        break;
    case Valore::Iva:
        if (x < 0 || x > 100)
            return std::nullopt;
        break;
    }
    return x;
}

} // namespace Listini
