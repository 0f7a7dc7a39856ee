// The spreadsheet exports read back with openpyxl: sheets, header rows, cell values and types,
// the totals sheet, the "Qta <= 0" filter and the period's edges; the file name, overwrite and
// failure paths, where the user's old workbook must survive; and the export through the
// article window's button and save dialog.
#include "archive/ArticleList.h"
#include "archive/ui/Magazzino.h"
#include "core/Database.h"
#include "core/VbConvert.h"
#include "labels/ExportExcel.h"
#include "labels/ExportWorkbook.h"
#include "labels/ReportSupport.h"
#include "support/LimiteFile.h"
#include "support/ScriptedInteraction.h"
#include "support/SenzaCapacita.h"
#include "support/TestEnv.h"

#include <QDateEdit>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTimer>

namespace {

// A sheet's rows as [type, value] pairs, for exact comparison.
QList<QList<QPair<QString, QVariant>>> foglio(const QJsonObject& wb, const QString& nome)
{
    QList<QList<QPair<QString, QVariant>>> out;
    for (const QJsonValue& r : wb.value(nome).toArray()) {
        QList<QPair<QString, QVariant>> riga;
        for (const QJsonValue& c : r.toArray())
            riga << qMakePair(c[QStringLiteral("t")].toString(), c[QStringLiteral("v")].toVariant());
        out << riga;
    }
    return out;
}

QStringList colonna(const QJsonObject& wb, const QString& nome, int col)
{
    QStringList out;
    const auto righe = foglio(wb, nome);
    for (int i = 1; i < righe.size(); ++i)
        out << righe[i][col].second.toString();
    return out;
}

void archivioDiProva()
{
    articolo(1, QStringLiteral("pane"), QStringLiteral("0800"), 4.0, 2.5, 1.25, QStringLiteral("1"));
    articolo(2, QStringLiteral("Acqua"), QStringLiteral("0801"), 0.0, 0.4, 0.2);
    articolo(3, QStringLiteral("Zucchero"), QStringLiteral("0802"), -2.0, 1.0, 0.75);
    articolo(4, QStringLiteral("Burro"), QStringLiteral("0803"), 10.0, 3.0, QVariant()); // no purchase price
}

// The test's interaction, passed through, that looks at the window when a notice shows: the
// export's "Operazione Effettuata" comes while the export still runs.
class Osservata final : public Interaction
{
public:
    explicit Osservata(ScriptedInteraction& s) : m_s(s) {}
    Button ask(const QString& t, Buttons b, Icon i, Button d, const QString& ti) override
    {
        return m_s.ask(t, b, i, d, ti);
    }
    std::optional<QString> askText(const QString& p, const QString& t, const QString& i) override
    {
        return m_s.askText(p, t, i);
    }
    QString chooseOpenFile(const QString& t, const QString& d, const QStringList& f) override
    {
        return m_s.chooseOpenFile(t, d, f);
    }
    QString chooseSaveFile(const QString& t, const QString& d, const QStringList& f) override
    {
        return m_s.chooseSaveFile(t, d, f);
    }
    QString chooseFolder(const QString& t, const QString& d) override { return m_s.chooseFolder(t, d); }
    std::optional<QColor> chooseColor(const QColor& c) override { return m_s.chooseColor(c); }
    bool askTechnician() override { return m_s.askTechnician(); }
    void notice(const QString& t) override
    {
        if (alNotice)
            alNotice();
        m_s.notice(t);
    }
    void noticeWithoutWaiting(const QString& t) override { m_s.noticeWithoutWaiting(t); }
    void showTextFile(const QString& p) override { m_s.showTextFile(p); }
    std::function<void()> alNotice;

private:
    ScriptedInteraction& m_s;
};

} // namespace

