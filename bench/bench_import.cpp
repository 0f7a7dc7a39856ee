// The price-list imports against the same rows written through SQLite's C API in one transaction:
// a 100,000-line separated price list (goal <= 2), a 100,000-row .xlsx (goal <= 3) and a
// 60,000-row .xls (goal <= 3; the bare side runs the same reader program and reads its answer
// before its inserts); a 50,000-line RCG supplier file merged into 100,000 articles against a bare
// look-up plus UPDATE of each (goal <= 3). Each side is timed three times, the median printed.
// A 300,000-row .xlsx is imported once for its peak memory (goal: under 100 MiB). A goal missed
// ends the run with a non-zero exit.
#include "Misura.h"
#include "Riuscito.h"
#include "core/Database.h"
#include "core/Progress.h"
#include "import/LettoreXls.h"
#include "import/Listini.h"
#include "support/ImportProva.h"
#include "support/ScriptedInteraction.h"
#include "support/TestEnv.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSqlQuery>
#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <malloc.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xlsxwriter.h>

namespace {

// The peak resident memory of the .xls reader alone, run on `path`'s first sheet as the import runs
// it. Read from the child's VmHWM while it runs: a child's own rusage counts its parent's memory
// from before the exec.
long piccoLettoreKiB(const QString& path)
{
    const QByteArray exe = QFile::encodeName(LettoreXls::eseguibile());
    const QByteArray file = QFile::encodeName(path);
    char* argv[] = {const_cast<char*>(exe.constData()), const_cast<char*>(file.constData()), const_cast<char*>("0"),
                    nullptr};
    posix_spawn_file_actions_t azioni;
    posix_spawn_file_actions_init(&azioni);
    posix_spawn_file_actions_addopen(&azioni, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int r = posix_spawn(&pid, exe.constData(), &azioni, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&azioni);
    if (r != 0)
        return -1;
    long picco = 0;
    int stato = 0;
    pid_t fine = 0;
    while ((fine = waitpid(pid, &stato, WNOHANG)) == 0) {
        QFile f(QStringLiteral("/proc/%1/status").arg(pid));
        if (f.open(QIODevice::ReadOnly)) {
            for (const QByteArray& l : f.readAll().split('\n')) {
                if (l.startsWith("VmHWM:"))
                    picco = std::max(picco, l.mid(6).trimmed().split(' ').value(0).toLong());
            }
        }
        usleep(2000);
    }
    // A reader that failed read nothing: its peak says nothing either.
    return fine == pid && WIFEXITED(stato) && WEXITSTATUS(stato) == 0 ? picco : -1;
}

constexpr int kGiri = 3;

QString descrizione(int i)
{
    return QStringLiteral("Articolo di prova numero %1 conf. 500g").arg(i);
}
QString barcode(int i)
{
    return QStringLiteral("80%1").arg(i, 11, 10, QLatin1Char('0'));
}

void svuota()
{
    riuscito(Db::exec(QStringLiteral("DELETE FROM Magazzino")), "Db::exec");
}

const char* kInserisciNudo = "INSERT INTO Magazzino (CodMateriale, Descrizione, \"Quantità\", Costo, BarCode, "
                             "Genere, UnitaMisura, Fornitore, Minimo, Costo2, CodProdottoFornitore, CodPV, Modificato, "
                             "TipoVariazione) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?)";

// One bare row: the values of the generated files' row `i`.
void legaRigaNuda(sqlite3_stmt* s, int i, const QByteArray& descr, const QByteArray& bc)
{
    sqlite3_bind_int64(s, 1, i + 1);
    legaTesto(s, 2, descr);
    sqlite3_bind_double(s, 3, 2000.0);
    sqlite3_bind_double(s, 4, 1.5);
    legaTesto(s, 5, bc);
    sqlite3_bind_text(s, 6, "3", 1, SQLITE_STATIC);
    sqlite3_bind_text(s, 7, "Pz", 2, SQLITE_STATIC);
    sqlite3_bind_text(s, 8, "Rossi", 5, SQLITE_STATIC);
    sqlite3_bind_double(s, 9, 0.0);
    sqlite3_bind_double(s, 10, 0.9);
    legaTesto(s, 11, QByteArray::number(i));
    sqlite3_bind_double(s, 12, 22.0);
    sqlite3_bind_int(s, 13, 1);
    sqlite3_bind_text(s, 14, "F", 1, SQLITE_STATIC);
}

// The bare work: n rows bound into one prepared INSERT through the C API, in one transaction.
double inserimentoNudoUnaVolta(Nudo& nudo, int n)
{
    svuota();
    const double ms = cronometra([&] {
        nudo.esegui("BEGIN");
        sqlite3_stmt* s = nudo.prepara(kInserisciNudo);
        for (int i = 0; i < n; ++i) {
            legaRigaNuda(s, i, descrizione(i).toUtf8(), barcode(i).toUtf8());
            scriviNudo(s, "bare INSERT");
        }
        sqlite3_finalize(s);
        nudo.esegui("COMMIT");
    });
    svuota();
    return ms;
}

double inserimentoNudo(Nudo& nudo, int n)
{
    return mediana(kGiri, [&] { return inserimentoNudoUnaVolta(nudo, n); });
}

// The bare .xls work: the same reader program, its answer read with the same protocol, each
// row's cells bound into the bare INSERT as they arrive, in one transaction.
class XlsNudo : public DestinatarioXls
{
public:
    XlsNudo(Nudo& nudo) : m_s(nudo.prepara(kInserisciNudo)) {}
    ~XlsNudo() override { sqlite3_finalize(m_s); }
    void foglio(const QString&) override {}
    bool riga(quint32 indice, const RigaCelle& c) override
    {
        if (indice == 0)
            return true; // the header
        riuscito(c.size() >= 9, "bare .xls (a row of the answer)");
        sqlite3_bind_int64(m_s, 1, indice);
        legaTesto(m_s, 2, c[0].testo);
        sqlite3_bind_double(m_s, 3, c[1].numero);
        sqlite3_bind_double(m_s, 4, c[4].numero);
        legaTesto(m_s, 5, c[2].testo);
        legaTesto(m_s, 6, QByteArray::number(c[3].numero));
        sqlite3_bind_text(m_s, 7, "Pz", 2, SQLITE_STATIC);
        legaTesto(m_s, 8, c[8].testo);
        sqlite3_bind_double(m_s, 9, 0.0);
        sqlite3_bind_double(m_s, 10, c[5].numero);
        legaTesto(m_s, 11, QByteArray::number(c[7].numero));
        sqlite3_bind_double(m_s, 12, c[6].numero);
        sqlite3_bind_int(m_s, 13, 1);
        sqlite3_bind_text(m_s, 14, "F", 1, SQLITE_STATIC);
        scriviNudo(m_s, "bare .xls INSERT");
        ++righe;
        return true;
    }
    int righe = 0;

private:
    sqlite3_stmt* m_s;
};

double xlsNudoUnaVolta(Nudo& nudo, const QString& path, int n)
{
    svuota();
    const double ms = cronometra([&] {
        nudo.esegui("BEGIN");
        {
            XlsNudo d(nudo);
            ProtocolloXls p(d);
            QString errore;
            riuscito(LettoreXls::esegui(path, 0, p, &errore) && p.completo(), "bare .xls (the reader program)", errore);
            riuscito(d.righe == n, "bare .xls (rows read)", QString::number(d.righe));
        }
        nudo.esegui("COMMIT");
    });
    svuota();
    return ms;
}

double importaUnaVolta(ScriptedInteraction& ui, const QString& path, const ImpostazioniImport& imp, const char* passo)
{
    ui.reset();
    NoProgress sink;
    QElapsedTimer t;
    t.start();
    const bool ok = Listini::EseguiImportazione(path, imp, ui, sink);
    const double ms = t.nsecsElapsed() / 1e6;
    riuscito(ok, passo, ui.asked.join(QLatin1Char('/')));
    return ms;
}

double importa(ScriptedInteraction& ui, const QString& path, const ImpostazioniImport& imp, const char* passo,
               bool svuotaPrima = true)
{
    return mediana(kGiri, [&] {
        if (svuotaPrima)
            svuota();
        return importaUnaVolta(ui, path, imp, passo);
    });
}

// A generic .xlsx sheet of n rows (libxlsxwriter, constant memory).
void scriviXlsx(const QString& path, int n)
{
    lxw_workbook_options o = {LXW_TRUE, nullptr, LXW_FALSE};
    lxw_workbook* wb = workbook_new_opt(QFile::encodeName(path).constData(), &o);
    riuscito(wb != nullptr, ".xlsx (writing the workbook)");
    lxw_worksheet* ws = workbook_add_worksheet(wb, "PRODOTTI");
    const char* nomi[] = {"Des", "Qta", "BC", "Rep", "PV", "ACQ", "IVA", "CF", "For"};
    for (int c = 0; c < 9; ++c)
        worksheet_write_string(ws, 0, c, nomi[c], nullptr);
    for (int i = 0; i < n; ++i) {
        worksheet_write_string(ws, i + 1, 0, descrizione(i).toUtf8().constData(), nullptr);
        worksheet_write_number(ws, i + 1, 1, 5, nullptr);
        worksheet_write_string(ws, i + 1, 2, barcode(i).toUtf8().constData(), nullptr);
        worksheet_write_number(ws, i + 1, 3, 3, nullptr);
        worksheet_write_number(ws, i + 1, 4, 1.5, nullptr);
        worksheet_write_number(ws, i + 1, 5, 0.9, nullptr);
        worksheet_write_number(ws, i + 1, 6, 22, nullptr);
        worksheet_write_number(ws, i + 1, 7, i, nullptr);
        worksheet_write_string(ws, i + 1, 8, "Rossi", nullptr);
    }
    riuscito(workbook_close(wb) == LXW_NO_ERROR, ".xlsx (writing the workbook)");
}

QString righe(int n)
{
    return QStringLiteral("%1 rows").arg(n);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qa(argc, argv);
    TestEnv env(true, 0.0);
    riuscito(Db::exec(QStringLiteral("UPDATE Reparti SET Iva = 22 WHERE Cod = 3")), "Db::exec");
    Nudo nudo(Db::currentPath());
    Obiettivi obiettivi;

    // .xlsx, 300,000 rows: the peak memory of one import, first, while the process holds little else.
    {
        const int n = 300000;
        const QString path = env.path(QStringLiteral("listino300.xlsx"));
        scriviXlsx(path, n);
        svuota();
        malloc_trim(0);
        azzeraPicco();
        const long prima = piccoKiB();
        const double ms = importaUnaVolta(env.interazione(), path, generico(), ".xlsx import (300,000 rows)");
        std::printf("%-44s %9.1f ms  (resident before it %ld MiB)\n", ".xlsx import, 300000 rows", ms, prima / 1024);
        obiettivi.massimo(QStringLiteral(".xlsx import, 300000 rows: peak RSS"), piccoKiB() / 1024.0, 100, "MiB");
        svuota();
        QFile::remove(path);
    }
    // Separated text, 100,000 lines.
    {
        const int n = 100000;
        const QString path = env.path(QStringLiteral("listino.txt"));
        QFile f(path);
        riuscito(f.open(QIODevice::WriteOnly), "separated text (writing the file)", f.errorString());
        for (int i = 0; i < n; ++i)
            f.write(QStringLiteral("x;y;z;%1;%2;3;a;b;c;1.50;d;e\r\n").arg(barcode(i), descrizione(i)).toLatin1());
        riuscito(f.flush() && f.error() == QFileDevice::NoError, "separated text (writing the file)", f.errorString());
        f.close();
        const double bare = inserimentoNudo(nudo, n);
        const double ms = importa(env.interazione(), path, separato(), "separated text import");
        obiettivi.rapporto(QStringLiteral("separated text import, ") + righe(n), ms, bare, 2);
        svuota();
    }
    // .xlsx, 100,000 rows.
    {
        const int n = 100000;
        const QString path = env.path(QStringLiteral("listino.xlsx"));
        scriviXlsx(path, n);
        const double bare = inserimentoNudo(nudo, n);
        const double ms = importa(env.interazione(), path, generico(), ".xlsx import");
        obiettivi.rapporto(QStringLiteral(".xlsx import, ") + righe(n), ms, bare, 3);
        svuota();
    }
    // .xls, 60,000 rows (python3-xlwt).
    {
        const int n = 60000;
        const QString path = env.path(QStringLiteral("listino.xls"));
        QProcess p;
        p.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"),
                                                     QStringLiteral(R"(
import sys, xlwt
wb = xlwt.Workbook(); ws = wb.add_sheet('PRODOTTI')
for c, t in enumerate(['Des','Qta','BC','Rep','PV','ACQ','IVA','CF','For']): ws.write(0, c, t)
for i in range(N_RIGHE):
    r = ws.row(i + 1)
    r.write(0, 'Articolo di prova numero %d conf. 500g' % i); r.write(1, 5); r.write(2, '80%011d' % i)
    r.write(3, 3); r.write(4, 1.5); r.write(5, 0.9); r.write(6, 22); r.write(7, i); r.write(8, 'Rossi')
    if i % 1000 == 0: ws.flush_row_data()
wb.save(sys.argv[1])
)")
                                                         .replace(QStringLiteral("N_RIGHE"), QString::number(n)),
                                                     path});
        riuscito(p.waitForFinished(600000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0,
                 ".xls (writing the workbook with xlwt)", QString::fromLocal8Bit(p.readAllStandardError().right(400)));
        const double bare = mediana(kGiri, [&] { return xlsNudoUnaVolta(nudo, path, n); });
        const double ms = importa(env.interazione(), path, generico(), ".xls import");
        obiettivi.rapporto(QStringLiteral(".xls import, ") + righe(n), ms, bare, 3,
                           QStringLiteral("(both sides run the reader program)"));
        const long piccoLettore = piccoLettoreKiB(path);
        riuscito(piccoLettore > 0, ".xls reader alone (peak memory)");
        std::printf("%-44s peak RSS of the reader process %ld MiB\n", "", piccoLettore / 1024);
        svuota();
    }
    // RCG: 50,000 lines merged into 100,000 articles, each found by barcode.
    {
        const int archivio = 100000;
        const int n = 50000;
        svuota();
        {
            Db::Transaction tr;
            QSqlQuery q(Db::dbNegozio());
            riuscito(q.prepare(QStringLiteral("INSERT INTO Magazzino (CodMateriale, Descrizione, \"Quantità\", Costo, "
                                              "BarCode, CodProdottoFornitore) VALUES (?,?,?,?,?,?)")),
                     "RCG archive (prepare)", q.lastError().text());
            for (int i = 0; i < archivio; ++i) {
                q.addBindValue(i + 1);
                q.addBindValue(descrizione(i));
                q.addBindValue(3.0);
                q.addBindValue(2.0);
                q.addBindValue(barcode(i));
                q.addBindValue(QString::number(i));
                eseguito(q, "RCG archive (INSERT)");
            }
            riuscito(tr.commit(), "tr.commit");
        }
        const QString path = env.path(QStringLiteral("rcg.txt"));
        QFile f(path);
        riuscito(f.open(QIODevice::WriteOnly), "RCG (writing the file)", f.errorString());
        for (int i = 0; i < n; ++i) {
            const int a = (i * 2) % archivio;
            QString l = QStringLiteral("R         %1%2%3%4%5")
                            .arg(QString::number(a).rightJustified(5, QLatin1Char('0')).right(5),
                                 QStringLiteral("00002"), QStringLiteral("00000001"), QStringLiteral("50000"),
                                 descrizione(a).leftJustified(30).left(30));
            l = l.leftJustified(75) + QStringLiteral("22.00 ") + barcode(a) + QStringLiteral("\r\n");
            f.write(l.toLatin1());
        }
        riuscito(f.flush() && f.error() == QFileDevice::NoError, "RCG (writing the file)", f.errorString());
        f.close();
        // The bare work: a bound look-up and a bound UPDATE per line, in one transaction rolled
        // back, so that every run finds the same archive.
        const double bare = mediana(kGiri, [&] {
            return cronometra([&] {
                nudo.esegui("BEGIN");
                sqlite3_stmt* cerca =
                    nudo.prepara("SELECT CodMateriale, \"Quantità\" FROM Magazzino WHERE BarCode = ?");
                sqlite3_stmt* aggiorna =
                    nudo.prepara("UPDATE Magazzino SET Descrizione = ?, \"Quantità\" = ?, Costo2 = ?, "
                                 "CodProdottoFornitore = ?, Fornitore = ?, CodPV = ?, Modificato = 1 WHERE "
                                 "CodMateriale = ?");
                for (int i = 0; i < n; ++i) {
                    const int a = (i * 2) % archivio;
                    legaTesto(cerca, 1, barcode(a));
                    riuscito(passoSqlite(cerca, "bare RCG look-up") == SQLITE_ROW, "bare RCG look-up",
                             QStringLiteral("no article with barcode ") + barcode(a));
                    const sqlite3_int64 cod = sqlite3_column_int64(cerca, 0);
                    const double qta = sqlite3_column_double(cerca, 1);
                    sqlite3_reset(cerca);
                    legaTesto(aggiorna, 1, descrizione(a));
                    sqlite3_bind_double(aggiorna, 2, qta + 2);
                    sqlite3_bind_double(aggiorna, 3, 1.5);
                    legaTesto(aggiorna, 4, QByteArray::number(a));
                    sqlite3_bind_text(aggiorna, 5, "RCG SERVICE", -1, SQLITE_STATIC);
                    sqlite3_bind_double(aggiorna, 6, 22.0);
                    sqlite3_bind_int64(aggiorna, 7, cod);
                    scriviNudo(aggiorna, "bare RCG UPDATE");
                }
                sqlite3_finalize(cerca);
                sqlite3_finalize(aggiorna);
                nudo.esegui("ROLLBACK");
            });
        });
        ImpostazioniImport imp;
        imp.fornitore = QStringLiteral("RCG SERVICE");
        const double ms = importa(env.interazione(), path, imp, "RCG merge", false);
        obiettivi.rapporto(QStringLiteral("RCG merge into 100000 articles, ") + righe(n), ms, bare, 3);
    }
    return obiettivi.esito();
}
