// The article list over a shop archive of 100,000 articles: the whole-archive load, the
// description-prefix search and the barcode search, each against the bare SQLite work it needs
// (a COUNT(*) and the first 1000 rows through the C API, read only). Prints the median times in ms
// and the ratios with their goals: the whole-archive load at most 3 times the bare work, each
// search under 50 ms. A goal missed ends the run with a non-zero exit.
#include "Misura.h"
#include "Riuscito.h"
#include "archive/ArticleSearch.h"
#include "archive/ui/ArticleList.h"
#include "core/Database.h"
#include "core/Paths.h"
#include "support/TestEnv.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <sqlite3.h>
#include <vector>

namespace {

constexpr int kArticoli = 100000;
constexpr int kGiri = 25;

const char* kProdotti[] = {"Biscotti",   "Cioccolato",   "Pasta",       "Riso",      "Caffè",        "Tè verde",
                           "Shampoo",    "Bagnoschiuma", "Dentifricio", "Detersivo", "Ammorbidente", "Carta igienica",
                           "Tovaglioli", "Quaderno",     "Penna",       "Matita",    "Pile",         "Lampadina",
                           "Olio",       "Aceto",        "Sale",        "Zucchero",  "Farina",       "Latte",
                           "Yogurt",     "Succo",        "Acqua",       "Birra",     "Vino",         "Crackers"};
const char* kMarche[] = {"Mulino",   "Dolce Casa", "Barilla",  "Scotti",    "Lavazza",   "L'Oreal",
                         "Nivea",    "Colgate",    "Dash",     "Coccolino", "Regina",    "Pigna",
                         "Bic",      "Staedtler",  "Duracell", "Philips",   "Carapelli", "Ponti",
                         "Italkali", "Eridania",   "Caputo",   "Granarolo", "Müller",    "Yoga"};
const char* kFormati[] = {"250g", "500g", "1kg", "1L", "75cl", "33cl", "x4", "x10", "200ml", "conf. 3", "blister"};
const char* kFornitori[] = {"Rossi Distribuzione", "Bianchi & C.", "Cash Verdi", "Gruppo Sud", "L'Ingrosso Srl", ""};
const char* kUnita[] = {"Pz", "Kg", "Lt", "Cf"};

QString ean13(QRandomGenerator& rnd)
{
    QString s = QStringLiteral("80");
    for (int i = 0; i < 10; ++i)
        s += QChar('0' + int(rnd.bounded(10)));
    int sum = 0;
    for (int i = 0; i < 12; ++i)
        sum += (s.at(i).unicode() - '0') * (i % 2 ? 3 : 1);
    s += QChar('0' + (10 - sum % 10) % 10);
    return s;
}

QStringList creaArchivio()
{
    QRandomGenerator rnd(20240501);
    QStringList barcode;
    barcode.reserve(kArticoli);
    Db::Transaction t;
    QSqlQuery q(Db::dbNegozio());
    q.prepare(QStringLiteral("INSERT INTO Magazzino (CodMateriale, Descrizione, Genere, \"Quantità\", Minimo, "
                             "UnitaMisura, Costo, Fornitore, Taglia, Colore, TipoMateriale, BarCode, Costo2, "
                             "CodProdottoFornitore, CodPV, Modificato, Eliminato, TipoVariazione) "
                             "VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"));
    static const int iva[] = {4, 10, 22, 22, 22};
    for (int i = 1; i <= kArticoli; ++i) {
        const QString descr = QString::fromUtf8(kProdotti[rnd.bounded(int(std::size(kProdotti)))]) + QLatin1Char(' ') +
                              QString::fromUtf8(kMarche[rnd.bounded(int(std::size(kMarche)))]) + QLatin1Char(' ') +
                              QString::fromUtf8(kFormati[rnd.bounded(int(std::size(kFormati)))]);
        const QString bc = ean13(rnd);
        barcode << bc;
        const double acquisto = double(rnd.bounded(50, 5000)) / 100.0;
        const int aliquota = iva[rnd.bounded(5)];
        const double vendita =
            double(qRound(acquisto * (1 + aliquota / 100.0) * (1.1 + rnd.bounded(80) / 100.0) * 100)) / 100.0;
        q.addBindValue(i);
        q.addBindValue(descr);
        q.addBindValue(QString::number(1 + rnd.bounded(40)));
        q.addBindValue(double(int(rnd.bounded(60)) - 5));
        q.addBindValue(double(rnd.bounded(5)));
        q.addBindValue(QString::fromLatin1(kUnita[rnd.bounded(int(std::size(kUnita)))]));
        q.addBindValue(vendita);
        q.addBindValue(QString::fromUtf8(kFornitori[rnd.bounded(int(std::size(kFornitori)))]));
        q.addBindValue(rnd.bounded(4) == 0 ? QStringLiteral("M") : QString());
        q.addBindValue(rnd.bounded(5) == 0 ? QStringLiteral("Rosso") : QString());
        q.addBindValue(rnd.bounded(3) == 0 ? QStringLiteral("***") : QStringLiteral("0,5"));
        q.addBindValue(bc);
        q.addBindValue(acquisto);
        q.addBindValue(QStringLiteral("F%1").arg(rnd.bounded(1000000), 6, 10, QLatin1Char('0')));
        q.addBindValue(aliquota);
        q.addBindValue(i % 3 == 0 ? 1 : 0);
        q.addBindValue(rnd.bounded(50) == 0 ? 1 : 0);
        q.addBindValue(QStringLiteral("N"));
        eseguito(q, "archive (INSERT)");
    }
    riuscito(t.commit(), "t.commit");
    riuscito(Db::exec(QStringLiteral("ANALYZE")), "Db::exec");
    return barcode;
}

double mediana(const std::function<void()>& f)
{
    std::vector<double> t;
    f(); // warm-up: the first run pays for the pages the previous test left out of the cache
    for (int i = 0; i < kGiri; ++i) {
        QElapsedTimer e;
        e.start();
        f();
        t.push_back(double(e.nsecsElapsed()) / 1e6);
    }
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

// The bare work: the count and the first 1000 rows, every column read as text.
struct NudoLettura
{
    sqlite3* db = nullptr;
    explicit NudoLettura(const QString& path)
    {
        riuscitoSqlite(db, sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr),
                       "bare database (open)");
    }
    ~NudoLettura() { sqlite3_close(db); }

    long long corri(const char* conta, const char* righe, const char* valore)
    {
        long long n = 0;
        sqlite3_stmt* s = nullptr;
        riuscitoSqlite(db, sqlite3_prepare_v2(db, conta, -1, &s, nullptr), "bare count (prepare)");
        if (valore)
            sqlite3_bind_text(s, 1, valore, -1, SQLITE_TRANSIENT);
        if (passoSqlite(s, "bare count") == SQLITE_ROW)
            n = sqlite3_column_int64(s, 0);
        sqlite3_finalize(s);
        riuscitoSqlite(db, sqlite3_prepare_v2(db, righe, -1, &s, nullptr), "bare rows (prepare)");
        if (valore)
            sqlite3_bind_text(s, 1, valore, -1, SQLITE_TRANSIENT);
        long long bytes = 0;
        while (passoSqlite(s, "bare rows") == SQLITE_ROW)
            for (int c = 0; c < sqlite3_column_count(s); ++c) {
                sqlite3_column_text(s, c);
                bytes += sqlite3_column_bytes(s, c);
            }
        sqlite3_finalize(s);
        return n + bytes;
    }
};

// A search: its ratio against the bare work printed, its time held to 50 ms.
void ricerca(Obiettivi& obiettivi, const char* nome, double ms, double nudo, int righe)
{
    std::printf("%-44s %9.2f ms  bare (C API) %8.2f ms  ratio %5.2f  rows %d\n", nome, ms, nudo, ms / nudo, righe);
    obiettivi.massimo(QString::fromUtf8(nome) + QStringLiteral(": time"), ms, 50, "ms");
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication a(argc, argv);
    TestEnv env(true, 1.0);

    QElapsedTimer e;
    e.start();
    const QStringList barcode = creaArchivio();
    std::printf("archive of %d articles built in %.0f ms\n", kArticoli, double(e.elapsed()));

    NudoLettura nudo(Paths::databasePath());
    Obiettivi obiettivi;
    ListaModel model;
    model.setIntestazioni(ArticleList::intestazioni());
    int righe = 0;
    auto carica = [&](const QString& sql, const QVariantList& valori) {
        ArticleList::Caricamento r = ArticleList::leggi(sql, valori);
        riuscito(r.aperto, "article list load", sql);
        righe = r.listate;
        ArticleList::testoValore(r.valore);
        model.setRighe(std::move(r.righe));
    };

    // Whole archive.
    const QString tutto = ArticleSearch::tuttoArchivio();
    const double tLoad = mediana([&] { carica(tutto, {}); });
    const double tNudo = mediana([&] {
        nudo.corri("SELECT COUNT(*) FROM Magazzino", "SELECT * FROM Magazzino ORDER BY Descrizione LIMIT 1000",
                   nullptr);
    });
    obiettivi.rapporto(QStringLiteral("CaricaMagazzino whole archive, %1 rows").arg(righe), tLoad, tNudo, 3);
    {
        const double c = mediana([&] { valoreDb(QStringLiteral("SELECT COUNT(*) FROM (Select * from Magazzino)")); });
        const double r = mediana([&] {
            QSqlQuery q(Db::dbNegozio());
            q.setForwardOnly(true);
            eseguito(q, tutto, "Qt driver alone (rows)");
            int n = 0;
            while (n < 1000 && q.next()) {
                for (int i = 0; i < 24; ++i)
                    q.value(i);
                ++n;
            }
        });
        std::printf("  (Qt driver alone: count %.2f ms, first 1000 rows %.2f ms)\n", c, r);
    }

    // Description prefix.
    const ArticleSearch::Query pref =
        *ArticleSearch::costruisci({ArticleSearch::optDescrizione, QStringLiteral("caffè lav"), {}, {}}).valore;
    const double tPref = mediana([&] { carica(pref.sql, pref.valori); });
    const double tPrefNudo = mediana([&] {
        nudo.corri("SELECT COUNT(*) FROM Magazzino WHERE Descrizione LIKE ?1 ESCAPE '\\'",
                   "SELECT * FROM Magazzino WHERE Descrizione LIKE ?1 ESCAPE '\\' ORDER BY Descrizione LIMIT 1000",
                   "caffè lav%");
    });
    ricerca(obiettivi, "description prefix 'caffè lav'", tPref, tPrefNudo, righe);

    const ArticleSearch::Query largo =
        *ArticleSearch::costruisci({ArticleSearch::optDescrizione, QStringLiteral("Pasta"), {}, {}}).valore;
    const double tLargo = mediana([&] { carica(largo.sql, largo.valori); });
    const double tLargoNudo = mediana([&] {
        nudo.corri("SELECT COUNT(*) FROM Magazzino WHERE Descrizione LIKE ?1 ESCAPE '\\'",
                   "SELECT * FROM Magazzino WHERE Descrizione LIKE ?1 ESCAPE '\\' ORDER BY Descrizione LIMIT 1000",
                   "Pasta%");
    });
    ricerca(obiettivi, "description prefix 'Pasta'", tLargo, tLargoNudo, righe);

    // Barcode.
    const QByteArray bc = barcode.at(kArticoli / 2).toLatin1();
    const ArticleSearch::Query cod =
        *ArticleSearch::costruisci({ArticleSearch::optBarCode, QString::fromLatin1(bc), {}, {}}).valore;
    const double tBc = mediana([&] { carica(cod.sql, cod.valori); });
    const double tBcNudo = mediana([&] {
        nudo.corri("SELECT COUNT(*) FROM Magazzino WHERE BarCode = ?1",
                   "SELECT * FROM Magazzino WHERE BarCode = ?1 ORDER BY Descrizione LIMIT 1000", bc.constData());
    });
    ricerca(obiettivi, "barcode", tBc, tBcNudo, righe);

    // The plans SQLite chose for the two searches.
    for (const ArticleSearch::Query* q : {&pref, &cod}) {
        QSqlQuery p = Db::query(QStringLiteral("EXPLAIN QUERY PLAN ") + q->sql, q->valori);
        riuscito(p.isActive(), "query plan", p.lastError().text());
        while (p.next())
            std::printf("plan: %s\n", qPrintable(p.value(3).toString()));
    }
    return obiettivi.esito();
}