class TestExport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void stockWorkbook()
    {
        TestEnv env;
        archivioDiProva();
        ScriptedInteraction& ia = env.interazione();
        const QString path = env.path(QStringLiteral("magazzino.xlsx"));
        ia.paths << env.path(QStringLiteral("magazzino")); // the extension is added
        RecordingProgress p;
        QVERIFY(ExportExcel::EsportaMagazzinoExcel(ia, false, p));
        QCOMPARE(ia.notices, QStringList{QStringLiteral("Operazione Effettuata")});
        QCOMPARE(ia.filtersSeen, QList<QStringList>{{QStringLiteral("Microsoft Excel files (*.xlsx)")}});
        QVERIFY(ia.asked.contains(QStringLiteral("Salva il file del MAGAZZINO")));
        QVERIFY(!QFile::exists(ExportWorkbook::temporaneo(path)));

        const QJsonObject wb = readXlsx(path);
        QCOMPARE(wb.value(QStringLiteral("sheets")).toVariant().toStringList(),
                 (QStringList{QStringLiteral("Foglio1"), QStringLiteral("Foglio2")}));
        const auto f1 = foglio(wb, QStringLiteral("Foglio1"));
        QCOMPARE(f1.size(), 5);
        QStringList intestazioni;
        for (const auto& c : f1[0])
            intestazioni << c.second.toString();
        QCOMPARE(intestazioni, (QStringList{"BarCode", "CodProdottoFornitore", "Descrizione", "CostoAcquisto",
                                            "UnitaMisura", QStringLiteral("Quantità"), "PrezzoVendita",
                                            "ValoreMAGAZZINO", "ValoreVENDITA", "Fornitore", "Genere"}));
        // By description without regard to case.
        QCOMPARE(colonna(wb, QStringLiteral("Foglio1"), 2), (QStringList{"Acqua", "Burro", "pane", "Zucchero"}));
        using C = QPair<QString, QVariant>;
        const QList<C> pane = {C("s", "0800"), C("s", "F1"), C("s", "pane"), C("n", 1.25),    C("s", "Pz"), C("n", 4),
                               C("n", 2.5),    C("n", 5.0),  C("n", 10.0),   C("s", "Rossi"), C("s", "1")};
        QCOMPARE(f1[3], pane);
        // No purchase price: the cell and its product stay empty, the row is still there.
        QCOMPARE(f1[2][3].first, QString());
        QCOMPARE(f1[2][7].first, QString());
        QCOMPARE(f1[2][8], C("n", 30.0));

        const auto f2 = foglio(wb, QStringLiteral("Foglio2"));
        QCOMPARE(f2.size(), 2);
        QCOMPARE(f2[0],
                 (QList<C>{C("s", "ValoreTOTALEMAGAZZINO"), C("s", "ValoreTotCOMEVENDITA"), C("s", "DIFFERENZA")}));
        // 4*1.25 + 0*0.2 - 2*0.75 = 3.5; 4*2.5 + 0 - 2 + 30 = 38.
        QCOMPARE(f2[1], (QList<C>{C("n", 3.5), C("n", 38.0), C("n", 34.5)}));
    }

    // Row cells hold their exact products, shown with two decimals, and the totals are the exact
    // sums to the cent. Prices in thousandths make products that are not whole cents; a lot of a
    // billion pieces read first, and two hundred one-cent articles after it, make a running sum
    // of doubles drift by about five cents.
    void exactValuesAndTotals()
    {
        TestEnv env;
        const int n = 1000, centesimi = 200;
        QVERIFY(Db::exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                                        "INSERT INTO Magazzino (CodMateriale, Descrizione, BarCode, \"Quantità\", "
                                        "Costo, Costo2) SELECT i, 'Art ' || i, 'B' || i, i % 7 - 1, "
                                        "(1000 + 37 * i) / 1000.0, (500 + 13 * i) / 1000.0 FROM n")
                             .arg(n)));
        QVERIFY(Db::exec(QStringLiteral("INSERT INTO Magazzino (CodMateriale, Descrizione, BarCode, \"Quantità\", "
                                        "Costo, Costo2) VALUES (%1, 'AAA lotto', 'LOTTO', 1e9, 9000, 8000)")
                             .arg(n + 1)));
        QVERIFY(Db::exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                                        "INSERT INTO Magazzino (CodMateriale, Descrizione, BarCode, \"Quantità\", "
                                        "Costo, Costo2) SELECT %2 + i, 'Bottone ' || i, 'C' || i, 1, 0.01, 0.01 FROM n")
                             .arg(centesimi)
                             .arg(n + 1)));
        // The exact totals, in thousandths.
        qint64 vendita = 1000000000LL * 9000 * 1000 + centesimi * 10;
        qint64 magazzino = 1000000000LL * 8000 * 1000 + centesimi * 10;
        for (int i = 1; i <= n; ++i) {
            vendita += (i % 7 - 1) * (1000 + 37 * i);
            magazzino += (i % 7 - 1) * (500 + 13 * i);
        }
        const int articoli = n + 1 + centesimi;
        Magazzino& w = Forms::get<Magazzino>();
        w.showModeless();
        QVERIFY(QTest::qWaitFor([&] { return w.ListMagazzino->count() == ArticleList::kMaxRighe; }, 5000));
        const QString path = env.path(QStringLiteral("esatto.xlsx"));
        env.interazione().paths.enqueue(path);
        env.answer({QMessageBox::Yes});
        QTest::mouseClick(w.cmdStampaMagazzino, Qt::LeftButton);
        QVERIFY(env.interazione().notices.contains(QStringLiteral("Operazione Effettuata")));

        const QJsonObject wb = readXlsx(path);
        const QJsonArray f1 = wb.value(QStringLiteral("Foglio1")).toArray();
        QCOMPARE(f1.size(), articoli + 1);
        const auto v = [](const QJsonValue& c) { return c[QStringLiteral("v")].toDouble(); };
        const auto dueDecimali = [](const QJsonValue& c) { return c[QStringLiteral("f")].toString() == "#,##0.00"; };
        for (int r = 1; r <= articoli; ++r) {
            const QJsonArray c = f1[r].toArray();
            const double q = v(c[5]);
            const auto uguale = [](double a, double b) { return qAbs(a - b) <= 1e-12 * qMax(1.0, qAbs(b)); };
            QVERIFY2(uguale(v(c[7]), q * v(c[3])) && uguale(v(c[8]), q * v(c[6])),
                     qPrintable(QJsonDocument(c).toJson(QJsonDocument::Compact)));
            for (int k : {3, 6, 7, 8})
                QVERIFY2(dueDecimali(c[k]), qPrintable(QJsonDocument(c).toJson(QJsonDocument::Compact)));
        }
        const QJsonArray tot = wb.value(QStringLiteral("Foglio2")).toArray()[1].toArray();
        for (int k : {0, 1, 2})
            QVERIFY(dueDecimali(tot[k]));
        // To half a cent: what the cell shows is the total's own cents.
        const auto esatto = [&](int k, qint64 millesimi) { return qAbs(v(tot[k]) - millesimi / 1000.0) < 0.005; };
        QVERIFY2(esatto(0, magazzino),
                 qPrintable(QStringLiteral("%1 %2").arg(v(tot[0]), 0, 'f', 4).arg(magazzino / 1000.0, 0, 'f', 4)));
        QVERIFY2(esatto(1, vendita),
                 qPrintable(QStringLiteral("%1 %2").arg(v(tot[1]), 0, 'f', 4).arg(vendita / 1000.0, 0, 'f', 4)));
        QVERIFY(esatto(2, vendita - magazzino));
        w.unload();
    }

    // A hidden temporary file left by an export that was killed goes at the next export of that
    // name; a link of that name is removed, never followed.
    void staleTemporaryFile_data()
    {
        QTest::addColumn<QString>("genere");
        QTest::newRow("left by a killed export") << "file";
        QTest::newRow("a link to another file") << "link";
        QTest::newRow("a link to nowhere") << "vuoto";
    }
    void staleTemporaryFile()
    {
        QFETCH(QString, genere);
        TestEnv env;
        archivioDiProva();
        storico(QStringLiteral("2026-12-01 10:00:00"), QStringLiteral("0800"), 1);
        const QString path = env.path(QStringLiteral("venduto.xlsx"));
        const QString temp = ExportWorkbook::temporaneo(path);
        QCOMPARE(QFileInfo(temp).fileName(), QStringLiteral(".~venduto.xlsx.tmp"));
        const QString altro = env.path(QStringLiteral("altro.txt"));
        if (genere == QLatin1String("file"))
            writeRaw(temp, QByteArray("PK\x03\x04 mezzo file", 16));
        else {
            if (genere == QLatin1String("link"))
                writeRaw(altro, "da non toccare");
            QVERIFY(QFile::link(altro, temp));
        }
        ScriptedInteraction& ia = env.interazione();
        ia.paths << path;
        NoProgress p;
        QVERIFY(ExportExcel::EsportaVendutoExcel(ia, QDate(2026, 12, 1), QDate(2026, 12, 1), p));
        QVERIFY(!QFileInfo(temp).exists() && !QFileInfo(temp).isSymLink());
        QVERIFY(!QFileInfo(path).isSymLink());
        QCOMPARE(colonna(readXlsx(path), QStringLiteral("Foglio1"), 0), QStringList{QStringLiteral("pane")});
        if (genere == QLatin1String("link"))
            QCOMPARE(readAll(altro), QByteArray("da non toccare"));
        else
            QVERIFY(!QFile::exists(altro));
    }

    // A leftover link in a folder that refuses deletes cannot go: the export fails, and never
    // writes through the link.
    void leftoverThatCannotGoFailsTheExport()
    {
        TestEnv env;
        archivioDiProva();
        storico(QStringLiteral("2026-12-01 10:00:00"), QStringLiteral("0800"), 1);
        const QString cartella = env.path(QStringLiteral("condivisa"));
        QVERIFY(QDir().mkpath(cartella));
        const QString path = cartella + QStringLiteral("/venduto.xlsx");
        const QString altro = env.path(QStringLiteral("altro.txt"));
        writeRaw(altro, "da non toccare");
        QVERIFY(QFile::link(altro, ExportWorkbook::temporaneo(path)));
        QVERIFY(QFile::setPermissions(cartella, QFile::ReadOwner | QFile::ExeOwner));
        ScriptedInteraction& ia = env.interazione();
        ia.paths << path;
        NoProgress p;
        {
            SenzaCapacita senza({CAP_DAC_OVERRIDE});
            QVERIFY(!ExportExcel::EsportaVendutoExcel(ia, QDate(2026, 12, 1), QDate(2026, 12, 1), p));
        }
        QVERIFY(QFile::setPermissions(cartella, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QCOMPARE(ia.notices.constLast(), QStringLiteral("Esportazione NON Effettuata!!!"));
        QCOMPARE(readAll(altro), QByteArray("da non toccare"));
        QVERIFY(!QFileInfo::exists(path));
    }

    void soldWorkbookPeriodEdges()
    {
        TestEnv env;
        articolo(1, QStringLiteral("Vino"), QStringLiteral("8001"), 1.0, 5.0, 3.0);
        articolo(2, QStringLiteral("Acqua"), QStringLiteral("8002"), 1.0, 0.4, 0.2);
        storico(QStringLiteral("2026-11-30 23:59:59"), QStringLiteral("8001"), 1);   // day before
        storico(QStringLiteral("2026-12-01"), QStringLiteral("8001"), 2);            // first day, no time
        storico(QStringLiteral("2026-12-09 23:59:58"), QStringLiteral("8002"), 1.5); // last day
        storico(QStringLiteral("2026-12-10 00:00:00"), QStringLiteral("8002"), 9);   // day after
        storico(QStringLiteral("2026-12-05"), QStringLiteral("7777"), 4);            // no article
        ScriptedInteraction& ia = env.interazione();
        const QString path = env.path(QStringLiteral("venduto.xlsx"));
        ia.paths << path;
        NoProgress p;
        QVERIFY(ExportExcel::EsportaVendutoExcel(ia, QDate(2026, 12, 1), QDate(2026, 12, 9), p));
        QCOMPARE(ia.notices, QStringList{QStringLiteral("Operazione Effettuata")});
        QVERIFY(ia.asked.contains(QStringLiteral("Salva il file dei PLU Venduti")));
        const QJsonObject wb = readXlsx(path);
        QCOMPARE(wb.value(QStringLiteral("sheets")).toVariant().toStringList(), QStringList{QStringLiteral("Foglio1")});
        const QJsonArray righe = wb.value(QStringLiteral("Foglio1")).toArray();
        QCOMPARE(righe.size(), 3);
        QCOMPARE(colonna(wb, QStringLiteral("Foglio1"), 0), (QStringList{"Acqua", "Vino"}));
        const QJsonArray acqua = righe[1].toArray();
        QCOMPARE(acqua[1][QStringLiteral("v")].toString(), QStringLiteral("8002"));
        QCOMPARE(acqua[2][QStringLiteral("t")].toString(), QStringLiteral("n"));
        QCOMPARE(acqua[2][QStringLiteral("v")].toDouble(), 1.5);
        // The movement's day and time, as a date-time cell.
        QCOMPARE(acqua[3][QStringLiteral("t")].toString(), QStringLiteral("d"));
        QCOMPARE(acqua[3][QStringLiteral("v")].toString(), QStringLiteral("2026-12-09"));
        QCOMPARE(acqua[3][QStringLiteral("o")].toString(), QStringLiteral("23:59:58"));
        QCOMPARE(acqua[3][QStringLiteral("f")].toString(), QStringLiteral("dd/mm/yyyy hh:mm:ss"));
        QCOMPARE(righe[2].toArray()[3][QStringLiteral("v")].toString(), QStringLiteral("2026-12-01"));
        QCOMPARE(righe[2].toArray()[3][QStringLiteral("o")].toString(), QStringLiteral("00:00:00"));

        // A period without movements: the headings alone, and the export is done.
        ScriptedInteraction& ia2 = env.interazione().reset();
        ia2.paths << env.path(QStringLiteral("vuoto.xlsx"));
        QVERIFY(ExportExcel::EsportaVendutoExcel(ia2, QDate(2027, 1, 1), QDate(2027, 1, 2), p));
        QCOMPARE(ia2.notices, QStringList{QStringLiteral("Operazione Effettuata")});
        const QJsonArray vuoto =
            readXlsx(env.path(QStringLiteral("vuoto.xlsx"))).value(QStringLiteral("Foglio1")).toArray();
        QCOMPARE(vuoto.size(), 1);
        QCOMPARE(vuoto[0].toArray()[3][QStringLiteral("v")].toString(), QStringLiteral("DataModif"));
    }

    void fileNameAndOverwrite()
    {
        TestEnv env;
        archivioDiProva();
        NoProgress p;
        // No name: nothing written.
        {
            ScriptedInteraction& ia = env.interazione();
            QVERIFY(!ExportExcel::EsportaMagazzinoExcel(ia, false, p));
            QVERIFY(!ExportExcel::EsportaVendutoExcel(ia, QDate::currentDate(), QDate::currentDate(), p));
            QCOMPARE(ia.notices,
                     QStringList(2, QStringLiteral("Esportazione non effettuata! - Nome file non definito")));
        }
        const QString path = env.path(QStringLiteral("vecchio.xlsx"));
        writeRaw(path, "il vecchio lavoro");
        const QString domanda = QStringLiteral("ATTENZIONE nome file già esistente - Procedere con la sovrascrittura?");
        // No: the file stays as it was.
        {
            ScriptedInteraction& ia = env.interazione().reset();
            ia.paths << path;
            ia.answers << Interaction::No;
            QVERIFY(!ExportExcel::EsportaMagazzinoExcel(ia, false, p));
            QVERIFY(ia.asked.contains(domanda));
            QCOMPARE(ia.notices,
                     QStringList{QStringLiteral("Esportazione non effettuata - Cambiare nome e riprovare")});
            QCOMPARE(readAll(path), QByteArray("il vecchio lavoro"));
        }
        // Yes: replaced by the whole new workbook.
        {
            ScriptedInteraction& ia = env.interazione().reset();
            ia.paths << path;
            ia.answers << Interaction::Yes;
            QVERIFY(ExportExcel::EsportaMagazzinoExcel(ia, false, p));
            QCOMPARE(readXlsx(path).value(QStringLiteral("sheets")).toVariant().toStringList().size(), 2);
        }
    }

    void failedExportKeepsTheOldWorkbook()
    {
        TestEnv env;
        archivioDiProva();
        storico(Vb::isoDate(QDate::currentDate()), QStringLiteral("0800"), 1);
        NoProgress p;
        const QString path = env.path(QStringLiteral("esistente.xlsx"));
        writeRaw(path, "contenuto da non perdere");
        // The temporary file cannot be written: a folder holds its name.
        QVERIFY(QDir().mkpath(ExportWorkbook::temporaneo(path)));

        ScriptedInteraction& ia = env.interazione();
        ia.paths << path << path;
        ia.answers << Interaction::Yes << Interaction::Ok << Interaction::Yes;
        QVERIFY(!ExportExcel::EsportaMagazzinoExcel(ia, false, p));
        QCOMPARE(ia.asked.constLast(), QStringLiteral("Esportazione NON Effettuata!!!"));
        QCOMPARE(readAll(path), QByteArray("contenuto da non perdere"));

        QVERIFY(!ExportExcel::EsportaVendutoExcel(ia, QDate::currentDate(), QDate::currentDate(), p));
        QCOMPARE(ia.notices.constLast(), QStringLiteral("Esportazione NON Effettuata!!!"));
        QCOMPARE(readAll(path), QByteArray("contenuto da non perdere"));
        const QString log = QString::fromLatin1(readAll(env.path(QStringLiteral("Dati/ErrorLog.dat"))));
        QVERIFY(log.contains(QStringLiteral("EsportaMagazzinoExcel")));
        QVERIFY(log.contains(QStringLiteral("EsportaVendutoExcel")));
    }

    // A disk that fills up while the workbook is written: the export fails, the old workbook stays
    // as it was and no temporary file is left.
    void fullDiskKeepsTheOldWorkbook()
    {
        TestEnv env;
        archivioDiProva();
        storico(Vb::isoDate(QDate::currentDate()), QStringLiteral("0800"), 1);
        NoProgress p;
        const QString path = env.path(QStringLiteral("esistente.xlsx"));
        writeRaw(path, "contenuto da non perdere");
        ScriptedInteraction& ia = env.interazione();
        ia.paths << path;
        ia.answers << Interaction::Yes << Interaction::Ok;
        {
            LimiteFile limite(2000);
            QVERIFY(limite.ok());
            QVERIFY(!ExportExcel::EsportaVendutoExcel(ia, QDate::currentDate(), QDate::currentDate(), p));
        }
        QCOMPARE(ia.notices.constLast(), QStringLiteral("Esportazione NON Effettuata!!!"));
        QCOMPARE(readAll(path), QByteArray("contenuto da non perdere"));
        QVERIFY(!QFileInfo::exists(ExportWorkbook::temporaneo(path)));
    }

    void exportThroughTheArticleWindow()
    {
        TestEnv env;
        archivioDiProva();
        Magazzino& w = Forms::get<Magazzino>();
        w.showModeless();
        QVERIFY(QTest::qWaitFor([&] { return w.ListMagazzino->count() == 4; }, 5000));
        w.optCerca[4]->setChecked(true);

        // A name typed with the old extension gets the new one in its place.
        const QString path = env.path(QStringLiteral("dal-pulsante.xlsx"));
        env.interazione().paths.enqueue(env.path(QStringLiteral("dal-pulsante.xls")));
        env.answer({QMessageBox::Yes});
        QTest::mouseClick(w.cmdStampaMagazzino, Qt::LeftButton);
        QCOMPARE(env.interazione().prompts, QStringList{QStringLiteral("Salva il file del MAGAZZINO")});
        QCOMPARE(env.interazione().filtersSeen.value(0), QStringList{QStringLiteral("Microsoft Excel files (*.xlsx)")});
        QVERIFY(env.interazione().notices.contains(QStringLiteral("Operazione Effettuata")));
        // "Qta <= 0" keeps the rows at or below zero; the totals still cover the whole table.
        const QJsonObject wb = readXlsx(path);
        QCOMPARE(colonna(wb, QStringLiteral("Foglio1"), 2), (QStringList{"Acqua", "Zucchero"}));
        QCOMPARE(foglio(wb, QStringLiteral("Foglio2"))[1][1].second.toDouble(), 38.0);
        w.unload();
    }

    // Rows go to disk as they are left: a cell for a row already left fails the workbook, and the
    // old file stays, instead of a workbook that silently lacks the cell.
    void cellBehindTheCurrentRowFails()
    {
        TestEnv env;
        const QString path = env.path(QStringLiteral("ordine.xlsx"));
        writeRaw(path, "il vecchio lavoro");
        {
            ExportWorkbook wb(path);
            wb.foglio(QStringLiteral("Foglio1"));
            wb.testo(2, 0, QStringLiteral("dopo"));
            wb.numero(1, 0, 1.5);
            QVERIFY(!wb.chiudi());
        }
        QCOMPARE(readAll(path), QByteArray("il vecchio lavoro"));
        QCOMPARE(QFileInfo(path).dir().entryList({QStringLiteral(".~*")}, QDir::Files | QDir::Hidden), QStringList());
    }

    // The sheets' rows wait in a temporary file of the library's, whose writes it does not check:
    // on a full disk the workbook would be put together from a cut sheet and look complete.
    void cutSheetFailsTheWorkbook()
    {
        TestEnv env;
        const QString path = env.path(QStringLiteral("taglio.xlsx"));
        writeRaw(path, "il vecchio lavoro");
        {
            ExportWorkbook wb(path);
            wb.foglio(QStringLiteral("Foglio1"));
            LimiteFile limite(256 * 1024); // the rows' text is several times this, the packed file less
            QVERIFY(limite.ok());
            for (int r = 0; r < 20000; ++r) {
                wb.testo(r, 0, QStringLiteral("Articolo numero %1 della prova").arg(r));
                wb.numero(r, 1, r * 0.5, true);
            }
            QVERIFY(!wb.chiudi());
        }
        QCOMPARE(readAll(path), QByteArray("il vecchio lavoro"));
        QCOMPARE(QFileInfo(path).dir().entryList({QStringLiteral(".~*")}, QDir::Files | QDir::Hidden), QStringList());
    }

    // A read-only file is not replaced, not even by root, who could write it.
    void readOnlyFileIsKept()
    {
        TestEnv env;
        archivioDiProva();
        Magazzino& w = Forms::get<Magazzino>();
        w.showModeless();
        QVERIFY(QTest::qWaitFor([&] { return w.ListMagazzino->count() == 4; }, 5000));
        const QString path = env.path(QStringLiteral("sola-lettura.xlsx"));
        writeRaw(path, "il vecchio lavoro");
        const QFile::Permissions r = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
        QVERIFY(QFile::setPermissions(path, r));
        env.interazione().paths.enqueue(path);
        env.answer({QMessageBox::Yes, QMessageBox::Yes, QMessageBox::Ok});
        QTest::mouseClick(w.cmdStampaMagazzino, Qt::LeftButton);
        QCOMPARE(env.messages().mid(1), (QStringList{QStringLiteral("ATTENZIONE nome file già esistente - Procedere "
                                                                    "con la sovrascrittura?"),
                                                     QStringLiteral("Esportazione NON Effettuata!!!")}));
        QCOMPARE(readAll(path), QByteArray("il vecchio lavoro"));
        QCOMPARE(QFileInfo(path).permissions() & ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser), r);
        QVERIFY(!QFile::exists(ExportWorkbook::temporaneo(path)));
        w.unload();
    }

    // A long export shows its progress on the article window: the bar and the count, which is
    // whole when the export says it is done; afterwards they go.
    void progressOnTheArticleWindow_data()
    {
        QTest::addColumn<bool>("venduto");
        QTest::newRow("sold quantities") << true;
        QTest::newRow("archive") << false;
    }
    void progressOnTheArticleWindow()
    {
        QFETCH(bool, venduto);
        TestEnv env;
        const int n = 1234;
        QVERIFY(Db::exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                                        "INSERT INTO Magazzino (CodMateriale, Descrizione, BarCode, \"Quantità\", "
                                        "Costo, Costo2) SELECT i, 'Art ' || i, 'B' || i, 1, 2, 1 FROM n")
                             .arg(n)));
        QVERIFY(Db::exec(QStringLiteral("INSERT INTO StoricoPLU (DataModif, EAN, Qta) SELECT ? || ' 08:30:00', "
                                        "BarCode, 1 FROM Magazzino"),
                         {Vb::isoDate(QDate::currentDate())}));
        Magazzino& w = Forms::get<Magazzino>();
        w.showModeless();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(!w.pbEsporta->isVisible());
        Osservata ia(env.interazione());
        env.usaInterazione(ia);
        QString visto;
        ia.alNotice = [&] {
            visto = QStringLiteral("%1 %2 %3")
                        .arg(w.pbEsporta->isVisible())
                        .arg(w.pbEsporta->maximum() ? w.pbEsporta->value() : -1)
                        .arg(w.lblEsporta->text());
        };
        const QString path = env.path(QStringLiteral("lungo.xlsx"));
        env.interazione().paths.enqueue(path);
        env.answer({QMessageBox::Yes});
        if (venduto) {
            w.tbTAB->setCurrentIndex(1);
            QTest::mouseClick(w.cmdStampaVPLU, Qt::LeftButton);
        } else {
            QTest::mouseClick(w.cmdStampaMagazzino, Qt::LeftButton);
        }
        env.usaInterazione(env.interazione());
        QVERIFY(env.interazione().notices.contains(QStringLiteral("Operazione Effettuata")));
        // The archive is read once, its whole not known ahead: the count alone.
        QCOMPARE(visto, venduto ? QStringLiteral("1 1234 1.234 / 1.234") : QStringLiteral("1 -1 1.234"));
        QVERIFY(!w.pbEsporta->isVisible() && !w.lblEsporta->isVisible());
        QVERIFY(w.tmrImporta->isActive()); // the IN-folder poll goes on afterwards
        QCOMPARE(foglio(readXlsx(path), QStringLiteral("Foglio1")).size(), n + 1);
        w.unload();
    }
};

QTEST_MAIN(TestExport)
#include "tst_export.moc"
