// The central warehouse's files over an archive of 50,000 articles: an A file of 50,000 lines
// (half "M" updates by central-warehouse code, half "N" new articles) and a B file of 50,000
// lines where one code in ten carries two EANs, each through the real import against the same
// writes through SQLite's C API in one transaction on a copy of the same database (goal: ratio
// <= 2 for each). The bare side gets its values already cut from the lines. Each side runs three
// times from the same archive; the medians are printed. A goal missed ends the run with a
// non-zero exit.
#include "Misura.h"
#include "Riuscito.h"
#include "core/Database.h"
#include "core/Paths.h"
#include "core/Progress.h"
#include "core/TextFile.h"
#include "import/Cedi.h"
#include "support/TestEnv.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <cstdio>
#include <sqlite3.h>
#include <vector>

namespace {

constexpr int kArticoli = 50000;
constexpr int kRigheA = 50000;
constexpr int kRigheB = 50000;
constexpr int kGiri = 3;

QString campo(const QString& testo, int larghezza)
{
    return testo.leftJustified(larghezza, QLatin1Char(' '), true);
}

QString codice(int i)
{
    return QStringLiteral("C%1").arg(i, 8, 10, QLatin1Char('0'));
}

// An A line from the layout: kind, description, code, supplier flag, unit, quantity, price,
// promotion price and dates, department.
QString lineaA(const QString& tipo, const QString& cod, int i)
{
    QString r(358, QLatin1Char(' '));
    auto metti = [&r](int inizio, int larghezza, const QString& t) {
        r.replace(inizio - 1, larghezza, campo(t, larghezza));
    };
    metti(1, 1, tipo);
    metti(2, 8, QStringLiteral("20240201"));
    metti(26, 40, QStringLiteral("Articolo centrale numero %1").arg(i));
    metti(103, 9, cod);
    metti(127, 1, i % 3 ? QStringLiteral("S") : QStringLiteral("N"));
    metti(161, 2, QStringLiteral("PZ"));
    metti(167, 4, QString::number(i % 500).rightJustified(4, QLatin1Char('0')));
    metti(219, 13, QString::number(1000 + (i % 9000) * 10).rightJustified(13, QLatin1Char('0')));
    metti(245, 13, QString::number(i % 7).rightJustified(13, QLatin1Char('0')));
    metti(274, 8, QStringLiteral("01/02/24"));
    metti(282, 8, QStringLiteral("29/02/24"));
    metti(303, 3, QString::number(1 + i % 40).rightJustified(3, QLatin1Char('0')));
    return r;
}

QString lineaB(const QString& cod, const QString& ean)
{
    QString r(129, QLatin1Char(' '));
    auto metti = [&r](int inizio, int larghezza, const QString& t) {
        r.replace(inizio - 1, larghezza, campo(t, larghezza));
    };
    metti(1, 1, QStringLiteral("M"));
    metti(2, 8, QStringLiteral("20240201"));
    metti(26, 20, ean);
    metti(53, 9, cod);
    metti(62, 9, cod);
    metti(73, 3, QStringLiteral("003"));
    return r;
}

void testo(sqlite3_stmt* s, int i, const QByteArray& b)
{
    sqlite3_bind_text(s, i, b.constData(), int(b.size()), SQLITE_TRANSIENT);
}

// The values of one A line as the bare side writes them.
struct ValoriA
{
    QByteArray tipo, descrizione, cod, genere, um, fornitore, inizio, fine;
    int qta;
    double costo, promo;
};

ValoriA valori(const Cedi::RigaA& r, const QHash<int, QString>& reparti)
{
    return {r.tipoVariazione.toUtf8(),
            r.descrizione.toUtf8(),
            r.artCEDI.toUtf8(),
            reparti.value(r.repartoCassa.toInt()).toUtf8(),
            r.unitaMisura.toUtf8(),
            r.fornitoreSigma ? "SIGMA" : "***",
            r.dataInizioPromo.toUtf8(),
            r.dataFinePromo.toUtf8(),
            r.quantita,
            r.costo,
            r.prezzoPromo};
}

const char* kInserisci = "INSERT INTO Magazzino (CodMateriale, Descrizione, \"Quantità\", Costo, CodArtCEDI, Genere, "
                         "UnitaMisura, Fornitore, TipoVariazione, DataInizioPromo, PrezzoPromo, DataFinePromo, "
                         "Modificato, Minimo, BarCode) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,1,0,?)";

struct ScriviA
{
    Nudo& n;
    sqlite3_stmt* trova =
        n.prepara("SELECT CodMateriale FROM Magazzino WHERE CodArtCEDI = ? ORDER BY CodMateriale LIMIT 1");
    sqlite3_stmt* massimo = n.prepara("SELECT COALESCE(MAX(CodMateriale), 0) + 1 FROM Magazzino");
    sqlite3_stmt* aggiorna = n.prepara(
        "UPDATE Magazzino SET Descrizione = ?, \"Quantità\" = ?, Costo = ?, CodArtCEDI = ?, Genere = ?, UnitaMisura = "
        "?, "
        "Fornitore = ?, TipoVariazione = ?, DataInizioPromo = ?, PrezzoPromo = ?, DataFinePromo = ?, Modificato = 1, "
        "Minimo = 0 WHERE CodMateriale = ?");
    sqlite3_stmt* inserisci = n.prepara(kInserisci);
    ~ScriviA()
    {
        for (sqlite3_stmt* s : {trova, massimo, aggiorna, inserisci})
            sqlite3_finalize(s);
    }
    void colonne(sqlite3_stmt* s, int da, const ValoriA& v)
    {
        testo(s, da, v.descrizione);
        sqlite3_bind_double(s, da + 1, v.qta);
        sqlite3_bind_double(s, da + 2, v.costo);
        testo(s, da + 3, v.cod);
        testo(s, da + 4, v.genere);
        testo(s, da + 5, v.um);
        testo(s, da + 6, v.fornitore);
        testo(s, da + 7, v.tipo);
        testo(s, da + 8, v.inizio);
        sqlite3_bind_double(s, da + 9, v.promo);
        testo(s, da + 10, v.fine);
    }
    void nuovo(const ValoriA& v, const QByteArray& barCode = {})
    {
        riuscito(passoSqlite(massimo, "bare MAX(CodMateriale)") == SQLITE_ROW, "bare MAX(CodMateriale)");
        const sqlite3_int64 cod = sqlite3_column_int64(massimo, 0);
        sqlite3_reset(massimo);
        sqlite3_bind_int64(inserisci, 1, cod);
        colonne(inserisci, 2, v);
        if (barCode.isNull())
            sqlite3_bind_null(inserisci, 13);
        else
            testo(inserisci, 13, barCode);
        passoSqlite(inserisci, "bare INSERT");
        sqlite3_reset(inserisci);
    }
    void riga(const ValoriA& v)
    {
        if (v.tipo == "M") {
            testo(trova, 1, v.cod);
            if (passoSqlite(trova, "bare look-up by code") == SQLITE_ROW) {
                const sqlite3_int64 cod = sqlite3_column_int64(trova, 0);
                sqlite3_reset(trova);
                colonne(aggiorna, 1, v);
                sqlite3_bind_int64(aggiorna, 12, cod);
                passoSqlite(aggiorna, "bare UPDATE");
                sqlite3_reset(aggiorna);
                return;
            }
            sqlite3_reset(trova);
        }
        nuovo(v);
    }
};

void nudoA(Nudo& n, const std::vector<ValoriA>& righe)
{
    n.esegui("BEGIN");
    {
        ScriviA s{n};
        for (const ValoriA& v : righe)
            s.riga(v);
    }
    n.esegui("COMMIT");
}

void nudoB(Nudo& n, const std::vector<std::array<QByteArray, 17>>& righe, const std::vector<ValoriA>& righeA)
{
    n.esegui("BEGIN");
    {
        sqlite3_stmt* upsert = n.prepara(
            "INSERT INTO B_CEDI (TipoVariazione, DataVariazione, CodFornitore, CodArticoloFornitore, CodEan, "
            "EANMoltiplicatore, TipoArticolo, EANPrimario, ArtCEDI, CodArtCEDI, DifferenziatoreArtCEDI, RepartoCassa, "
            "Filler4, CodForPrevalente, DiffFornitPrevalente, LineaFornitore, Filler5) VALUES "
            "(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?) ON CONFLICT (ArtCEDI, CodEan) DO UPDATE SET "
            "TipoVariazione = excluded.TipoVariazione, DataVariazione = excluded.DataVariazione, CodFornitore = "
            "excluded.CodFornitore, CodArticoloFornitore = excluded.CodArticoloFornitore, EANMoltiplicatore = "
            "excluded.EANMoltiplicatore, TipoArticolo = excluded.TipoArticolo, EANPrimario = excluded.EANPrimario, "
            "CodArtCEDI = excluded.CodArtCEDI, DifferenziatoreArtCEDI = excluded.DifferenziatoreArtCEDI, RepartoCassa "
            "= excluded.RepartoCassa, Filler4 = excluded.Filler4, CodForPrevalente = excluded.CodForPrevalente, "
            "DiffFornitPrevalente = excluded.DiffFornitPrevalente, LineaFornitore = excluded.LineaFornitore, Filler5 = "
            "excluded.Filler5");
        sqlite3_stmt* porta = n.prepara("SELECT 1 FROM Magazzino WHERE CodArtCEDI = ? AND BarCode = ? LIMIT 1");
        sqlite3_stmt* trova =
            n.prepara("SELECT CodMateriale FROM Magazzino WHERE CodArtCEDI = ? ORDER BY CodMateriale LIMIT 1");
        sqlite3_stmt* barCode = n.prepara("UPDATE Magazzino SET BarCode = ?, Modificato = 1 WHERE CodMateriale = ?");
        for (const auto& r : righe) {
            for (int i = 0; i < 17; ++i)
                testo(upsert, i + 1, r[size_t(i)]);
            passoSqlite(upsert, "bare B_CEDI upsert");
            sqlite3_reset(upsert);
            if (r[8].isEmpty())
                continue;
            testo(porta, 1, r[8]);
            testo(porta, 2, r[4]);
            const bool c = passoSqlite(porta, "bare code and EAN look-up") == SQLITE_ROW;
            sqlite3_reset(porta);
            if (c)
                continue;
            testo(trova, 1, r[8]);
            if (passoSqlite(trova, "bare look-up by code") == SQLITE_ROW) {
                const sqlite3_int64 cod = sqlite3_column_int64(trova, 0);
                testo(barCode, 1, r[4]);
                sqlite3_bind_int64(barCode, 2, cod);
                passoSqlite(barCode, "bare barcode UPDATE");
                sqlite3_reset(barCode);
            }
            sqlite3_reset(trova);
        }
        // The extra EANs.
        QHash<QByteArray, std::vector<size_t>> perCodice;
        for (size_t i = 0; i < righeA.size(); ++i)
            perCodice[righeA[i].cod].push_back(i);
        std::vector<std::pair<QByteArray, QByteArray>> coppie;
        sqlite3_stmt* q = n.prepara("SELECT ArtCEDI, CodEan FROM B_CEDI WHERE ArtCEDI <> '' AND ArtCEDI IN "
                                    "(SELECT ArtCEDI FROM B_CEDI GROUP BY ArtCEDI HAVING COUNT(*) > 1) "
                                    "ORDER BY ArtCEDI, rowid");
        while (passoSqlite(q, "bare pairs of codes") == SQLITE_ROW)
            coppie.emplace_back(QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(q, 0))),
                                QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(q, 1))));
        sqlite3_finalize(q);
        ScriviA s{n};
        for (const auto& [cod, ean] : coppie) {
            const auto it = perCodice.constFind(cod);
            if (it == perCodice.cend())
                continue;
            testo(porta, 1, cod);
            testo(porta, 2, ean);
            const bool c = passoSqlite(porta, "bare code and EAN look-up") == SQLITE_ROW;
            sqlite3_reset(porta);
            if (c)
                continue;
            for (size_t i : *it)
                s.nuovo(righeA[i], ean);
        }
        for (sqlite3_stmt* st : {upsert, porta, trova, barCode})
            sqlite3_finalize(st);
    }
    n.esegui("COMMIT");
}

