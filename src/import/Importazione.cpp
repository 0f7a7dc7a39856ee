#include "import/Importazione.h"

#include "core/ErrorLog.h"
#include "core/Interaction.h"
#include "core/Lookups.h"
#include "core/VbConvert.h"
#include "import/Cartella.h"

#include <QFileInfo>

namespace Importazione {

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

bool EseguiImportazione(const QString& path, const ImpostazioniImport& imp, Interaction& ui, ProgressSink& sink)
{
    const bool conFornitore = !imp.fornitore.isEmpty();
    if (!imp.fileExcel && !conFornitore) {
        const QString msg = ControllaPosizioniTesto(imp);
        if (!msg.isEmpty()) {
            ui.ask(msg, Interaction::Ok);
            return false;
        }
        return EseguiImportTesto(path, imp, ui, sink);
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
            ScriviErrore(QStringLiteral("frmImporta"), QStringLiteral("cmdProcedi_Click"), errore, QStringLiteral("0"));
            ui.ask(msgImpossibile(), Interaction::Ok, Interaction::Icon::Critical);
            return false;
        }
        return conFornitore ? ImportaPrimoFoglio(*cartella, imp.fornitore, ui, sink)
                            : ImportaFoglioPRODOTTI(*cartella, imp, ui, sink);
    }
    return EseguiImportFornitore(path, imp.fornitore, ui, sink);
}

// ---------------------------------------------------------------- line readers

bool lineaPoseidon(const QString& linea, RigaImport& r)
{
    if (linea.trimmed().isEmpty())
        return false;
    r = RigaImport();
    r.reparto = linea.mid(0, 2).trimmed();
    r.barCode = linea.mid(2, 14).trimmed();
    r.descrizione = linea.mid(16, 20).trimmed();
    if (const auto cent = numeroItaliano(linea.mid(37, 5).trimmed()))
        r.prezzo = Vb::cstr(*cent / 100.0);
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
    } else if (const auto v = numeroItaliano(rep)) {
        if (const auto n = Vb::cint(*v))
            r.reparto = QString::number(*n);
    }
    pv.replace(QLatin1Char('.'), QLatin1Char(','));
    if (pv.isEmpty())
        r.prezzo = QStringLiteral("0,00");
    else if (const auto v = numeroItaliano(pv))
        r.prezzo = Vb::money(*v);
    r.descrizione = des.trimmed();
    return true;
}

bool lineaRCG(const QString& linea, RigaImport& r)
{
    if (linea.isEmpty() || linea.at(0).toUpper() != QLatin1Char('R'))
        return false;
    r = RigaImport();
    r.codArticoloFornitore = linea.mid(10, 5);
    r.quantita = linea.mid(15, 5);
    r.prezzo = linea.mid(20, 8) + QLatin1Char(',') + linea.mid(28, 5);
    r.descrizione = linea.mid(33, 30);
    r.iva = Vb::cstr(Vb::val(linea.mid(75, 6)));
    r.barCode = linea.mid(81, 13);
    return true;
}

bool lineaGronte(const QString& linea, RigaImport& r)
{
    if (linea.trimmed().isEmpty())
        return false;
    r = RigaImport();
    r.codArticoloFornitore = linea.mid(20, 21).trimmed();
    r.barCode = linea.mid(41, 21).trimmed();
    r.descrizione = linea.mid(62, 34).trimmed();
    r.quantita = linea.mid(99, 14).trimmed();
    if (const auto v = numeroItaliano(linea.mid(113, 14).trimmed()))
        r.prezzo = Vb::cstr(*v / 1000.0);
    r.iva = Vb::cstr(Vb::val(linea.mid(183, 4).trimmed()));
    return true;
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
    QString t = testo.trimmed();
    if (t.count(QLatin1Char('.')) == 1 && !t.contains(QLatin1Char(',')))
        t.replace(QLatin1Char('.'), QLatin1Char(','));
    return numeroItaliano(t);
}

} // namespace Importazione
