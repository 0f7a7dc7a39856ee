// The stock workbook of a shop archive of 100,000 articles against libxlsxwriter writing the
// same cells bare in its constant-memory mode (values already in memory), with the peak resident
// memory of each, and the stock report of the article list's rows (the working-table fill, its
// read and the drawing) to the PDF printer backend. Prints times in ms, the ratio and the peaks
// with their goals; a ratio or a peak over its goal ends the run with a non-zero exit.
#include "Riuscito.h"
#include "archive/ui/ArticleList.h"
#include "core/Database.h"
#include "core/ui/Printers.h"
#include "labels/ExportExcel.h"
#include "labels/ReportTables.h"
#include "labels/Reports.h"
#include "support/ScriptedInteraction.h"
#include "support/TestEnv.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QPrinter>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <variant>
#include <vector>
#include <xlsxwriter.h>

namespace {

constexpr int kArticoli = 100000;
constexpr int kGiri = 3;
constexpr double kRapportoMassimo = 1.5;
constexpr long kPiccoMassimoMiB = 50;

// The peak resident memory since the last azzeraPicco() (Linux: VmHWM, reset through clear_refs;
// elsewhere the process's whole peak).
long piccoKiB()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (f.open(QIODevice::ReadOnly)) {
        for (const QByteArray& l : f.readAll().split('\n'))
            if (l.startsWith("VmHWM:"))
                return l.mid(6).trimmed().split(' ').value(0).toLong();
    }
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

// The resident memory now.
long residenteKiB()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (f.open(QIODevice::ReadOnly)) {
        for (const QByteArray& l : f.readAll().split('\n'))
            if (l.startsWith("VmRSS:"))
                return l.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return piccoKiB();
}

void azzeraPicco()
{
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}

const char* kProdotti[] = {"Biscotti", "Cioccolato", "Pasta",  "Riso",  "Caffè",  "Shampoo", "Detersivo", "Olio",
                           "Sale",     "Zucchero",   "Farina", "Latte", "Yogurt", "Acqua",   "Vino",      "Crackers"};
const char* kFornitori[] = {"Rossi Distribuzione", "Bianchi & C.", "Cash Verdi", "L'Ingrosso Srl"};

void creaArchivio()
{
    QRandomGenerator rnd(20261209);
    Db::Transaction t;
    QSqlQuery q(Db::dbNegozio());
    q.prepare(QStringLiteral("INSERT INTO Magazzino (CodMateriale, Descrizione, Genere, \"Quantità\", Minimo, "
                             "UnitaMisura, Costo, Fornitore, BarCode, Costo2, CodProdottoFornitore, CodPV) "
                             "VALUES (?,?,?,?,?,?,?,?,?,?,?,?)"));
    for (int i = 1; i <= kArticoli; ++i) {
        const double costo = int(rnd.bounded(10000)) / 100.0;
        q.addBindValue(i);
        q.addBindValue(
            QStringLiteral("%1 %2").arg(QString::fromUtf8(kProdotti[rnd.bounded(16)])).arg(rnd.bounded(5000)));
        q.addBindValue(QString::number(1 + rnd.bounded(40)));
        q.addBindValue(double(int(rnd.bounded(200)) - 20));
        q.addBindValue(0);
        q.addBindValue(QStringLiteral("Pz"));
        q.addBindValue(costo);
        q.addBindValue(QString::fromUtf8(kFornitori[rnd.bounded(4)]));
        q.addBindValue(
            QStringLiteral("80%1").arg(qint64(rnd.bounded(100000000)) * 100 + i % 100, 11, 10, QLatin1Char('0')));
        q.addBindValue(costo * 0.6);
        q.addBindValue(QStringLiteral("F-%1").arg(i));
        q.addBindValue(22);
        eseguito(q, "archive (INSERT)");
    }
    riuscito(t.commit(), "t.commit");
}

using Cella = std::variant<std::monostate, std::string, double>;

// The cells the export writes, read once before the bare timing.
std::vector<std::vector<Cella>> celle()
{
    std::vector<std::vector<Cella>> out;
    QSqlQuery q = Db::query(QStringLiteral("SELECT BarCode, CodProdottoFornitore, Descrizione, Costo2, UnitaMisura, "
                                           "\"Quantità\", Costo, \"Quantità\" * Costo2, \"Quantità\" * Costo, "
                                           "Fornitore, Genere FROM Magazzino ORDER BY Descrizione"));
    riuscito(q.isActive(), "cells for the bare workbook", q.lastError().text());
    while (q.next()) {
        std::vector<Cella> r;
        for (int c = 0; c < 11; ++c) {
            const QVariant v = q.value(c);
            if (v.isNull())
                r.emplace_back();
            else if (c == 3 || (c >= 5 && c <= 8))
                r.emplace_back(v.toDouble());
            else
                r.emplace_back(v.toString().toStdString());
        }
        out.push_back(std::move(r));
    }
    return out;
}

void scriviNudo(const std::vector<std::vector<Cella>>& righe, const QString& path)
{
    lxw_workbook_options opzioni{};
    opzioni.constant_memory = LXW_TRUE;
    lxw_workbook* wb = workbook_new_opt(path.toLocal8Bit().constData(), &opzioni);
    riuscito(wb != nullptr, "bare libxlsxwriter (new workbook)");
    lxw_format* denaro = workbook_add_format(wb);
    format_set_num_format(denaro, "#,##0.00");
    lxw_worksheet* ws = workbook_add_worksheet(wb, "Foglio1");
    const char* intest[] = {"BarCode",  "CodProdottoFornitore", "Descrizione",     "CostoAcquisto", "UnitaMisura",
                            "Quantità", "PrezzoVendita",        "ValoreMAGAZZINO", "ValoreVENDITA", "Fornitore",
                            "Genere"};
    for (int c = 0; c < 11; ++c)
        worksheet_write_string(ws, 0, lxw_col_t(c), intest[c], nullptr);
    lxw_row_t r = 1;
    for (const auto& riga : righe) {
        for (int c = 0; c < 11; ++c) {
            if (const auto* s = std::get_if<std::string>(&riga[c]))
                worksheet_write_string(ws, r, lxw_col_t(c), s->c_str(), nullptr);
            else if (const auto* d = std::get_if<double>(&riga[c]))
                worksheet_write_number(ws, r, lxw_col_t(c), *d, c == 5 ? nullptr : denaro);
        }
        ++r;
    }
    lxw_worksheet* f2 = workbook_add_worksheet(wb, "Foglio2");
    const char* totali[] = {"ValoreTOTALEMAGAZZINO", "ValoreTotCOMEVENDITA", "DIFFERENZA"};
    for (int c = 0; c < 3; ++c)
        worksheet_write_string(f2, 0, lxw_col_t(c), totali[c], nullptr);
    for (int c = 0; c < 3; ++c)
        worksheet_write_number(f2, 1, lxw_col_t(c), 1.0, denaro);
    riuscito(workbook_close(wb) == LXW_NO_ERROR, "bare libxlsxwriter (close)");
}

double mediana(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TestEnv env;
    QTemporaryDir stampe;
    env.stampanti().installa({QStringLiteral("A4 Ufficio")});
    env.stampanti().cartella = stampe.path();

    creaArchivio();
    const auto esporta = [&] {
        ScriptedInteraction& ia = env.interazione().reset();
        ia.paths << env.path(QStringLiteral("magazzino.xlsx"));
        ia.answers << Interaction::Yes;
        NoProgress p;
        QElapsedTimer t;
        t.start();
        riuscito(ExportExcel::EsportaMagazzinoExcel(ia, false, p), "stock workbook export",
                 ia.asked.join(QLatin1Char('/')));
        return t.nsecsElapsed() / 1e6;
    };

    // The export's peak first, while the process holds nothing of the bare side's cells.
    const long primaKiB = residenteKiB();
    azzeraPicco();
    std::vector<double> tEsporta{esporta()};
    const long piccoEsporta = piccoKiB();

    const auto valori = celle();
    const long primaNudoKiB = residenteKiB();
    azzeraPicco();
    std::vector<double> tNudo;
    const auto nudo = [&] {
        QElapsedTimer t;
        t.start();
        scriviNudo(valori, env.path(QStringLiteral("nudo.xlsx")));
        return t.nsecsElapsed() / 1e6;
    };
    tNudo.push_back(nudo());
    const long piccoNudo = piccoKiB() - primaNudoKiB;
    for (int g = 1; g < kGiri; ++g) {
        tEsporta.push_back(esporta());
        tNudo.push_back(nudo());
    }
    const double e = mediana(tEsporta), n = mediana(tNudo);
    const bool rapportoOk = e / n <= kRapportoMassimo;
    const bool piccoOk = piccoEsporta < kPiccoMassimoMiB * 1024;
    std::printf("stock workbook, %d articles: export %.0f ms, bare constant-memory libxlsxwriter %.0f ms, ratio %.2f "
                "(goal <= %.1f)\n",
                kArticoli, e, n, e / n, kRapportoMassimo);
    std::printf("stock workbook, peak resident memory: export %.1f MiB (goal < %ld MiB; %.1f MiB before it), bare "
                "writer %.1f MiB over its cells\n",
                piccoEsporta / 1024.0, kPiccoMassimoMiB, primaKiB / 1024.0, piccoNudo / 1024.0);

    // The article list as the window shows it (at most its row cap), then the stock report.
    const ArticleList::Caricamento lista =
        ArticleList::leggi(QStringLiteral("Select * from Magazzino order by descrizione"));
    riuscito(lista.aperto, "article list load");
    QList<Articoli::ArticoloElencato> righe;
    for (const RigaLista& r : lista.righe)
        righe << *r.articolo;
    std::vector<double> tReport;
    int pagine = 0;
    for (int g = 0; g < kGiri; ++g) {
        QElapsedTimer t;
        t.start();
        riuscito(ReportTables::ValorizzaTabReportMagazzino(righe, false), "stock report (working table)");
        const auto letto = ReportTables::righeMagazzino();
        riuscito(letto.ok && letto.valore.has_value(), "stock report (reading the working table)", letto.errore);
        const Report r =
            Reports::ReportMagazzino(*letto.valore, ReportTables::valoreGiacenze(righe), QDate::currentDate());
        QString errore;
        std::unique_ptr<QPrinter> printer = Printers::printerFor(QStringLiteral("A4 Ufficio"), &errore);
        riuscito(printer != nullptr, "stock report (printer)", errore);
        printer->setPageLayout(ReportRenderer::layout(r));
        QPainter painter(printer.get());
        riuscito(painter.isActive(), "stock report (painter)");
        pagine = ReportRenderer::disegna(r, painter, *printer);
        riuscito(painter.end(), "stock report (drawing)");
        tReport.push_back(t.nsecsElapsed() / 1e6);
    }
    std::printf("stock report, %d list rows, %d pages to the PDF backend: %.0f ms (goal < 2000 ms)\n",
                int(righe.size()), pagine, mediana(tReport));
    const bool ok = rapportoOk && piccoOk;
    std::printf("%s\n", ok ? "goals met" : "GOALS NOT MET");
    return ok ? 0 : 1;
}
