#include "labels/ExportExcel.h"

#include "core/Articoli.h"
#include "core/Database.h"
#include "core/Interaction.h"
#include "core/Lookups.h"
#include "core/Progress.h"
#include "core/VbConvert.h"
#include "labels/ExportWorkbook.h"

#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <vector>

namespace ExportExcel {

namespace {

const QString kModulo = QStringLiteral("Magazzino");
const QString kFallita = QStringLiteral("Esportazione NON Effettuata!!!");
constexpr int kPasso = 1000; // rows between two progress reports

// The opening both exports share: the file name, and the overwrite question when it exists.
// Empty when the export must not go on (the user was told).
QString apertura(Interaction& ia, const QString& titolo)
{
    // No data source is needed to write a workbook here; the key is kept as before.
    CreaDSNUtente();
    const QString path = ScegliFileXLS(ia, titolo);
    if (path.isEmpty()) {
        ia.notice(QStringLiteral("Esportazione non effettuata! - Nome file non definito"));
        return {};
    }
    if (QFileInfo(path).isFile()) {
        // The old file is kept until the new workbook is complete and takes its place.
        if (ia.ask(QStringLiteral("ATTENZIONE nome file già esistente - Procedere con la sovrascrittura?"),
                   Interaction::Yes | Interaction::No, Interaction::Icon::Question) != Interaction::Yes) {
            ia.notice(QStringLiteral("Esportazione non effettuata - Cambiare nome e riprovare"));
            return {};
        }
    }
    return path;
}

// "yyyy-MM-dd", also with a time after it.
QDate dataStorico(const QString& s)
{
    return Vb::fromIso(s.left(10));
}

} // namespace

QString filtro()
{
    return QStringLiteral("Microsoft Excel files (*.xlsx)");
}

QString ScegliFileXLS(Interaction& ia, const QString& titolo)
{
    QString path = ia.chooseSaveFile(titolo, QString(), {filtro()});
    if (path.isEmpty())
        return {};
    if (!path.endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive))
        path += QStringLiteral(".xlsx");
    return path;
}

bool EsportaVendutoExcel(Interaction& ia, const QDate& dal, const QDate& al, ProgressSink& progresso)
{
    const QString path = apertura(ia, QStringLiteral("Salva il file dei PLU Venduti"));
    if (path.isEmpty())
        return false;

    const auto fallita = [&](const Esito& e) {
        ScriviErrore(kModulo, QStringLiteral("EsportaVendutoExcel"), e);
        ia.notice(kFallita);
        return false;
    };
    QSqlQuery q =
        Db::query(QStringLiteral("SELECT Magazzino.Descrizione, StoricoPLU.EAN, StoricoPLU.Qta, StoricoPLU.DataModif "
                                 "FROM Magazzino INNER JOIN StoricoPLU ON Magazzino.BarCode = StoricoPLU.EAN "
                                 "WHERE StoricoPLU.DataModif >= ? AND StoricoPLU.DataModif < ? "
                                 "ORDER BY Magazzino.Descrizione ASC, StoricoPLU.rowid"),
                  {Vb::isoDate(dal), Vb::isoDate(al.addDays(1))});
    if (!q.isActive())
        return fallita(Esito::fallito(VbErr::DatabaseError, q.lastError().text()));

    ExportWorkbook wb(path);
    wb.foglio(QStringLiteral("Foglio1"));
    wb.intestazioni(
        {QStringLiteral("Descrizione"), QStringLiteral("EAN"), QStringLiteral("Qta"), QStringLiteral("DataModif")});
    int riga = 1;
    while (q.next()) {
        wb.testo(riga, 0, q.value(0).toString());
        wb.testo(riga, 1, q.value(1).toString());
        if (!q.value(2).isNull())
            wb.numero(riga, 2, q.value(2).toDouble());
        const QString quando = q.value(3).toString();
        const QDate d = dataStorico(quando);
        if (d.isValid())
            wb.data(riga, 3, d);
        else
            wb.testo(riga, 3, quando);
        if (riga % kPasso == 0)
            progresso.setValue(riga);
        ++riga;
    }
    if (q.lastError().isValid())
        return fallita(Esito::fallito(VbErr::DatabaseError, q.lastError().text()));
    q.finish();
    const Esito e = wb.chiudi();
    if (!e)
        return fallita(e);
    ia.notice(QStringLiteral("Operazione Effettuata"));
    return true;
}

