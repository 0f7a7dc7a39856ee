#include "core/Schema.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace Schema {

namespace {

QStringList version1()
{
    QStringList s;
    s << QStringLiteral(R"(CREATE TABLE Magazzino (
        CodMateriale INTEGER PRIMARY KEY,
        Descrizione TEXT COLLATE NOCASE,
        "Quantità" REAL,
        Costo REAL,
        UnitaMisura TEXT COLLATE NOCASE,
        Minimo REAL,
        Genere TEXT COLLATE NOCASE,
        Fornitore TEXT COLLATE NOCASE,
        Eliminato INTEGER NOT NULL DEFAULT 0,
        Taglia TEXT COLLATE NOCASE,
        Colore TEXT COLLATE NOCASE,
        TipoMateriale TEXT COLLATE NOCASE,
        BarCode TEXT,
        Costo2 REAL,
        CodProdottoFornitore TEXT,
        CodPV REAL,
        Modificato INTEGER NOT NULL DEFAULT 0,
        TipoVariazione TEXT,
        Note TEXT,
        PeriodoRiordino REAL,
        CodArtCEDI TEXT,
        DataInizioPromo TEXT,
        DataFinePromo TEXT,
        PrezzoPromo REAL))");
    s << QStringLiteral("CREATE INDEX idxMagazzinoBarCode ON Magazzino(BarCode)");
    s << QStringLiteral("CREATE INDEX idxMagazzinoDescrizione ON Magazzino(Descrizione COLLATE NOCASE)");
    s << QStringLiteral("CREATE INDEX idxMagazzinoFornitore ON Magazzino(Fornitore COLLATE NOCASE)");
    s << QStringLiteral("CREATE INDEX idxMagazzinoCodFornitore ON Magazzino(CodProdottoFornitore)");
    s << QStringLiteral(R"(CREATE TABLE Reparti (
        Cod INTEGER PRIMARY KEY,
        Descrizione TEXT COLLATE NOCASE,
        Iva REAL DEFAULT 0,
        PrezzoPrefissato REAL DEFAULT 0,
        Sconto INTEGER DEFAULT 0,
        NoFiscale INTEGER NOT NULL DEFAULT 0,
        PercorsoIcon TEXT,
        Icon TEXT))");
    // The shop's database always came with departments 1 to 40, without icons (Null); no window
    // creates or deletes them.
    s << QStringLiteral(R"(WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 40)
        INSERT INTO Reparti (Cod, Descrizione, Iva, PrezzoPrefissato, Sconto, NoFiscale, PercorsoIcon, Icon)
        SELECT i, 'Reparto' || i, 0, 0, 0, 0, NULL, NULL FROM n)");
    s << QStringLiteral(R"(CREATE TABLE Offerte (
        Articolo INTEGER,
        DataDAL TEXT,
        DataAL TEXT,
        ScontoVal REAL DEFAULT 0,
        ScontoPer REAL DEFAULT 0,
        Pezzi TEXT,
        PrzScnt REAL))");
    s << QStringLiteral("CREATE INDEX idxOfferteArticolo ON Offerte(Articolo)");
    s << QStringLiteral(R"(CREATE TABLE BarCodeUlteriori (
        CodProd INTEGER,
        BarCode TEXT,
        Inviato INTEGER NOT NULL DEFAULT 0,
        CodPerTabProd TEXT))");
    s << QStringLiteral("CREATE INDEX idxBarCodeUlterioriCodProd ON BarCodeUlteriori(CodProd)");
    s << QStringLiteral("CREATE INDEX idxBarCodeUlterioriBarCode ON BarCodeUlteriori(BarCode)");
    s << QStringLiteral(R"(CREATE TABLE StoricoPLU (
        EAN TEXT,
        Qta REAL,
        DataModif TEXT))");
    s << QStringLiteral("CREATE INDEX idxStoricoPLUData ON StoricoPLU(DataModif)");
    s << QStringLiteral("CREATE INDEX idxStoricoPLUEAN ON StoricoPLU(EAN)");
    s << QStringLiteral(R"(CREATE TABLE MagazzinoPerQuidar (
        Ordinale INTEGER,
        Descrizione TEXT,
        BarCode TEXT,
        Quantita TEXT,
        Prezzo TEXT,
        RepartoAss TEXT,
        CodArtMagazzino TEXT,
        UM TEXT,
        Modificato INTEGER NOT NULL DEFAULT 0))");
    return s;
}

// The central warehouse's EAN table (one row per code and EAN) and the look-up by its code.
QStringList version2()
{
    QStringList s;
    s << QStringLiteral(R"(CREATE TABLE B_CEDI (
        TipoVariazione TEXT,
        DataVariazione TEXT,
        CodFornitore TEXT,
        CodArticoloFornitore TEXT,
        CodEan TEXT NOT NULL DEFAULT '',
        EANMoltiplicatore TEXT,
        TipoArticolo TEXT,
        EANPrimario TEXT,
        ArtCEDI TEXT NOT NULL DEFAULT '',
        CodArtCEDI TEXT,
        DifferenziatoreArtCEDI TEXT,
        RepartoCassa TEXT,
        Filler4 TEXT,
        CodForPrevalente TEXT,
        DiffFornitPrevalente TEXT,
        LineaFornitore TEXT,
        Filler5 TEXT))");
    s << QStringLiteral("CREATE UNIQUE INDEX idxBCEDIChiave ON B_CEDI(ArtCEDI, CodEan)");
    s << QStringLiteral("CREATE INDEX idxMagazzinoCodArtCEDI ON Magazzino(CodArtCEDI)");
    return s;
}

