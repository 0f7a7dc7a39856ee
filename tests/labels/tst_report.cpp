// The data reports: the working tables' fills, the three reports drawn to PDF and read back with
// pdftotext (captions, rows in order, totals, page headers and page numbers), and the article
// window's print buttons clicked as a user would, printing from the preview.
#include "archive/ArticleList.h"
#include "archive/ui/Magazzino.h"
#include "core/Database.h"
#include "core/VbConvert.h"
#include "labels/LabelFixture.h"
#include "labels/ReportSupport.h"
#include "labels/ReportTables.h"
#include "labels/Reports.h"
#include "support/TestEnv.h"

#include <QDateEdit>
#include <QLineEdit>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <QTimer>
#include <limits>
#include <tuple>

namespace {

// One article of the list as stored; an empty department is Null.
Articoli::ArticoloElencato rigaLista(qint64 cod, const QString& descr, const QString& reparto, const QVariant& qta,
                                     const QVariant& min, double przV, const QString& bc, double przA,
                                     const QString& codForn, const QString& forn = QStringLiteral("Rossi"))
{
    Articoli::ArticoloElencato a;
    a.codMateriale = cod;
    a.descrizione = descr;
    if (!reparto.isEmpty())
        a.genere = reparto;
    a.quantita = qta;
    a.minimo = min;
    a.unitaMisura = QStringLiteral("Pz");
    a.costo = przV;
    a.fornitore = forn;
    a.barCode = bc;
    a.costo2 = przA;
    a.codProdottoFornitore = codForn;
    return a;
}

QList<Articoli::ArticoloElencato> listaLunga(int n)
{
    QList<Articoli::ArticoloElencato> l;
    for (int i = 1; i <= n; ++i)
        l << rigaLista(i, QStringLiteral("Articolo %1").arg(i, 3, 10, QLatin1Char('0')),
                       i == 2 ? QString() : QStringLiteral("ALIMENTARI"), 1234.5, 0.0, 2.75,
                       QStringLiteral("80012%1").arg(i, 3, 10, QLatin1Char('0')), 1.10, QStringLiteral("F%1").arg(i));
    return l;
}

// Draws `r` into a PDF and returns its text; *pagine gets the page count.
QString stampa(const Report& r, const QString& pdf, int* pagine = nullptr)
{
    QPdfWriter w(pdf);
    w.setPageLayout(ReportRenderer::layout(r));
    QPainter p(&w);
    const int n = ReportRenderer::disegna(r, p, w);
    p.end();
    if (pagine)
        *pagine = n;
    return pdfText(pdf);
}

QList<QVariantList> tabella(const QString& sql, int colonne)
{
    QList<QVariantList> out;
    QSqlQuery q = Db::query(sql);
    while (q.next()) {
        QVariantList r;
        for (int c = 0; c < colonne; ++c)
            r << q.value(c);
        out << r;
    }
    return out;
}

// A promotions report row in the report's column order.
QStringList celle(const ReportTables::RigaReportOfferte& r)
{
    return {r.descrizione, r.dal, r.al, r.scontoValore, r.scontoPercentuale, r.prezzoScontato};
}

// The words printed on the line of `chiave`, left to right, each as "<column>:<text>", the column
// being the one of `r`'s detail columns (as laid out from the paper's left edge) it lies in.
QStringList rigaStampata(const QString& pdf, const Report& r, const QString& chiave)
{
    const QList<fixture::Parola> parole = fixture::parole(pdf);
    QList<fixture::Parola> riga;
    for (const fixture::Parola& p : parole)
        if (p.testo == chiave)
            for (const fixture::Parola& q : parole)
                if (q.pagina == p.pagina && std::abs(q.box.center().y() - p.box.center().y()) < 2)
                    riga << q;
    std::sort(riga.begin(), riga.end(),
              [](const fixture::Parola& a, const fixture::Parola& b) { return a.box.left() < b.box.left(); });
    QStringList out;
    for (const fixture::Parola& p : riga) {
        int colonna = -1;
        double x = r.margine / 20.0; // points
        for (int c = 0; c < r.colonne.size(); ++c) {
            const double x1 = x + r.colonne.at(c).larghezza / 20.0;
            if (p.box.left() >= x - 0.5 && p.box.right() <= x1 + 0.5)
                colonna = c;
            x = x1;
        }
        out << QStringLiteral("%1:%2").arg(colonna).arg(p.testo);
    }
    return out;
}

QString erroriRegistrati(const TestEnv& env)
{
    return QString::fromLatin1(readAll(env.path(QStringLiteral("Dati/ErrorLog.dat"))));
}

// Watches for the report preview; when it shows, prints it from there and closes it.
class Anteprima : public QObject
{
public:
    Anteprima()
    {
        m_t.setInterval(20);
        connect(&m_t, &QTimer::timeout, this, [this] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* d = qobject_cast<QPrintPreviewDialog*>(w); d && d->isVisible()) {
                    // Answered once its own event loop runs, not while it is still being shown.
                    m_t.stop();
                    visto << d->objectName();
                    QTimer::singleShot(100, d, [this, d] {
                        if (stampa)
                            d->findChild<QPrintPreviewWidget*>()->print();
                        d->accept();
                    });
                    return;
                }
        });
        m_t.start();
    }
    QStringList visto; // object names of the previews seen
    bool stampa = true;
    void riarma() { m_t.start(); }

