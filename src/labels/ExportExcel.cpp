#include "labels/ExportExcel.h"

#include "core/Articoli.h"
#include "core/Database.h"
#include "core/Interaction.h"
#include "core/Lookups.h"
#include "core/Progress.h"
#include "core/VbConvert.h"
#include "core/store/Esportazioni.h"
#include "labels/ExportWorkbook.h"
#include "labels/Totale.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace ExportExcel {

namespace {

const QString kModulo = QStringLiteral("Magazzino");
const QString kFallita = QStringLiteral("Esportazione NON Effettuata!!!");

// The refusal, with the reason when the user can act on it (the archive held by another
// program, a full disk).
QString testoFallita(const Esito& e)
{
    const QString motivo = Db::motivoPerUtente(e);
    return motivo.isEmpty() ? kFallita : kFallita + QStringLiteral("\r\n\r\n") + motivo;
}
constexpr int kPasso = 500; // rows between two progress reports

// The opening both exports share: the file name, and the overwrite question when it exists.
// Empty when the export must not go on: the user was told, or `fallita` was called for a file
// that may not be replaced.
QString apertura(Interaction& ia, const QString& titolo, const std::function<void(const Esito&)>& fallita)
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
        if (const Esito e = ExportWorkbook::sostituibile(path); !e) {
            fallita(e);
            return {};
        }
    }
    return path;
}

// One row of the archive sheet, as read.
struct RigaMagazzino
{
    QString barCode, codForn, descrizione, unitaMisura, fornitore, genere;
    std::optional<double> costo2, quantita, costo;
};
constexpr size_t kLotto = 512;
constexpr size_t kLottiInAttesa = 4;

// Batches of rows handed from the reading thread to the writing one. The reader waits while a few
// batches are pending: the rows read ahead of the writer stay few, whatever the archive's size.
class RigheInScrittura
{
public:
    // Hands over the rows (leaving `lotto` empty).
    void metti(std::vector<RigaMagazzino>& lotto)
    {
        if (lotto.empty())
            return;
        {
            std::unique_lock<std::mutex> l(m_m);
            m_libero.wait(l, [this] { return m_coda.size() < kLottiInAttesa; });
            m_coda.push_back(std::move(lotto));
        }
        lotto = {};
        lotto.reserve(kLotto);
        m_cv.notify_one();
    }
    void chiudi()
    {
        {
            std::lock_guard<std::mutex> l(m_m);
            m_chiusa = true;
        }
        m_cv.notify_one();
    }
    // The next batch; false once closed and empty.
    bool prendi(std::vector<RigaMagazzino>& lotto)
    {
        std::unique_lock<std::mutex> l(m_m);
        m_cv.wait(l, [this] { return !m_coda.empty() || m_chiusa; });
        if (m_coda.empty())
            return false;
        lotto = std::move(m_coda.front());
        m_coda.pop_front();
        l.unlock();
        m_libero.notify_one();
        return true;
    }

private:
    std::mutex m_m;
    std::condition_variable m_cv;
    std::condition_variable m_libero;
    std::deque<std::vector<RigaMagazzino>> m_coda;
    bool m_chiusa = false;
};

// A value of stock or sales: the exact product, which its cell shows with two decimals.
std::optional<double> prodotto(const std::optional<double>& a, const std::optional<double>& b)
{
    if (a && b)
        return *a * *b;
    return std::nullopt;
}

void scriviRiga(ExportWorkbook& wb, int riga, const RigaMagazzino& a)
{
    wb.testo(riga, 0, a.barCode);
    wb.testo(riga, 1, a.codForn);
    wb.testo(riga, 2, a.descrizione);
    wb.numero(riga, 3, a.costo2, true);
    wb.testo(riga, 4, a.unitaMisura);
    wb.numero(riga, 5, a.quantita);
    wb.numero(riga, 6, a.costo, true);
    wb.numero(riga, 7, prodotto(a.quantita, a.costo2), true);
    wb.numero(riga, 8, prodotto(a.quantita, a.costo), true);
    wb.testo(riga, 9, a.fornitore);
    wb.testo(riga, 10, a.genere);
}

// A movement's time as stored: "yyyy-MM-dd", then "hh:mm[:ss[.zzz]]" after a blank or a "T";
// a day alone is its midnight. Invalid when it is neither.
QDateTime dataOraStorico(const QString& testo)
{
    const QString s = testo.trimmed();
    const QDate d = Vb::fromIso(s.left(10));
    if (!d.isValid())
        return {};
    if (s.size() == 10)
        return QDateTime(d, QTime(0, 0));
    if (s.at(10) != QLatin1Char(' ') && s.at(10) != QLatin1Char('T'))
        return {};
    static const QRegularExpression ora(QStringLiteral("^(\\d\\d):(\\d\\d)(?::(\\d\\d)(?:\\.\\d+)?)?$"));
    const QRegularExpressionMatch m = ora.match(s.mid(11).trimmed());
    const QTime t = m.hasMatch() ? QTime(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt()) : QTime();
    return t.isValid() ? QDateTime(d, t) : QDateTime();
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
    // A name typed with the old extension gets the new one in its place, not after it.
    if (path.endsWith(QStringLiteral(".xls"), Qt::CaseInsensitive))
        path.chop(4);
    if (!path.endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive))
        path += QStringLiteral(".xlsx");
    return path;
}