void creaArchivio()
{
    Db::Transaction t;
    QSqlQuery q(Db::dbNegozio());
    riuscito(q.prepare(QStringLiteral("INSERT INTO Magazzino (CodMateriale, Descrizione, \"Quantità\", Costo, "
                                      "CodArtCEDI, Genere, Fornitore, BarCode) VALUES (?, ?, 3, 2.5, ?, 'Reparto1', "
                                      "'SIGMA', NULL)")),
             "archive (prepare)", q.lastError().text());
    for (int i = 1; i <= kArticoli; ++i) {
        q.addBindValue(i);
        q.addBindValue(QStringLiteral("Articolo %1").arg(i));
        q.addBindValue(codice(i));
        eseguito(q, "archive (INSERT)");
    }
    riuscito(t.commit(), "t.commit");
}

qint64 conta(const QString& sql)
{
    QSqlQuery q(Db::dbNegozio());
    eseguito(q, sql, "count");
    riuscito(q.next(), "count", q.lastError().text());
    return q.value(0).toLongLong();
}

qint64 contaNudo(Nudo& n, const char* sql)
{
    sqlite3_stmt* s = n.prepara(sql);
    riuscito(passoSqlite(s, "bare count") == SQLITE_ROW, "bare count");
    const qint64 v = sqlite3_column_int64(s, 0);
    sqlite3_finalize(s);
    return v;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication a(argc, argv);
    TestEnv env(true, 0.0);
    creaArchivio();

    // The A file: half "M" lines on codes of the archive, half "N" lines on new codes.
    QRandomGenerator rnd(20240201);
    QStringList righeA;
    for (int i = 0; i < kRigheA; ++i)
        righeA << (i % 2 ? lineaA(QStringLiteral("N"), codice(kArticoli + 1 + i), i)
                         : lineaA(QStringLiteral("M"), codice(1 + int(rnd.bounded(kArticoli))), i));
    // The B file: one code in ten with two EANs.
    QStringList righeB;
    for (int c = 1; righeB.size() < kRigheB; ++c) {
        righeB << lineaB(codice(c), QStringLiteral("80%1").arg(c, 11, 10, QLatin1Char('0')));
        if (c % 10 == 0 && righeB.size() < kRigheB)
            righeB << lineaB(codice(c), QStringLiteral("81%1").arg(c, 11, 10, QLatin1Char('0')));
    }
    const QString fileA = env.path(QStringLiteral("A1.txt"));
    const QString fileB = env.path(QStringLiteral("B1.txt"));
    riuscito(TextFile::writeLines(fileA, righeA), "TextFile::writeLines");
    riuscito(TextFile::writeLines(fileB, righeB), "TextFile::writeLines");

    // The bare side's values, cut from the same lines beforehand.
    QHash<int, QString> reparti;
    for (int i = 1; i <= 40; ++i)
        reparti.insert(i, QStringLiteral("Reparto%1").arg(i));
    std::vector<ValoriA> valoriA;
    for (const QString& l : std::as_const(righeA))
        valoriA.push_back(valori(Cedi::leggiRigaA(l), reparti));
    std::vector<std::array<QByteArray, 17>> valoriB;
    for (const QString& l : std::as_const(righeB)) {
        const Cedi::RigaB r = Cedi::leggiRigaB(l);
        std::array<QByteArray, 17> v;
        for (size_t i = 0; i < 17; ++i)
            v[i] = r.campi[i].toUtf8();
        valoriB.push_back(v);
    }

    // How much of the import is reading and cutting the lines alone.
    QElapsedTimer tl;
    tl.start();
    {
        QStringList l;
        riuscito(TextFile::readLines(fileA, l), "TextFile::readLines");
        for (const QString& x : std::as_const(l))
            (void)Cedi::leggiRigaA(x);
    }
    const double lettoA = double(tl.nsecsElapsed()) / 1e6;
    tl.restart();
    {
        QStringList l;
        riuscito(TextFile::readLines(fileB, l), "TextFile::readLines");
        for (const QString& x : std::as_const(l))
            (void)Cedi::leggiRigaB(x);
    }
    const double lettoB = double(tl.nsecsElapsed()) / 1e6;

    // Every run starts from this archive.
    const QString iniziale = env.path(QStringLiteral("Dati/Iniziale.db"));
    riuscito(QFile::copy(Paths::databasePath(), iniziale), "copy of the starting archive");
    auto daCapo = [&](const QString& dest) {
        riuscito(!QFile::exists(dest) || QFile::remove(dest), "removing the archive of the last run", dest);
        riuscito(QFile::copy(iniziale, dest), "the starting archive copied back", dest);
    };
    const QString copia = env.path(QStringLiteral("Dati/Nudo.db"));

    std::vector<double> tA, tB, nA, nB;
    for (int giro = 0; giro < kGiri; ++giro) {
        Db::ChiudiDatabase();
        daCapo(Paths::databasePath());
        riuscito(Db::ApriDatabase(Paths::databasePath()), "Db::ApriDatabase");
        NoProgress p;
        Cedi::Importatore imp;
        tA.push_back(cronometra([&] { riuscito(imp.DatiPLUSigma(fileA, p), "DatiPLUSigma (A file)"); }));
        tB.push_back(cronometra([&] { riuscito(imp.DatiPLUVar(fileB, p), "DatiPLUVar (B file)"); }));
    }
    for (int giro = 0; giro < kGiri; ++giro) {
        daCapo(copia);
        Nudo nudo(copia);
        nA.push_back(cronometra([&] { nudoA(nudo, valoriA); }));
        nB.push_back(cronometra([&] { nudoB(nudo, valoriB, valoriA); }));
    }
    const auto mediano = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    const double msA = mediano(tA), nudoMsA = mediano(nA), msB = mediano(tB), nudoMsB = mediano(nB);

    // Both sides must have done the same work, or the ratios compare different things.
    Nudo nudo(copia);
    const qint64 art = conta(QStringLiteral("SELECT COUNT(*) FROM Magazzino"));
    const qint64 artNudo = contaNudo(nudo, "SELECT COUNT(*) FROM Magazzino");
    const qint64 bc = conta(QStringLiteral("SELECT COUNT(*) FROM B_CEDI"));
    const qint64 bcNudo = contaNudo(nudo, "SELECT COUNT(*) FROM B_CEDI");
    riuscito(
        art == artNudo && bc == bcNudo, "the same rows on both sides",
        QStringLiteral("articles %1 (bare %2), B_CEDI rows %3 (bare %4)").arg(art).arg(artNudo).arg(bc).arg(bcNudo));
    std::printf("archive %d articles; A file %d lines; B file %d lines\n", kArticoli, kRigheA, kRigheB);
    Obiettivi obiettivi;
    obiettivi.rapporto(QStringLiteral("DatiPLUSigma (A file)"), msA, nudoMsA, 2);
    obiettivi.rapporto(QStringLiteral("DatiPLUVar (B file, extra EANs)"), msB, nudoMsB, 2);
    std::printf("of which reading and cutting the lines: A %.1f ms, B %.1f ms\n", lettoA, lettoB);
    std::printf("articles %lld (bare %lld), B_CEDI rows %lld (bare %lld); medians of %d runs each\n", art, artNudo, bc,
                bcNudo, kGiri);
    return obiettivi.esito();
}