private:
    QTimer m_t;
};

Magazzino& finestra(int righe)
{
    Magazzino& w = Forms::get<Magazzino>();
    w.showModeless();
    if (!QTest::qWaitFor([&] { return w.ListMagazzino->count() == righe; }, 5000))
        qWarning() << "list not loaded" << w.ListMagazzino->count();
    return w;
}

} // namespace

class TestReport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void stockTableTakesWhatTheListShows()
    {
        TestEnv env;
        const QList<Articoli::ArticoloElencato> lista = {
            rigaLista(7, "Pane", "FORNO", 3.0, 1.0, 1.20, "800123", 0.80, "P-1", "Bianchi"),
            rigaLista(8, "Sale", "", 0.0, 2.0, 0.50, "800456", 0.20, "S-1"),
        };
        QVERIFY(ReportTables::ValorizzaTabReportMagazzino(lista, false));
        const auto t = tabella(QStringLiteral("SELECT CodProdotto, Descrizione, Categoria, \"Quantità\", Giacenze, "
                                              "Colore, UnitaMisura, Costo, Costo2 FROM rptMagazzino ORDER BY rowid"),
                               9);
        QCOMPARE(t.size(), 2);
        QCOMPARE(t[0], (QVariantList{"P-1", "Pane", "FORNO", "3,00", QString(), "1,20", "800123", "0,80", "Bianchi"}));
        QCOMPARE(t[1][2].toString(), QStringLiteral("***"));

        // A second print replaces the rows.
        QVERIFY(ReportTables::ValorizzaTabReportMagazzino(lista.mid(1), false));
        QCOMPARE(valoreDb(QStringLiteral("SELECT COUNT(*) FROM rptMagazzino")).toInt(), 1);
    }

    void underMinimumFill()
    {
        TestEnv env;
        const QList<Articoli::ArticoloElencato> lista = {
            rigaLista(1, "Uguale", "R", 3.0, 3.0, 1.0, "1", 0.50, "A"),
            rigaLista(2, "Sopra", "R", 3.0, 2.0, 1.0, "2", 0.50, "B"),
            rigaLista(3, "Sotto", "R", -1.0, 0.0, 1.0, "3", 0.50, "C"),
        };
        QVERIFY(ReportTables::ValorizzaTabReportMagazzino(lista, true));
        const auto t = tabella(QStringLiteral("SELECT CodProdotto, Descrizione, \"Quantità\", Giacenze, Colore, "
                                              "UnitaMisura, Costo FROM rptMagazzino ORDER BY rowid"),
                               7);
        QCOMPARE(t.size(), 2);
        QCOMPARE(t[0], (QVariantList{"1", "Uguale", "3,00", "3,00", QString(), "Pz", "1,00"}));
        QCOMPARE(t[1][1].toString(), QStringLiteral("Sotto"));

        // A cell that is not a number fails the fill, which is logged; the previous rows stay.
        QList<Articoli::ArticoloElencato> guasta = lista;
        guasta[1].minimo = QVariant();
        QVERIFY(!ReportTables::ValorizzaTabReportMagazzino(guasta, true));
        QCOMPARE(valoreDb(QStringLiteral("SELECT COUNT(*) FROM rptMagazzino")).toInt(), 2);
        QVERIFY(erroriRegistrati(env).contains(QStringLiteral("ValorizzaTabReportMagazzino")));
    }

    void stockReportPages()
    {
        TestEnv env;
        const QList<Articoli::ArticoloElencato> lista = listaLunga(80);
        QVERIFY(ReportTables::ValorizzaTabReportMagazzino(lista, false));
        const auto righe = ReportTables::righeMagazzino();
        QVERIFY(righe.ok);
        const QDate oggi(2026, 12, 9);
        int pagine = 0;
        const QString testo = stampa(Reports::ReportMagazzino(*righe.valore, ReportTables::valoreGiacenze(lista), oggi),
                                     env.path(QStringLiteral("magazzino.pdf")), &pagine);
        QCOMPARE(pagine, 3);
        QVERIFY(testo.contains(QStringLiteral("Magazzino del Punto Vendita - Giacenze")));
        QVERIFY(testo.contains(QStringLiteral("Situazione alla data: mercoledì 9 dicembre 2026")));
        const QStringList fogli = testo.split(QLatin1Char('\f'), Qt::SkipEmptyParts);
        QCOMPARE(fogli.size(), 3);
        for (int p = 0; p < 3; ++p) {
            for (const char* c : {"Cod.", "For.", "Descrizione", "Genere", "Giacenze", "Prezzo di Vendita", "BarCode",
                                  "Costo", "Fornitore"})
                QVERIFY2(fogli[p].contains(QLatin1String(c)), c);
            QVERIFY(fogli[p].contains(QStringLiteral("Pag. %1 di 3").arg(p + 1)));
        }
        QVERIFY(!fogli[1].contains(QStringLiteral("Situazione alla data")));
        // Every row once, in list order, with the list's Italian number texts.
        qsizetype dove = -1;
        for (int i = 1; i <= 80; ++i) {
            const qsizetype k = testo.indexOf(QStringLiteral("Articolo %1").arg(i, 3, 10, QLatin1Char('0')));
            QVERIFY2(k > dove, qPrintable(QString::number(i)));
            dove = k;
        }
        QCOMPARE(testo.count(QStringLiteral("1.234,50")), 80);
        QVERIFY(testo.contains(QStringLiteral("***")));
        QVERIFY(fogli[2].contains(QStringLiteral("Totale Articoli: 80")));
        QVERIFY(fogli[2].contains(QStringLiteral("Valore Giacenze: 271.590,00")));
    }

    void soldQuantitiesPeriod()
    {
        TestEnv env;
        articolo(1, QStringLiteral("Acqua"), QStringLiteral("8001"), 0.0, 1.0, 0.5, QStringLiteral("1"));
        storico(QStringLiteral("2026-11-30"), QStringLiteral("8001"), 1);
        storico(QStringLiteral("2026-12-01"), QStringLiteral("8001"), 2.5);
        storico(QStringLiteral("2026-12-05"), QStringLiteral("9999"), 7); // no such article
        storico(QStringLiteral("2026-12-09"), QStringLiteral("8001"), 1234);
        storico(QStringLiteral("2026-12-10"), QStringLiteral("8001"), 8);
        const QDate dal(2026, 12, 1), al(2026, 12, 9);
        const auto righe = ReportTables::righeVenduto(dal, al);
        QVERIFY(righe.ok);
        QCOMPARE(*righe.valore, (ReportTables::Righe{{"2,5", "Acqua", "8001"}, {"1234", "Acqua", "8001"}}));

        const QString testo = stampa(Reports::rptPLU(*righe.valore, dal, al), env.path(QStringLiteral("plu.pdf")));
        QVERIFY(testo.contains(QStringLiteral("Dettaglio PLU venduti")));
        QVERIFY(testo.contains(QStringLiteral("Vendite effettuate in data: 01/12/2026 - 09/12/2026")));
        for (const char* c : {"Q.tà", "Descrizione", "EAN", "2,5", "Pag. 1 di 1"})
            QVERIFY2(testo.contains(QString::fromUtf8(c)), c);
        QVERIFY(testo.indexOf(QStringLiteral("2,5")) < testo.indexOf(QStringLiteral("1234")));

        // A period without movements: the headers and no rows.
        const auto vuoto = ReportTables::righeVenduto(QDate(2027, 1, 1), QDate(2027, 1, 31));
        QVERIFY(vuoto.ok && vuoto.valore->isEmpty());
        const QString t2 =
            stampa(Reports::rptPLU({}, QDate(2027, 1, 1), QDate(2027, 1, 31)), env.path(QStringLiteral("vuoto.pdf")));
        QVERIFY(t2.contains(QStringLiteral("Descrizione")));
        QVERIFY(!t2.contains(QStringLiteral("Acqua")));
    }

    void promotionsReport()
    {
        TestEnv env;
        articolo(5, QStringLiteral("Pasta"), QStringLiteral("8005"), 1.0, 1.0, 0.5);
        articolo(6, QStringLiteral("Riso"), QStringLiteral("8006"), 1.0, 1.0, 0.5);
        const QList<Articoli::Offerta> offerte = {
            {5, QDate(2026, 12, 1), QDate(2026, 12, 31), 0.5, 0, 1234.5},
            {6, QDate(2026, 12, 2), QDate(2026, 12, 3), 0, 10, 0.9},
        };
        QVERIFY(ReportTables::ValorizzaTabellaDiStampa(offerte));
        const auto righe = ReportTables::righeOfferte();
        QVERIFY(righe.ok);
        QCOMPARE(celle(righe.valore->at(0)),
                 (QStringList{"Pasta", "01/12/2026", "31/12/2026", "0,50", "0", "1.234,50"}));
        QCOMPARE(righe.valore->at(1).prezzoScontato, QStringLiteral("0,90"));

        const QString testo =
            stampa(Reports::rptOfferte(*righe.valore, QDate(2026, 12, 9)), env.path(QStringLiteral("offerte.pdf")));
        for (const char* c : {"Elenco Offerte in Archivio", "Data di Stampa mercoledì 9 dicembre 2026", "DAL", "AL",
                              "Sconto Valore", "Sconto Percentuale", "Prezzo di Vendita Scontato", "1.234,50", "0,90"})
            QVERIFY2(testo.contains(QString::fromUtf8(c)), c);
        QVERIFY(testo.indexOf(QStringLiteral("Pasta")) < testo.indexOf(QStringLiteral("Riso")));
        QVERIFY(!testo.contains(QStringLiteral("Pag.")));

        // A price that is not a number stops the fill; the table keeps the previous print.
        QVERIFY(!ReportTables::ValorizzaTabellaDiStampa(
            {{7, QDate(2026, 12, 1), QDate(2026, 12, 2), 0, 0, std::numeric_limits<double>::infinity()}}));
        QCOMPARE(valoreDb(QStringLiteral("SELECT COUNT(*) FROM rptProdotti")).toInt(), 2);
        QVERIFY(erroriRegistrati(env).contains(QStringLiteral("ValorizzaTabellaDiStampa")));
    }

    // Every column with the widest value its field holds: a number, code or date is printed whole
    // (never ".234.567,00" for "1.234.567,00"), a text that does not fit ends with "…".
    void widestValues_data()
    {
        QTest::addColumn<QString>("report");
        QTest::addColumn<QStringList>("riga");
        QTest::addColumn<QList<int>>("tagliate"); // the columns cut with "…"
        // Wide capitals, one letter per text column so each cut is told apart.
        const QString w50(50, QLatin1Char('W'));
        const QString m16(16, QLatin1Char('M'));
        const QString o50(50, QLatin1Char('O'));
        QTest::newRow("ReportMagazzino") << "ReportMagazzino"
                                         << QStringList{"CODICEFORNITORE12345", w50,          m16,
                                                        "-99.999.999,00",       "999.999,99", "80012345678901234567",
                                                        "-999.999,99",          o50}
                                         << QList<int>{1, 2, 7};
        QTest::newRow("ReportMagazzino, the quantity seen cut")
            << "ReportMagazzino" << QStringList{"F1", "Pane", "FORNO", "1.234.567,00", "1,20", "8001", "0,80", "Rossi"}
            << QList<int>{};
        QTest::newRow("rptPLU") << "rptPLU" << QStringList{"-99999999,999999", w50, "80012345678901234567"}
                                << QList<int>{1};
        QTest::newRow("rptOfferte") << "rptOfferte" << QStringList{w50,          "28/12/9998",       "31/12/9999",
                                                                   "999.999,98", "99,9999999999999", "999.999,99"}
                                    << QList<int>{0};
    }
    void widestValues()
    {
        QFETCH(QString, report);
        QFETCH(QStringList, riga);
        QFETCH(QList<int>, tagliate);
        TestEnv env;
        const QDate oggi(2026, 12, 9);
        const QList<QStringList> righe{riga, riga};
        const auto c = [&](int i) { return riga.value(i); };
        const ReportTables::RigaReportMagazzino m{c(0), c(1), c(2), c(3), c(4), c(5), c(6), c(7), {}};
        const ReportTables::RigaReportOfferte o{c(0), c(1), c(2), c(3), c(4), c(5)};
        const Report r = report == QLatin1String("rptPLU")       ? Reports::rptPLU(righe, oggi, oggi)
                         : report == QLatin1String("rptOfferte") ? Reports::rptOfferte({o, o}, oggi)
                                                                 : Reports::ReportMagazzino({m, m}, 1.0, oggi);
        const QString pdf = env.path(QStringLiteral("largo.pdf"));
        QVERIFY(!stampa(r, pdf).isEmpty());
        const QList<fixture::Parola> parole = fixture::parole(pdf);
        double x = r.margine / 20.0; // points from the paper's left edge
        for (int c = 0; c < riga.size(); ++c) {
            const double x0 = x, x1 = x + r.colonne.at(c).larghezza / 20.0;
            x = x1;
            const QString& v = riga.at(c);
            // Whole, or cut at a letter with "…" after the part shown; inside its own cell.
            const QString atteso = tagliate.contains(c) ? v.left(3) : v;
            int viste = 0;
            for (const fixture::Parola& p : parole) {
                const bool intera = p.testo == v;
                const bool tagliata = p.testo.startsWith(atteso) && p.testo.endsWith(QStringLiteral("…")) &&
                                      v.startsWith(p.testo.chopped(1));
                if (tagliate.contains(c) ? !tagliata : !intera)
                    continue;
                ++viste;
                QVERIFY2(p.box.left() >= x0 - 0.5 && p.box.right() <= x1 + 0.5,
                         qPrintable(QStringLiteral("%1 fuori dalla colonna %2: %3-%4 in %5-%6")
                                        .arg(p.testo)
                                        .arg(c)
                                        .arg(p.box.left())
                                        .arg(p.box.right())
                                        .arg(x0)
                                        .arg(x1)));
            }
            QVERIFY2(viste == 2, qPrintable(QStringLiteral("%1: %2 volte").arg(v).arg(viste)));
        }
    }

    void buttonsOfTheArticleWindow()
    {
        TestEnv env;
        ReportPrinters printers;
        articolo(1, QStringLiteral("Biscotti"), QStringLiteral("8001"), 4.0, 2.5, 1.25, QStringLiteral("1"));
        articolo(2, QStringLiteral("Acqua"), QStringLiteral("8002"), 2.0, 0.4, 0.2, QStringLiteral("1"));
        storico(Vb::isoDate(QDate::currentDate()), QStringLiteral("8002"), 6);
        Magazzino& w = finestra(2);

        // Stock: "No" to the spreadsheet, then the preview, printed from there.
        env.answer({QMessageBox::No});
        Anteprima anteprima;
        QTest::mouseClick(w.cmdStampaMagazzino, Qt::LeftButton);
        QCOMPARE(anteprima.visto, QStringList{QStringLiteral("ReportMagazzino")});
        QVERIFY(env.messages().contains(QStringLiteral("Si preferisce esportare in file Excel?")));
        QCOMPARE(printers.jobs().size(), 1);
        QString testo = pdfText(printers.dir.filePath(printers.jobs().constLast()));
        QVERIFY(testo.indexOf(QStringLiteral("Acqua")) >= 0);
        QVERIFY(testo.indexOf(QStringLiteral("Acqua")) < testo.indexOf(QStringLiteral("Biscotti")));
        QVERIFY(testo.contains(QStringLiteral("Totale Articoli: 2")));
        // The listed rows' stock value, as money.
        QCOMPARE(w.totValore->text(), QStringLiteral("10,800000"));
        QVERIFY2(QRegularExpression(QStringLiteral("Valore Giacenze:\\s*10,80\\s")).match(testo).hasMatch(),
                 qPrintable(testo));
        QCOMPARE(valoreDb(QStringLiteral("SELECT COUNT(*) FROM rptMagazzino")).toInt(), 2);

        // Sold quantities of today's period.
        env.answer({QMessageBox::No});
        anteprima.riarma();
        QTest::mouseClick(w.cmdStampaVPLU, Qt::LeftButton);
        QCOMPARE(anteprima.visto.constLast(), QStringLiteral("rptPLU"));
        QCOMPARE(printers.jobs().size(), 2);
        testo = pdfText(printers.dir.filePath(printers.jobs().constLast()));
        const QString oggi = Vb::formatDate(QDate::currentDate());
        QVERIFY(testo.contains(QStringLiteral("Vendite effettuate in data: %1 - %1").arg(oggi)));
        QVERIFY(testo.contains(QStringLiteral("Acqua")));
        QVERIFY(!testo.contains(QStringLiteral("Biscotti")));

        // Promotions: an empty list is only told; a full one is printed.
        env.clearMessages();
        QTest::mouseClick(w.cmdStampaElencoOfferte, Qt::LeftButton);
        QCOMPARE(env.messages(), QStringList{QStringLiteral("Nessun prodotto da stampare!!!")});
        RigaLista r(8);
        r.testo = QStringList{"1", "2", "Acqua", "01/12/2026", "31/12/2026", "0,10", "0", "0,30"};
        r.offerta = Articoli::Offerta{2, QDate(2026, 12, 1), QDate(2026, 12, 31), 0.10, 0, 0.3};
        w.lstOfferte->lista()->setRighe({r});
        anteprima.riarma();
        QTest::mouseClick(w.cmdStampaElencoOfferte, Qt::LeftButton);
        QCOMPARE(anteprima.visto.constLast(), QStringLiteral("rptOfferte"));
        testo = pdfText(printers.dir.filePath(printers.jobs().constLast()));
        QVERIFY(testo.contains(QStringLiteral("Elenco Offerte in Archivio")));
        QVERIFY(testo.contains(QStringLiteral("0,30")));
        w.unload();
    }

    // Each value printed under its own heading: the stored columns whose names say something else
    // (the sale price in Colore, the barcode in UnitaMisura, the supplier in Costo2, the days of a
    // promotion in Reparto and Costo) come back into their fields and print in the headings' order.
    void printedValuesUnderTheirHeadings()
    {
        TestEnv env;
        ReportPrinters printers;
        QVERIFY(Db::exec(QStringLiteral("INSERT INTO Reparti (Cod, Descrizione) VALUES (41, 'FORNO')")));
        articolo(1, QStringLiteral("Pasta"), QStringLiteral("8001"), 3.0, 1.2, 0.8, QStringLiteral("41"));
        QVERIFY(Db::exec(QStringLiteral("UPDATE Magazzino SET Fornitore = 'Bianchi' WHERE CodMateriale = 1")));
        const QDate dal = QDate::currentDate(), al = dal.addDays(9);
        QVERIFY(Db::exec(QStringLiteral("INSERT INTO Offerte (Articolo, DataDAL, DataAL, ScontoVal, ScontoPer, Pezzi, "
                                        "PrzScnt) VALUES (1, ?, ?, 0.3, 0, '1', 0.9)"),
                         {Vb::isoDate(dal), Vb::isoDate(al)}));
        Magazzino& w = finestra(1);

        env.answer({QMessageBox::No});
        Anteprima anteprima;
        QTest::mouseClick(w.cmdStampaMagazzino, Qt::LeftButton);
        QCOMPARE(anteprima.visto, QStringList{QStringLiteral("ReportMagazzino")});
        QCOMPARE(rigaStampata(printers.job(printers.jobs().constLast()), Reports::ReportMagazzino({}, {}, dal),
                              QStringLiteral("Pasta")),
                 (QStringList{"0:F1", "1:Pasta", "2:FORNO", "3:3,00", "4:1,20", "5:8001", "6:0,80", "7:Bianchi"}));

        w.cmdVediTutteLePromozioni->click();
        anteprima.riarma();
        QTest::mouseClick(w.cmdStampaElencoOfferte, Qt::LeftButton);
        QCOMPARE(anteprima.visto.constLast(), QStringLiteral("rptOfferte"));
        QCOMPARE(
            rigaStampata(printers.job(printers.jobs().constLast()), Reports::rptOfferte({}, dal),
                         QStringLiteral("Pasta")),
            (QStringList{"0:Pasta", "1:" + Vb::formatDate(dal), "2:" + Vb::formatDate(al), "3:0,30", "4:0", "5:0,90"}));
        w.unload();
    }

    // The stock report prints the rows the list shows, in list order, with the very texts of the
    // list's cells: department codes named, numbers stored as text, a Null supplier, a Null
    // quantity; a deleted article is neither listed nor printed.
    void stockReportPrintsTheListsTexts()
    {
        TestEnv env;
        ReportPrinters printers;
        QVERIFY(Db::exec(QStringLiteral("INSERT INTO Reparti (Cod, Descrizione) VALUES (41, 'FORNO')")));
        articolo(1, QStringLiteral("Pane"), QStringLiteral("8001"), 3.0, 1.2, 0.8, QStringLiteral("41"));
        articolo(2, QStringLiteral("Olio"), QStringLiteral("8002"), QVariant(), 5.5, QVariant(), QStringLiteral("OLI"));
        articolo(3, QStringLiteral("Sale"), QStringLiteral("8003"), QStringLiteral("2,5"), QStringLiteral("0,456"), 0.2,
                 QString());
        articolo(4, QStringLiteral("Aceto"), QStringLiteral("8004"), 1234567.891, 2.0, 1.0, QStringLiteral("99"));
        articolo(5, QStringLiteral("Burro"), QStringLiteral("8005"), 1.0, 1.0, 1.0);
        QVERIFY(Db::exec(QStringLiteral("UPDATE Magazzino SET Fornitore = NULL WHERE CodMateriale = 3")));
        QVERIFY(Db::exec(QStringLiteral("UPDATE Magazzino SET Eliminato = 1 WHERE CodMateriale = 5")));
        Magazzino& w = finestra(4);

        env.answer({QMessageBox::No});
        Anteprima anteprima;
        QTest::mouseClick(w.cmdStampaMagazzino, Qt::LeftButton);
        QCOMPARE(anteprima.visto, QStringList{QStringLiteral("ReportMagazzino")});
        const auto t = tabella(QStringLiteral("SELECT CodProdotto, Descrizione, Categoria, \"Quantità\", Colore, "
                                              "UnitaMisura, Costo, Costo2 FROM rptMagazzino ORDER BY rowid"),
                               8);
        QCOMPARE(t.size(), w.ListMagazzino->count());
        for (int r = 0; r < t.size(); ++r) {
            const auto cella = [&](int c) { return QVariant(w.ListMagazzino->testo(r, c)); };
            const QVariant reparto = cella(ArticleList::colReparto);
            QCOMPARE(t[r], (QVariantList{cella(ArticleList::colCodForn), cella(ArticleList::colDescrizione),
                                         reparto.toString().isEmpty() ? QVariant(QStringLiteral("***")) : reparto,
                                         cella(ArticleList::colQta), cella(ArticleList::colPrezzoV),
                                         cella(ArticleList::colBarCode), cella(ArticleList::colPrezzoA),
                                         cella(ArticleList::colFornitore)}));
        }
        // What those texts are, by description.
        QCOMPARE(t[0], (QVariantList{"F4", "Aceto", "99", "1.234.567,89", "2,00", "8004", "1,00", "Rossi"}));
        QCOMPARE(t[1], (QVariantList{"F2", "Olio", "OLI", "", "5,50", "8002", "", "Rossi"}));
        QCOMPARE(t[2][2].toString(), QStringLiteral("FORNO"));
        QCOMPARE(t[3], (QVariantList{"F3", "Sale", "***", "2,50", "0,46", "8003", "0,20", "***"}));
        w.unload();
    }

    // The under-minimum fill compares "Min" and "Q.tà" as the list shows them (two decimals); one
    // that is Null or not a number stops the fill with a conversion error in the log.
    void underMinimumComparesAsShown_data()
    {
        QTest::addColumn<QVariant>("minimo");
        QTest::addColumn<QVariant>("qta");
        QTest::addColumn<int>("scritte"); // rows written, -1: the fill fails
        QTest::newRow("equal") << QVariant(3.0) << QVariant(3.0) << 1;
        QTest::newRow("above") << QVariant(2.0) << QVariant(3.0) << 0;
        QTest::newRow("equal as shown") << QVariant(2.996) << QVariant(3.004) << 1;
        QTest::newRow("below as shown") << QVariant(2.994) << QVariant(2.996) << 0;
        QTest::newRow("text stored") << QVariant(QStringLiteral("3,00")) << QVariant(3.0) << 1;
        QTest::newRow("Null minimum") << QVariant() << QVariant(3.0) << -1;
        QTest::newRow("text minimum") << QVariant(QStringLiteral("tre")) << QVariant(3.0) << -1;
        QTest::newRow("Null quantity") << QVariant(3.0) << QVariant() << -1;
    }
    void underMinimumComparesAsShown()
    {
        QFETCH(QVariant, minimo);
        QFETCH(QVariant, qta);
        QFETCH(int, scritte);
        TestEnv env;
        articolo(1, QStringLiteral("Pane"), QStringLiteral("8001"), qta, 1.0, 0.5);
        QVERIFY(Db::exec(QStringLiteral("UPDATE Magazzino SET Minimo = ? WHERE CodMateriale = 1"), {minimo}));
        QVERIFY(
            ReportTables::ValorizzaTabReportMagazzino({rigaLista(9, "Prima", "", 1.0, 1.0, 1.0, "9", 1.0, "")}, false));
        QList<Articoli::ArticoloElencato> articoli;
        for (const RigaLista& r : ArticleList::leggi(ArticleList::Filtro::tutti()).righe)
            articoli << *r.articolo;
        QCOMPARE(articoli.size(), 1);
        QCOMPARE(bool(ReportTables::ValorizzaTabReportMagazzino(articoli, true)), scritte >= 0);
        const int righe = valoreDb(QStringLiteral("SELECT COUNT(*) FROM rptMagazzino")).toInt();
        if (scritte < 0) {
            QCOMPARE(righe, 1); // the previous print stays
            QVERIFY(
                erroriRegistrati(env).contains(QStringLiteral("Err.N.:13 *-Magazzino-ValorizzaTabReportMagazzino")));
        } else {
            QCOMPARE(righe, scritte);
        }
    }

    // The promotions report prints the list the button shows, in its order, with its texts.
    void promotionsReportPrintsTheListsTexts()
    {
        TestEnv env;
        ReportPrinters printers;
        articolo(1, QStringLiteral("Pasta"), QStringLiteral("8001"), 1.0, 2.0, 1.0);
        const QDate oggi = QDate::currentDate();
        for (const auto& [art, dal, sconto, prezzo] :
             {std::tuple{1, 3, 0.5, 1.5}, std::tuple{7, 1, 0.0, 1234.5}, std::tuple{1, 2, 0.25, 1.75}})
            QVERIFY(Db::exec(QStringLiteral("INSERT INTO Offerte (Articolo, DataDAL, DataAL, ScontoVal, ScontoPer, "
                                            "Pezzi, PrzScnt) VALUES (?, ?, ?, ?, 10, '1', ?)"),
                             {art, Vb::isoDate(oggi.addDays(dal)), Vb::isoDate(oggi.addDays(9)), sconto, prezzo}));
        Magazzino& w = finestra(1);
        w.cmdVediTutteLePromozioni->click();
        QCOMPARE(w.lstOfferte->count(), 3);
        Anteprima anteprima;
        QTest::mouseClick(w.cmdStampaElencoOfferte, Qt::LeftButton);
        QCOMPARE(anteprima.visto, QStringList{QStringLiteral("rptOfferte")});
        const auto righe = ReportTables::righeOfferte();
        QVERIFY(righe.ok);
        QCOMPARE(righe.valore->size(), 3);
        for (int r = 0; r < 3; ++r)
            QCOMPARE(celle(righe.valore->at(r)), w.lstOfferte->lista()->righe().at(r).testo.mid(2));
        QCOMPARE(righe.valore->at(0).descrizione, QStringLiteral("NON TROVATO"));
        QCOMPARE(righe.valore->at(0).prezzoScontato, QStringLiteral("1.234,50"));
        QCOMPARE(righe.valore->at(1).scontoValore, QStringLiteral("0,25"));
        w.unload();
    }

    void noPrinter()
    {
        TestEnv env;
        ReportPrinters nessuna("");
        articolo(2, QStringLiteral("Vecchia"), QStringLiteral("8002"), 1.0, 1.0, 0.5);
        QVERIFY(ReportTables::ValorizzaTabellaDiStampa({{2, QDate(2026, 12, 1), QDate(2026, 12, 2), 0, 0, 1}}));
        QVERIFY(Db::exec(QStringLiteral("DELETE FROM Magazzino")));
        Magazzino& w = finestra(0);
        Anteprima anteprima;
        anteprima.stampa = false;
        RigaLista r(8);
        r.testo = QStringList{"1", "2", "Acqua", "01/12/2026", "31/12/2026", "0,10", "0", "0,30"};
        r.offerta = Articoli::Offerta{2, QDate(2026, 12, 1), QDate(2026, 12, 31), 0.10, 0, 0.3};
        w.lstOfferte->lista()->setRighe({r});
        const QString a4 =
            QStringLiteral("ATTENZIONE Nessuna stampante A4 installata! - Impossibile proseguire con la stampa");
        QTest::mouseClick(w.cmdStampaElencoOfferte, Qt::LeftButton);
        QCOMPARE(env.messages(), QStringList{a4});
        // The table keeps its previous rows.
        QCOMPARE(valoreDb(QStringLiteral("SELECT Descrizione FROM rptProdotti")).toString(), QStringLiteral("Vecchia"));
        env.clearMessages();
        env.answer({QMessageBox::No});
        QTest::mouseClick(w.cmdStampaMagazzino, Qt::LeftButton);
        QCOMPARE(env.messages(), (QStringList{QStringLiteral("Si preferisce esportare in file Excel?"), a4}));
        QTest::qWait(60);
        QVERIFY(anteprima.visto.isEmpty());
        w.unload();
    }
};

QTEST_MAIN(TestReport)
#include "tst_report.moc"