bool EsportaVendutoExcel(Interaction& ia, const QDate& dal, const QDate& al, ProgressSink& progresso)
{
    const auto fallita = [&](const Esito& e) {
        ScriviErrore(kModulo, QStringLiteral("EsportaVendutoExcel"), e);
        ia.notice(testoFallita(e));
        return false;
    };
    const QString path = apertura(ia, QStringLiteral("Salva il file dei PLU Venduti"), fallita);
    if (path.isEmpty())
        return false;

    ExportWorkbook wb(path);
    wb.foglio(QStringLiteral("Foglio1"));
    wb.intestazioni(
        {QStringLiteral("Descrizione"), QStringLiteral("EAN"), QStringLiteral("Qta"), QStringLiteral("DataModif")});
    progresso.setStatus(QStringLiteral("Esportazione dei PLU venduti"));
    int riga = 1;
    const Esito letto =
        Articoli::perOgniVenditaPerDescrizione(dal, al, [&](const Articoli::VenditaEsportata& v, int totale) {
            if (riga == 1) {
                progresso.setRange(0, totale);
                progresso.setValue(0);
            }
            wb.testo(riga, 0, v.descrizione);
            wb.testo(riga, 1, v.ean);
            if (v.qta)
                wb.numero(riga, 2, *v.qta);
            // The movement's day and time; a text that is neither stays as it was.
            const QDateTime d = dataOraStorico(v.dataModif);
            if (d.isValid())
                wb.dataOra(riga, 3, d);
            else
                wb.testo(riga, 3, v.dataModif);
            if (riga % kPasso == 0)
                progresso.setValue(riga);
            ++riga;
            return true;
        });
    progresso.setValue(riga - 1);
    if (!letto)
        return fallita(letto);
    const Esito e = wb.chiudi();
    if (!e)
        return fallita(e);
    ia.notice(QStringLiteral("Operazione Effettuata"));
    return true;
}

bool EsportaMagazzinoExcel(Interaction& ia, bool soloQtaZero, ProgressSink& progresso)
{
    const auto fallita = [&](const Esito& e) {
        ScriviErrore(kModulo, QStringLiteral("EsportaMagazzinoExcel"), e);
        ia.ask(testoFallita(e), Interaction::Ok, Interaction::Icon::None);
        return false;
    };
    const QString path = apertura(ia, QStringLiteral("Salva il file del MAGAZZINO"), fallita);
    if (path.isEmpty())
        return false;

    ExportWorkbook wb(path);
    wb.foglio(QStringLiteral("Foglio1"));
    wb.intestazioni({QStringLiteral("BarCode"), QStringLiteral("CodProdottoFornitore"), QStringLiteral("Descrizione"),
                     QStringLiteral("CostoAcquisto"), QStringLiteral("UnitaMisura"), QStringLiteral("Quantità"),
                     QStringLiteral("PrezzoVendita"), QStringLiteral("ValoreMAGAZZINO"),
                     QStringLiteral("ValoreVENDITA"), QStringLiteral("Fornitore"), QStringLiteral("Genere")});

    // The archive is read in description order while a second thread writes the cells of the
    // rows read so far; the workbook is touched by that thread alone until it ends.
    RigheInScrittura coda;
    std::thread scrittore([&] {
        int riga = 1;
        std::vector<RigaMagazzino> lotto;
        while (coda.prendi(lotto)) {
            for (const RigaMagazzino& r : lotto)
                scriviRiga(wb, riga++, r);
            lotto.clear();
        }
    });

    // One pass over the whole table: the listed rows and the totals, which always cover it all.
    Totale totMagazzino;
    Totale totVendita;
    std::vector<RigaMagazzino> lotto;
    int lette = 0;
    // The table is read once, so the whole is not known ahead: the count of articles read.
    progresso.setStatus(QStringLiteral("Esportazione del magazzino"));
    progresso.setRange(0, 0);
    progresso.setValue(0);
    const Esito letto = Articoli::perOgniPerDescrizione([&](const Articolo& a) {
        totMagazzino.aggiungi(prodotto(a.quantita, a.costo2));
        totVendita.aggiungi(prodotto(a.quantita, a.costo));
        if (!soloQtaZero || (a.quantita && *a.quantita <= 0)) {
            lotto.push_back({a.barCode, a.codProdottoFornitore, a.descrizione, a.unitaMisura, a.fornitore, a.genere,
                             a.costo2, a.quantita, a.costo});
            if (lotto.size() == kLotto)
                coda.metti(lotto);
        }
        if (++lette % kPasso == 0)
            progresso.setValue(lette);
        return true;
    });
    progresso.setValue(lette);
    coda.metti(lotto);
    coda.chiudi();
    scrittore.join();
    if (!letto)
        return fallita(letto);

    wb.foglio(QStringLiteral("Foglio2"));
    wb.intestazioni({QStringLiteral("ValoreTOTALEMAGAZZINO"), QStringLiteral("ValoreTotCOMEVENDITA"),
                     QStringLiteral("DIFFERENZA")});
    const std::optional<double> magazzino = totMagazzino.valore();
    const std::optional<double> vendita = totVendita.valore();
    wb.numero(1, 0, magazzino, true);
    wb.numero(1, 1, vendita, true);
    if (magazzino && vendita)
        wb.numero(1, 2, *vendita - *magazzino, true);
    const Esito e = wb.chiudi();
    if (!e)
        return fallita(e);
    ia.notice(QStringLiteral("Operazione Effettuata"));
    return true;
}

} // namespace ExportExcel
