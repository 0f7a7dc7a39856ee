// The central warehouse's article (A) and variation (B) files: both layouts field by field, the
// article import, the variation import with B_CEDI and the articles of extra EANs, one
// transaction per file, and the schema step that brings B_CEDI to an existing database.
#include "core/Articoli.h"
#include "core/ArticoliLotto.h"
#include "core/Database.h"
#include "core/Paths.h"
#include "core/Schema.h"
#include "core/TextFile.h"
#include "import/Cedi.h"
#include "import/RigheCentrale.h"
#include "support/Riga.h"
#include "support/ScriptedInteraction.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>

namespace {

QString scrivi(const TestEnv& env, const QString& nome, const QStringList& righe)
{
    const QString p = env.path(nome);
    if (!TextFile::writeLines(p, righe))
        qFatal("cannot write %s", qPrintable(p));
    return p;
}

QVariant val(const QString& sql, const QVariantList& v = {})
{
    return valoreDb(sql, v);
}

// Every row of the tables an import touches, for before/after comparisons.
QStringList istantanea()
{
    QStringList out;
    for (const QString& t : {QStringLiteral("Magazzino"), QStringLiteral("B_CEDI")}) {
        QSqlQuery q = Db::query(QStringLiteral("SELECT * FROM ") + t + QStringLiteral(" ORDER BY rowid"));
        while (q.next()) {
            QStringList r;
            for (int i = 0; i < q.record().count(); ++i)
                r << q.value(i).toString();
            out << t + QLatin1Char(':') + r.join(QLatin1Char('|'));
        }
    }
    return out;
}

void articolo(qint64 cod, const QString& cedi, const QString& barCode = {}, const QString& colore = {})
{
    Articolo a;
    a.codMateriale = cod;
    a.descrizione = QStringLiteral("Vecchio %1").arg(cod);
    a.codArtCEDI = cedi;
    a.barCode = barCode;
    a.colore = colore;
    a.quantita = 99;
    QVERIFY(Articoli::inserisci(a).ok);
}

Articolo leggi(qint64 cod)
{
    const Letto<Articolo> a = Articoli::perCodice(cod);
    if (!a.trovatoValore())
        qFatal("article %lld missing", cod);
    return *a.valore;
}

} // namespace