bool EsportaMagazzinoExcel(Interaction& ia, bool soloQtaZero, ProgressSink& progresso)
{
    const QString path = apertura(ia, QStringLiteral("Salva il file del MAGAZZINO"));
    if (path.isEmpty())
        return false;

    const auto fallita = [&](const Esito& e) {
        ScriviErrore(kModulo, QStringLiteral("EsportaMagazzinoExcel"), e);
        ia.ask(kFallita, Interaction::Ok, Interaction::Icon::None);
        return false;
    };

    // One pass over the whole table: the listed rows and the totals, which always cover it all.
    std::vector<Articolo> righe;
    std::optional<double> totMagazzino;
    std::optional<double> totVendita;
    const auto somma = [](std::optional<double>& tot, const std::optional<double>& a, const std::optional<double>& b) {
        if (a && b)
            tot = tot.value_or(0) + *a * *b;
    };
    const Esito letto = Articoli::perOgni([&](const Articolo& a) {
        somma(totMagazzino, a.quantita, a.costo2);
        somma(totVendita, a.quantita, a.costo);
        if (!soloQtaZero || (a.quantita && *a.quantita <= 0))
            righe.push_back(a);
        return true;
    });
    if (!letto)
        return fallita(letto);
    std::stable_sort(righe.begin(), righe.end(), [](const Articolo& a, const Articolo& b) {
        return QString::compare(a.descrizione, b.descrizione, Qt::CaseInsensitive) < 0;
    });
    progresso.setRange(0, int(righe.size()));

    ExportWorkbook wb(path);
    wb.foglio(QStringLiteral("Foglio1"));
    wb.intestazioni({QStringLiteral("BarCode"), QStringLiteral("CodProdottoFornitore"), QStringLiteral("Descrizione"),
                     QStringLiteral("CostoAcquisto"), QStringLiteral("UnitaMisura"), QStringLiteral("Quantità"),
                     QStringLiteral("PrezzoVendita"), QStringLiteral("ValoreMAGAZZINO"),
                     QStringLiteral("ValoreVENDITA"), QStringLiteral("Fornitore"), QStringLiteral("Genere")});
    const auto prodotto = [](const std::optional<double>& a, const std::optional<double>& b) -> std::optional<double> {
        if (a && b)
            return *a * *b;
        return std::nullopt;
    };
    int riga = 1;
    for (const Articolo& a : righe) {
        wb.testo(riga, 0, a.barCode);
        wb.testo(riga, 1, a.codProdottoFornitore);
        wb.testo(riga, 2, a.descrizione);
        wb.numero(riga, 3, a.costo2, true);
        wb.testo(riga, 4, a.unitaMisura);
        wb.numero(riga, 5, a.quantita);
        wb.numero(riga, 6, a.costo, true);
        wb.numero(riga, 7, prodotto(a.quantita, a.costo2), true);
        wb.numero(riga, 8, prodotto(a.quantita, a.costo), true);
        wb.testo(riga, 9, a.fornitore);
        wb.testo(riga, 10, a.genere);
        if (riga % kPasso == 0)
            progresso.setValue(riga);
        ++riga;
    }
    wb.foglio(QStringLiteral("Foglio2"));
    wb.intestazioni({QStringLiteral("ValoreTOTALEMAGAZZINO"), QStringLiteral("ValoreTotCOMEVENDITA"),
                     QStringLiteral("DIFFERENZA")});
    wb.numero(1, 0, totMagazzino, true);
    wb.numero(1, 1, totVendita, true);
    if (totMagazzino && totVendita)
        wb.numero(1, 2, *totVendita - *totMagazzino, true);
    const Esito e = wb.chiudi();
    if (!e)
        return fallita(e);
    progresso.setValue(int(righe.size()));
    ia.notice(QStringLiteral("Operazione Effettuata"));
    return true;
}

} // namespace ExportExcel