// The shelf-label layout: one row, which no window creates or deletes. X columns hold an
// element's Top, Y columns its Left, in twips; style flags are -1/0 as the layout always stored them.
QStringList version3()
{
    QStringList s;
    QString cols = QStringLiteral("NumCol INTEGER, NumRow INTEGER");
    for (const char* e : {"Fornitura", "Cliente", "CodFornitura", "Picture", "Peso", "BC"})
        cols += QStringLiteral(", X%1 INTEGER, Y%1 INTEGER").arg(QLatin1String(e));
    for (const char* f : {"F", "CF", "C", "P", "BC"})
        cols += QStringLiteral(", Font%1 TEXT, FontSize%1 INTEGER, Bold%1 INTEGER, Italic%1 INTEGER, "
                               "Under%1 INTEGER, Color%1 INTEGER")
                    .arg(QLatin1String(f));
    s << QStringLiteral("CREATE TABLE FormatoEtichetta (%1)").arg(cols);
    // A layout that fits a 3 x 8 sheet of A4: shop name beside the icon, description, price and
    // the barcode beside it, the price per kilogram below.
    s << QStringLiteral(R"(INSERT INTO FormatoEtichetta VALUES (3, 8,
        60, 600,   860, 120,   560, 120,   0, 0,   1300, 120,   860, 1550,
        'Arial', 8, -1, 0, 0, 0,
        'Arial', 9, -1, 0, 0, 0,
        'Arial', 16, -1, 0, 0, 0,
        'Arial', 7, 0, 0, 0, 0,
        'Code EAN13', 22, 0, 0, 0, 0))");
    return s;
}

// The reports' working tables: emptied and refilled from the article window's lists on every print.
QStringList version4()
{
    QStringList s;
    s << QStringLiteral(R"(CREATE TABLE rptMagazzino (
        CodProdotto TEXT,
        Descrizione TEXT,
        Categoria TEXT,
        "Quantità" TEXT,
        Giacenze TEXT,
        Colore TEXT,
        UnitaMisura TEXT,
        Costo TEXT,
        Costo2 TEXT))");
    s << QStringLiteral(R"(CREATE TABLE rptProdotti (
        Descrizione TEXT,
        Reparto TEXT,
        Costo TEXT,
        CodProdotto TEXT,
        Prezzo2 TEXT,
        CostoAcquisto TEXT))");
    return s;
}

// The files of the IN folder already applied, each recorded in the transaction of its rows: one
// that stays in IN (a refused delete, a kill before it) is never applied a second time.
QStringList version5()
{
    QStringList s;
    s << QStringLiteral(R"(CREATE TABLE FileINApplicati (
        Nome TEXT NOT NULL,
        Dimensione INTEGER NOT NULL,
        DataModifica INTEGER NOT NULL,
        Impronta TEXT NOT NULL,
        Applicato TEXT NOT NULL))");
    s << QStringLiteral(
        "CREATE UNIQUE INDEX idxFileINApplicati ON FileINApplicati(Nome, Dimensione, DataModifica, Impronta)");
    return s;
}

// An applied file may have to stay in IN (its delete refused, or it grew after it was applied):
// while it is there the row says so, and only such a row is read as the part of a file that
// grew which was applied already.
QStringList version6()
{
    return {QStringLiteral("ALTER TABLE FileINApplicati ADD COLUMN RestaInIN INTEGER NOT NULL DEFAULT 0")};
}

// Databases made before version 7 seeded their departments with an empty icon name where a new
// one stores none; the "Icona" column tells the two apart, so the seeded ones read as no icon.
QStringList version7()
{
    return {QStringLiteral("UPDATE Reparti SET PercorsoIcon = NULL, Icon = NULL "
                           "WHERE COALESCE(PercorsoIcon, '') = '' AND COALESCE(Icon, '') = ''")};
}

} // namespace

const QList<QStringList>& steps()
{
    static const QList<QStringList> all = {version1(), version2(), version3(), version4(),
                                           version5(), version6(), version7()};
    return all;
}

int currentVersion()
{
    return int(steps().size());
}

bool upgrade(QSqlDatabase& db, QString* error)
{
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("PRAGMA user_version")) || !q.next()) {
        if (error)
            *error = q.lastError().text();
        return false;
    }
    const int have = q.value(0).toInt();
    q.finish();
    if (have >= currentVersion())
        return true;
    if (!db.transaction()) {
        if (error)
            *error = db.lastError().text();
        return false;
    }
    for (int v = have; v < currentVersion(); ++v) {
        for (const QString& sql : steps().at(v)) {
            if (!q.exec(sql)) {
                if (error)
                    *error = q.lastError().text();
                db.rollback();
                return false;
            }
        }
    }
    if (!q.exec(QStringLiteral("PRAGMA user_version = %1").arg(currentVersion())) || !db.commit()) {
        if (error)
            *error = q.lastError().text();
        db.rollback();
        return false;
    }
    return true;
}

} // namespace Schema