class TestCedi : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Each field filled with its own letter: every field reads back exactly its own run, so a
    // start or length off by one shows; the gap at 156 (A) and 106 (B) holds a mark no field may show.
    void layoutA()
    {
        QString riga(358, QLatin1Char('#'));
        for (size_t i = 0; i < Righe::kA.size(); ++i)
            for (int k = 0; k < Righe::kA[i].second; ++k)
                riga[Righe::kA[i].first - 1 + k] = QChar(u'A' + int(i % 26));
        QCOMPARE(riga.at(155), QLatin1Char('#'));
        const Cedi::RigaA r = Cedi::leggiRigaA(riga);
        for (int n = 1; n <= 56; ++n) {
            const QString c = r.campo(n);
            QCOMPARE(c, QString(Righe::kA[size_t(n - 1)].second, QChar(u'A' + (n - 1) % 26)));
            QVERIFY(!c.contains(QLatin1Char('#')));
        }
        QCOMPARE(r.campo(0), QString());
        QCOMPARE(r.campo(57), QString());
    }

    void layoutB()
    {
        QString riga(129, QLatin1Char('#'));
        for (size_t i = 0; i < Righe::kB.size(); ++i)
            for (int k = 0; k < Righe::kB[i].second; ++k)
                riga[Righe::kB[i].first - 1 + k] = QChar(u'a' + int(i));
        QCOMPARE(riga.at(105), QLatin1Char('#'));
        const Cedi::RigaB r = Cedi::leggiRigaB(riga);
        for (size_t i = 0; i < 17; ++i)
            QCOMPARE(r.campi[i], QString(Righe::kB[i].second, QChar(u'a' + int(i))));
        QCOMPARE(r.codEan(), QString(20, QLatin1Char('e')));
        QCOMPARE(r.artCEDI(), QString(9, QLatin1Char('i')));
    }

    void numeri_data()
    {
        QTest::addColumn<int>("campo");
        QTest::addColumn<QString>("testo");
        QTest::addColumn<double>("atteso");
        QTest::newRow("price /1000") << 36 << Righe::millesimi(12500) << 12.5;
        QTest::newRow("price zeros") << 36 << QString(13, QLatin1Char('0')) << 0.0;
        QTest::newRow("price empty") << 36 << QString() << 0.0;
        QTest::newRow("price letters") << 36 << QStringLiteral("ABC") << 0.0;
        QTest::newRow("promo not divided") << 38 << Righe::millesimi(1250) << 1250.0;
        QTest::newRow("promo comma") << 38 << QStringLiteral("12,5") << 12.5;
        QTest::newRow("promo empty") << 38 << QString() << 0.0;
        QTest::newRow("qty blanks") << 27 << QStringLiteral("  12") << 12.0;
        QTest::newRow("qty letters") << 27 << QStringLiteral("abcd") << 0.0;
        QTest::newRow("qty half to even") << 27 << QStringLiteral("12,5") << 12.0;
        QTest::newRow("qty negative") << 27 << QStringLiteral("-3") << -3.0;
        QTest::newRow("integer 10") << 10 << QStringLiteral("7") << 7.0;
        QTest::newRow("number 22 rounded") << 22 << QStringLiteral("1,23456") << 1.235;
        QTest::newRow("number 35") << 35 << QStringLiteral("1.234,5") << 1234.5;
        QTest::newRow("single 30") << 30 << QStringLiteral("0,1") << double(0.1f);
        QTest::newRow("single 30 overflow") << 30 << QStringLiteral("9e99") << 0.0;
    }
    void numeri()
    {
        QFETCH(int, campo);
        QFETCH(QString, testo);
        QFETCH(double, atteso);
        const Cedi::RigaA r = Cedi::leggiRigaA(Righe::a({{campo, testo}}));
        const double v = (campo == 10 || campo == 27) ? r.intero(campo) : r.numero(campo);
        QCOMPARE(v, atteso);
        if (campo == 27)
            QCOMPARE(double(r.quantita), atteso);
        if (campo == 36)
            QCOMPARE(r.costo, atteso);
        if (campo == 38)
            QCOMPARE(r.prezzoPromo, atteso);
    }

    void date_data()
    {
        QTest::addColumn<QString>("testo");
        QTest::addColumn<QString>("iso");
        const Riga<QString, QString> riga;
        riga("slashes", "01/02/24", "2024-02-01");
        riga("dashes", "31-12-99", "1999-12-31");
        riga("dots", "05.06.29", "2029-06-05");
        riga("30 is 1930", "05.06.30", "1930-06-05");
        riga("four digits", "1/2/2024", "2024-02-01");
        riga("leap day", "29/02/24", "2024-02-29");
        riga("no such day", "30/02/24", "0");
        riga("mixed separators", "01/02-24", "0");
        riga("digits only", "20240201", "0");
        riga("empty", "", "0");
        riga("zero", "0", "0");
        riga("text", "domani", "0");
    }
    void date()
    {
        QFETCH(QString, testo);
        QFETCH(QString, iso);
        QCOMPARE(Cedi::dataCentrale(testo), iso);
    }

    void righeCorteEVuote()
    {
        // 150 characters: fields 1-22 from the text, 23 from 148-150, all later ones empty.
        QString riga = Righe::articolo(QStringLiteral("N"), QStringLiteral("123"), QStringLiteral("Corta")).left(147) +
                       QStringLiteral("XYZ");
        riga.replace(134, 13, QStringLiteral("0000000001500"));
        const Cedi::RigaA r = Cedi::leggiRigaA(riga);
        QCOMPARE(r.campo(5), QStringLiteral("Corta"));
        QCOMPARE(r.campo(22), QStringLiteral("0000000001500"));
        QCOMPARE(r.numero(22), 1500.0);
        QCOMPARE(r.campo(23), QStringLiteral("XYZ"));
        for (int n = 24; n <= 56; ++n)
            QVERIFY2(r.campo(n).isEmpty(), qPrintable(QString::number(n)));
        QCOMPARE(r.quantita, 0);
        QCOMPARE(r.costo, 0.0);
        QCOMPARE(r.prezzoPromo, 0.0);
        QCOMPARE(r.dataInizioPromo, QStringLiteral("0"));
        QCOMPARE(r.dataFinePromo, QStringLiteral("0"));
        QCOMPARE(r.repartoCassa, QString());

        const Cedi::RigaB vuota = Cedi::leggiRigaB(QString());
        for (const QString& c : vuota.campi)
            QVERIFY(c.isEmpty() && !c.isNull());
    }

    // The A import: "M" by code (or add), "N" always adds, the columns written, the others kept.
    void importaArticoli()
    {
        TestEnv env;
        QVERIFY(Db::exec(QStringLiteral("UPDATE Reparti SET Descrizione = 'Pasta' WHERE Cod = 3")));
        QVERIFY(Db::exec(QStringLiteral("UPDATE Reparti SET Descrizione = 'Surgelati' WHERE Cod = 12")));
        articolo(10, QStringLiteral("123"), QStringLiteral("8001"), QStringLiteral("Rosso"));
        articolo(1, QStringLiteral("321"));
        articolo(2, QStringLiteral("321"));
        QVERIFY(Db::exec(QStringLiteral("UPDATE Magazzino SET Genere = 'Vecchio' WHERE CodArtCEDI = '321'")));
        const QString file = scrivi(
            env, QStringLiteral("A1.txt"),
            {Righe::articolo(QStringLiteral("M"), QStringLiteral("123"), QStringLiteral("Spaghetti n.5"), 7),
             Righe::articolo(QStringLiteral("N"), QStringLiteral("123"), QStringLiteral("Doppione"), 1, 500,
                             QStringLiteral("012"), QStringLiteral("N")),
             Righe::articolo(QStringLiteral("M"), QStringLiteral("456"), QStringLiteral("Nuovo da M"), 2, 0, QString()),
             Righe::articolo(QStringLiteral("m"), QStringLiteral("123"), QStringLiteral("minuscola")), QString(),
             Righe::articolo(QStringLiteral("N"), QStringLiteral("789"), QStringLiteral("Reparto ignoto"), 3, 1000,
                             QStringLiteral("77")),
             Righe::articolo(QStringLiteral("M"), QStringLiteral("321"), QStringLiteral("Due articoli"), 4, 1000,
                             QStringLiteral("X"))});
        RecordingProgress p;
        Cedi::Importatore imp;
        QVERIFY(imp.DatiPLUSigma(file, p).ok);
        QCOMPARE(p.statuses.value(0), QStringLiteral("Importazione dati PLU in corso..."));
        QCOMPARE(imp.righeFileA().size(), 6); // the blank line is no record

        const Articolo m = leggi(10);
        QCOMPARE(m.descrizione, QStringLiteral("Spaghetti n.5"));
        QCOMPARE(*m.quantita, 7.0); // replaced, not added
        QCOMPARE(*m.costo, 12.5);
        QCOMPARE(m.genere, QStringLiteral("Pasta"));
        QCOMPARE(m.fornitore, QStringLiteral("SIGMA"));
        QCOMPARE(m.unitaMisura, QStringLiteral("PZ"));
        QCOMPARE(m.tipoVariazione, QStringLiteral("M"));
        QCOMPARE(m.dataInizioPromo, QStringLiteral("2024-02-01"));
        QCOMPARE(m.dataFinePromo, QStringLiteral("2024-02-29"));
        QCOMPARE(*m.prezzoPromo, 0.0);
        QCOMPARE(*m.minimo, 0.0);
        QVERIFY(m.modificato);
        QCOMPARE(m.barCode, QStringLiteral("8001")); // columns the file does not carry are kept
        QCOMPARE(m.colore, QStringLiteral("Rosso"));

        // Added rows take the next codes in file order; the lower-case and the empty line change nothing.
        QCOMPARE(val(QStringLiteral("SELECT COUNT(*) FROM Magazzino")).toInt(), 6);
        const Articolo n = leggi(11);
        QCOMPARE(n.descrizione, QStringLiteral("Doppione"));
        QCOMPARE(n.codArtCEDI, QStringLiteral("123"));
        QCOMPARE(n.genere, QStringLiteral("Surgelati"));
        QCOMPARE(n.fornitore, QStringLiteral("***"));
        QCOMPARE(n.barCode, QString());
        QCOMPARE(leggi(12).descrizione, QStringLiteral("Nuovo da M"));
        QCOMPARE(leggi(12).genere, QStringLiteral("1"));
        QCOMPARE(*leggi(12).costo, 0.0);
        QCOMPARE(leggi(13).genere, QStringLiteral("77"));
        QCOMPARE(val(QStringLiteral("SELECT COUNT(*) FROM Magazzino WHERE Descrizione = 'minuscola'")).toInt(), 0);
        // Every article of an "M" code takes the line; a department code that is no number keeps theirs.
        for (qint64 cod : {1, 2}) {
            QCOMPARE(leggi(cod).descrizione, QStringLiteral("Due articoli"));
            QCOMPARE(leggi(cod).genere, QStringLiteral("Vecchio"));
        }
    }

    void importaArticoliSuArchivioVuoto()
    {
        TestEnv env;
        const QString file =
            scrivi(env, QStringLiteral("A.txt"),
                   {Righe::articolo(QStringLiteral("N"), QStringLiteral("1"), QStringLiteral("Uno")),
                    Righe::articolo(QStringLiteral("M"), QStringLiteral("2"), QStringLiteral("Due")),
                    Righe::articolo(QStringLiteral("M"), QStringLiteral("2"), QStringLiteral("Due bis"), 9)});
        NoProgress p;
        Cedi::Importatore imp;
        QVERIFY(imp.DatiPLUSigma(file, p).ok);
        QCOMPARE(leggi(1).descrizione, QStringLiteral("Uno"));
        QCOMPARE(leggi(2).descrizione, QStringLiteral("Due bis")); // the last "M" wins
        QCOMPARE(*leggi(2).quantita, 9.0);
        QCOMPARE(val(QStringLiteral("SELECT COUNT(*) FROM Magazzino")).toInt(), 2);

        // A file with no lines changes nothing; a missing file is an error, not "nothing there".
        QVERIFY(imp.DatiPLUSigma(scrivi(env, QStringLiteral("A0.txt"), {}), p).ok);
        QCOMPARE(imp.righeFileA().size(), 0);
        QVERIFY(!imp.DatiPLUSigma(env.path(QStringLiteral("manca.txt")), p).ok);
    }

    void windows1252()
    {
        TestEnv env;
        QByteArray bytes = TextFile::encode(
            Righe::articolo(QStringLiteral("N"), QStringLiteral("5"), QStringLiteral("Caffè più forte €")));
        QVERIFY(bytes.contains('\xe8') && bytes.contains('\x80'));
        writeRaw(env.path(QStringLiteral("A.txt")), bytes + "\r\n");
        NoProgress p;
        Cedi::Importatore imp;
        QVERIFY(imp.DatiPLUSigma(env.path(QStringLiteral("A.txt")), p).ok);
        QCOMPARE(leggi(1).descrizione, QStringLiteral("Caffè più forte €"));
    }

    // B_CEDI by (ArtCEDI, CodEan), last line winning; the EAN onto the article; an empty code.
    void importaVariazioni()
    {
        TestEnv env;
        articolo(1, QStringLiteral("123"));
        articolo(2, QStringLiteral("123"));
        QVERIFY(Db::exec(QStringLiteral("UPDATE Magazzino SET Modificato = 0")));
        const QString file =
            scrivi(env, QStringLiteral("B1.txt"),
                   {Righe::variazione(QStringLiteral("123"), QStringLiteral("8000000000017")),
                    Righe::variazione(QStringLiteral("123"), QStringLiteral("8000000000017"), QStringLiteral("X")),
                    Righe::variazione(QString(), QStringLiteral("8000000000024")),
                    Righe::variazione(QStringLiteral("999"), QStringLiteral("8000000000031"))});
        RecordingProgress p;
        Cedi::Importatore imp;
        QVERIFY(imp.DatiPLUVar(file, p).ok);
        QCOMPARE(p.statuses.value(p.statuses.size() - 1), QStringLiteral("Importazione Dati PLU - Terminata"));
        QCOMPARE(val(QStringLiteral("SELECT COUNT(*) FROM B_CEDI")).toInt(), 3);
        QCOMPARE(val(QStringLiteral("SELECT TipoVariazione FROM B_CEDI WHERE ArtCEDI = '123'")).toString(),
                 QStringLiteral("X"));
        QCOMPARE(val(QStringLiteral("SELECT RepartoCassa FROM B_CEDI WHERE ArtCEDI = '123'")).toString(),
                 QStringLiteral("003"));
        QCOMPARE(val(QStringLiteral("SELECT DataVariazione FROM B_CEDI WHERE ArtCEDI = ''")).toString(),
                 QStringLiteral("20240201"));
        // Only the first article of the code takes the EAN; an unknown code touches nothing.
        QCOMPARE(leggi(1).barCode, QStringLiteral("8000000000017"));
        QVERIFY(leggi(1).modificato);
        QCOMPARE(leggi(2).barCode, QString());
        QVERIFY(!leggi(2).modificato);
        QCOMPARE(val(QStringLiteral("SELECT COUNT(*) FROM Magazzino")).toInt(), 2);
    }

    // Code 123 with e1 then e2: the article ends with e2 and a new one, from the last A file's
    // lines for 123, carries e1. Delivered again, nothing moves.
    void articoliEANMultipli()
    {
        TestEnv env;
        QVERIFY(Db::exec(QStringLiteral("UPDATE Reparti SET Descrizione = 'Pasta' WHERE Cod = 3")));
        NoProgress p;
        Cedi::Importatore imp;
        QVERIFY(imp.DatiPLUSigma(
                       scrivi(env, QStringLiteral("A1.txt"),
                              {Righe::articolo(QStringLiteral("M"), QStringLiteral("123"), QStringLiteral("Penne")),
                               Righe::articolo(QStringLiteral("M"), QStringLiteral("555"), QStringLiteral("Sale")),
                               Righe::articolo(QStringLiteral("M"), QStringLiteral("777"), QStringLiteral("Olio")),
                               Righe::articolo(QStringLiteral("N"), QStringLiteral("777"), QStringLiteral("Olio 2"))}),
                       p)
                    .ok);
        QCOMPARE(val(QStringLiteral("SELECT COUNT(*) FROM Magazzino")).toInt(), 4);
        const QString b = scrivi(env, QStringLiteral("B1.txt"),
                                 {Righe::variazione(QStringLiteral("123"), QStringLiteral("e1")),
                                  Righe::variazione(QStringLiteral("123"), QStringLiteral("e2")),
                                  Righe::variazione(QStringLiteral("555"), QStringLiteral("s1")),
                                  Righe::variazione(QStringLiteral("777"), QStringLiteral("o1")),
                                  Righe::variazione(QStringLiteral("777"), QStringLiteral("o2")),
                                  Righe::variazione(QString(), QStringLiteral("x1")),
                                  Righe::variazione(QString(), QStringLiteral("x2"))});
        QVERIFY(imp.DatiPLUVar(b, p).ok);
        QCOMPARE(leggi(1).barCode, QStringLiteral("e2"));
        QCOMPARE(leggi(2).barCode, QStringLiteral("s1"));
        QCOMPARE(leggi(3).barCode, QStringLiteral("o2"));
        QCOMPARE(leggi(4).barCode, QString());
        // 123/e1: one new article from the one A line of 123; 777/o1: two, one per A line of 777.
        // The two EANs of the empty code make none.
        QCOMPARE(val(QStringLiteral("SELECT COUNT(*) FROM Magazzino")).toInt(), 7);
        const Articolo e1 = leggi(5);
        QCOMPARE(e1.barCode, QStringLiteral("e1"));
        QCOMPARE(e1.descrizione, QStringLiteral("Penne"));
        QCOMPARE(e1.codArtCEDI, QStringLiteral("123"));
        QCOMPARE(e1.genere, QStringLiteral("Pasta"));
        QCOMPARE(*e1.costo, 12.5);
        QCOMPARE(*e1.minimo, 0.0);
        QVERIFY(e1.modificato);
        QCOMPARE(leggi(6).descrizione, QStringLiteral("Olio"));
        QCOMPARE(leggi(7).descrizione, QStringLiteral("Olio 2"));
        QCOMPARE(leggi(6).barCode, QStringLiteral("o1"));
        QCOMPARE(leggi(7).barCode, QStringLiteral("o1"));

        // The same B file again: every EAN is already on an article of its code.
        const QStringList prima = istantanea();
        QVERIFY(imp.DatiPLUVar(b, p).ok);
        QCOMPARE(istantanea(), prima);
    }

    void senzaFileANessunArticoloInPiu()
    {
        TestEnv env;
        NoProgress p;
        Cedi::Importatore imp;
        QVERIFY(imp.DatiPLUVar(scrivi(env, QStringLiteral("B.txt"),
                                      {Righe::variazione(QStringLiteral("1"), QStringLiteral("a")),
                                       Righe::variazione(QStringLiteral("1"), QStringLiteral("b"))}),
                               p)
                    .ok);
        QCOMPARE(val(QStringLiteral("SELECT COUNT(*) FROM Magazzino")).toInt(), 0);
        QCOMPARE(val(QStringLiteral("SELECT COUNT(*) FROM B_CEDI")).toInt(), 2);
    }

    // A row that fails in the middle of a file: nothing of the file stays.
    void fallimentoAMetaFile()
    {
        TestEnv env;
        articolo(1, QStringLiteral("1"));
        QVERIFY(Db::exec(QStringLiteral("CREATE TRIGGER boom BEFORE INSERT ON Magazzino WHEN NEW.Descrizione = 'BOOM' "
                                        "BEGIN SELECT RAISE(ABORT, 'boom'); END")));
        QVERIFY(Db::exec(QStringLiteral("CREATE TRIGGER boomB BEFORE INSERT ON B_CEDI WHEN NEW.CodEan = 'BOOM' "
                                        "BEGIN SELECT RAISE(ABORT, 'boom'); END")));
        const QStringList prima = istantanea();
        NoProgress p;
        Cedi::Importatore imp;
        const Esito a = imp.DatiPLUSigma(
            scrivi(env, QStringLiteral("A.txt"),
                   {Righe::articolo(QStringLiteral("M"), QStringLiteral("1"), QStringLiteral("Cambiato")),
                    Righe::articolo(QStringLiteral("N"), QStringLiteral("2"), QStringLiteral("Nuovo")),
                    Righe::articolo(QStringLiteral("N"), QStringLiteral("3"), QStringLiteral("BOOM"))}),
            p);
        QVERIFY(!a.ok);
        QVERIFY(a.descrizione.contains(QStringLiteral("boom")));
        QCOMPARE(istantanea(), prima);
        QCOMPARE(imp.righeFileA().size(), 0); // the rows of a file not applied are not kept
        const Esito b = imp.DatiPLUVar(scrivi(env, QStringLiteral("B.txt"),
                                              {Righe::variazione(QStringLiteral("1"), QStringLiteral("8001")),
                                               Righe::variazione(QStringLiteral("1"), QStringLiteral("BOOM"))}),
                                       p);
        QVERIFY(!b.ok);
        QCOMPARE(istantanea(), prima);
        QCOMPARE(Db::transactionDepth(), 0);
    }

    // A blank code names no product: an "M" line with one adds an article instead of
    // overwriting every article without a code (an "M" line now reaches all articles of its code).
    void modificaSenzaCodice()
    {
        TestEnv env;
        articolo(1, QString());
        articolo(2, QString());
        QVERIFY(Db::exec(QStringLiteral("UPDATE Magazzino SET CodArtCEDI = ''")));
        NoProgress p;
        Cedi::Importatore imp;
        QVERIFY(
            imp.DatiPLUSigma(scrivi(env, QStringLiteral("A.txt"),
                                    {Righe::articolo(QStringLiteral("M"), QString(), QStringLiteral("Senza codice"))}),
                             p)
                .ok);
        QCOMPARE(leggi(1).descrizione, QStringLiteral("Vecchio 1"));
        QCOMPARE(leggi(2).descrizione, QStringLiteral("Vecchio 2"));
        QCOMPARE(leggi(3).descrizione, QStringLiteral("Senza codice"));
    }

    // The file reader names the real reason: not there, or there but not readable. A cut last
    // line is a record with the fields it reaches; a file with no line of its kind changes nothing.
    void fileNonLeggibileOTagliato()
    {
        TestEnv env;
        QByteArray b;
        Esito e;
        QVERIFY(!Cedi::leggiFile(env.path(QStringLiteral("manca.txt")), b, e));
        QCOMPARE(e.numero, int(VbErr::FileNotFound));
        QVERIFY(QDir(env.home()).mkpath(QStringLiteral("cartella.txt")));
        QVERIFY(!Cedi::leggiFile(env.path(QStringLiteral("cartella.txt")), b, e));
        QCOMPARE(e.numero, int(VbErr::PermissionDenied));
        QVERIFY(!e.descrizione.contains(QStringLiteral("Impossibile trovare")));

        NoProgress p;
        Cedi::Importatore imp;
        writeRaw(env.path(QStringLiteral("A.txt")),
                 TextFile::encode(Righe::articolo(QStringLiteral("N"), QStringLiteral("1"), QStringLiteral("Uno"))) +
                     "\r\nN tagliat");
        QVERIFY(imp.DatiPLUSigma(env.path(QStringLiteral("A.txt")), p).ok);
        QCOMPARE(val(QStringLiteral("SELECT COUNT(*) FROM Magazzino")).toInt(), 2);
        QCOMPARE(imp.righeFileA().value(1).campo(2), QStringLiteral("tagliat"));
        const QStringList prima = istantanea();
        writeRaw(env.path(QStringLiteral("B.txt")), "nota\r\n");
        QVERIFY(!imp.DatiPLUVar(env.path(QStringLiteral("B.txt")), p).ok);
        QCOMPARE(istantanea(), prima);
    }

    // What the whole-file look refuses and what it reads: only what can never be applied is refused.
    void esameDelFile_data()
    {
        QTest::addColumn<QByteArray>("contenuto");
        QTest::addColumn<bool>("articoli");
        QTest::addColumn<int>("righe"); // -1: refused
        const QByteArray a =
            TextFile::encode(Righe::articolo(QStringLiteral("M"), QStringLiteral("1"), QStringLiteral("X")));
        const QByteArray b = TextFile::encode(Righe::variazione(QStringLiteral("1"), QStringLiteral("8001")));
        QTest::newRow("vuoto") << QByteArray() << true << 0;
        QTest::newRow("solo righe vuote") << QByteArray("\r\n  \r\n") << false << 0;
        QTest::newRow("A corta e lunga") << a.left(150) + "\r\n" + a + QByteArray(5000, 'Z') << true << 2;
        QTest::newRow("A senza fine riga") << a.trimmed() << true << 1;
        QTest::newRow("A con righe d'altro tipo") << a + "\r\nnota\r\n" << true << 2;
        QTest::newRow("A di sole note") << QByteArray("nota\r\nm minuscola\r\n") << true << -1;
        QTest::newRow("B corta") << b.left(61) + "\n" << false << 1;
        QTest::newRow("B senza EAN ne codice") << QByteArray("M20240201\r\n") << false << -1;
        QTest::newRow("carattere di controllo") << a + "\x07\r\n" << true << -1;
        QTest::newRow("Ctrl-Z finale") << a + "\r\n\x1A" << true << 1;
    }
    void esameDelFile()
    {
        QFETCH(QByteArray, contenuto);
        QFETCH(bool, articoli);
        QFETCH(int, righe);
        const Cedi::EsameFile e =
            Cedi::esaminaFile(contenuto, articoli ? Cedi::TipoFile::Articoli : Cedi::TipoFile::Variazioni);
        if (righe < 0) {
            QCOMPARE(e.stato, Cedi::EsameFile::Stato::Scartato);
            QVERIFY(!e.motivo.isEmpty());
        } else {
            QCOMPARE(e.stato, Cedi::EsameFile::Stato::Pronto);
            QCOMPARE(e.righe.size(), righe);
        }
    }

    // The article store's prepared statements for bulk work.
    void articoliPreparati()
    {
        TestEnv env;
        articolo(5, QStringLiteral("C1"), QStringLiteral("800"), QStringLiteral("Blu"));
        articolo(3, QStringLiteral("C1"));
        Articoli::Lotto p({QStringLiteral("Descrizione"), QStringLiteral("\"Quantità\"")});
        QCOMPARE(*p.codicePerCodiceCEDI(QStringLiteral("C1")).valore, qint64(3)); // the first by code
        QCOMPARE(p.perCodiceCEDI(QStringLiteral("C1")).valore->codMateriale, qint64(3));
        QVERIFY(p.codicePerCodiceCEDI(QStringLiteral("C2")).ok);
        QVERIFY(!p.codicePerCodiceCEDI(QStringLiteral("C2")).valore);
        QVERIFY(*p.esisteCodiceCEDIConBarCode(QStringLiteral("C1"), QStringLiteral("800")).valore);
        QVERIFY(!*p.esisteCodiceCEDIConBarCode(QStringLiteral("C1"), QStringLiteral("801")).valore);

        // Only the chosen columns are written.
        Articolo a = leggi(5);
        a.descrizione = QStringLiteral("Nuova");
        a.quantita = 1;
        a.colore = QStringLiteral("Verde");
        QVERIFY(p.aggiorna(a).ok);
        QCOMPARE(leggi(5).descrizione, QStringLiteral("Nuova"));
        QCOMPARE(*leggi(5).quantita, 1.0);
        QCOMPARE(leggi(5).colore, QStringLiteral("Blu"));
        a.codMateriale = 99;
        QVERIFY(!p.aggiorna(a).ok);

        Articolo n;
        n.descrizione = QStringLiteral("Aggiunto");
        QVERIFY(p.inserisci(n).ok);
        QCOMPARE(n.codMateriale, qint64(6));
        QVERIFY(p.impostaBarCode(6, QStringLiteral("8009")).ok);
        QCOMPARE(leggi(6).barCode, QStringLiteral("8009"));
        QVERIFY(leggi(6).modificato);
        QVERIFY(!p.impostaBarCode(77, QStringLiteral("1")).ok);
    }

    // A database of the first schema version gains B_CEDI and the code index, rows kept.
    void aggiornamentoSchema()
    {
        TestEnv env(false);
        QDir(env.home()).mkpath(QStringLiteral("Dati"));
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("v1"));
            db.setDatabaseName(Paths::databasePath());
            QVERIFY(db.open());
            QSqlQuery q(db);
            for (const QString& sql : Schema::steps().at(0))
                QVERIFY2(q.exec(sql), qPrintable(sql));
            QVERIFY(q.exec(QStringLiteral("INSERT INTO Magazzino (CodMateriale, Descrizione, CodArtCEDI) "
                                          "VALUES (7, 'Resto', '123')")));
            QVERIFY(q.exec(QStringLiteral("PRAGMA user_version = 1")));
            q.finish();
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("v1"));
        QVERIFY(Db::ApriDatabase(Paths::databasePath()).ok);
        QCOMPARE(val(QStringLiteral("PRAGMA user_version")).toInt(), Schema::currentVersion());
        QCOMPARE(val(QStringLiteral("SELECT Descrizione FROM Magazzino WHERE CodMateriale = 7")).toString(),
                 QStringLiteral("Resto"));
        QCOMPARE(val(QStringLiteral("SELECT COUNT(*) FROM Reparti")).toInt(), 40);
        QCOMPARE(val(QStringLiteral("SELECT COUNT(*) FROM B_CEDI")).toInt(), 0);
        QCOMPARE(val(QStringLiteral("SELECT COUNT(*) FROM FileINApplicati")).toInt(), 0);
        QSqlQuery q = Db::query(QStringLiteral("EXPLAIN QUERY PLAN SELECT * FROM Magazzino WHERE CodArtCEDI = ?"),
                                {QStringLiteral("123")});
        QString detail;
        while (q.next())
            detail += q.value(3).toString();
        QVERIFY2(detail.contains(QStringLiteral("idxMagazzinoCodArtCEDI")), qPrintable(detail));
    }
};

QTEST_MAIN(TestCedi)
#include "tst_cedi.moc"
