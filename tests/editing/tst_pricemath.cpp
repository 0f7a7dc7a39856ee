// The editor's price arithmetic: every direction between purchase price, VAT, price with VAT,
// public price and mark-up, with Italian number texts and the rounding edges.
#include "editing/PriceMath.h"
#include "support/Riga.h"

#include <QtTest>

using Campo = CalcoloPrezzi::Campo;
Q_DECLARE_METATYPE(Campo)

namespace {

struct Passo
{
    Campo campo;
    QString testo;
};

Campo campoDa(const QString& n)
{
    static const QHash<QString, Campo> m = {{"A", Campo::Acquisto},
                                            {"I", Campo::Iva},
                                            {"C", Campo::AcquistoConIva},
                                            {"P", Campo::PrezzoPubblico},
                                            {"R", Campo::RicaricoCalcolato},
                                            {"r", Campo::Ricarico},
                                            {"V", Campo::Costo}};
    return m.value(n);
}

// "I=22;A=10" -> the changes in order.
QList<Passo> passi(const QString& s)
{
    QList<Passo> out;
    for (const QString& p : s.split(';', Qt::SkipEmptyParts)) {
        const int eq = p.indexOf('=');
        out << Passo{campoDa(p.left(eq)), p.mid(eq + 1)};
    }
    return out;
}

// The editor's side of the model: what it was told.
struct Vista : CalcoloPrezzi::Vista
{
    int avvisiIva = 0;
    QHash<int, QString> mostrati;
    void scritto(Campo c, const QString& t) override { mostrati[int(c)] = t; }
    void ivaMancante() override { ++avvisiIva; }
};

} // namespace

class TestPriceMath : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void chains_data()
    {
        QTest::addColumn<QString>("changes");
        QTest::addColumn<QString>("expected"); // field=text pairs that must hold afterwards
        QTest::addColumn<int>("vatWarnings");

        const Riga<QString, QString, int> riga;
        riga("purchase then VAT", "A=10;I=22", "C=12,20", 1);
        riga("VAT then purchase", "I=22;A=10", "C=12,20", 0);
        riga("public price gives markup", "I=22;A=10;P=18,30", "C=12,20;R=50;P=18,30", 0);
        riga("markup gives public price", "I=22;A=10;R=100", "P=24,40;R=100", 0);
        riga("typed public price is kept as typed", "I=22;A=10;P=20", "R=63,9344262295082;P=20", 0);
        riga("purchase 0 computes nothing", "I=22;A=0", "C=", 0);
        riga("empty purchase computes nothing", "I=22;A=5;A=", "C=6,10", 0);
        riga("empty VAT warns and leaves no price with VAT", "A=10", "C=", 1);
        riga("warning once per purchase change", "A=10;A=11;A=11", "C=", 2);
        riga("VAT 22 then 0 computes with 0", "I=22;A=10;I=0", "C=10,00", 0);
        riga("VAT 0 then purchase", "I=0;A=10", "C=10,00", 0);
        riga("price with VAT 0 leaves markup", "I=22;A=0,00;P=18", "C=0,00;R=", 0);
        riga("thousands point read", "I=22;A=1.000", "C=1.220,00", 0);
        riga("comma decimals and grouping", "I=10;A=1.234,5", "C=1.357,95", 0);
        riga("half rounds away from zero", "I=0;A=2,675", "C=2,68", 0);
        riga("VAT with decimals not rounded", "A=100;I=4,5", "C=104,50", 1);
        riga("hidden markup input sets sale price", "r=50;I=22;A=10", "V=18,30", 0);
        riga("sale price untouched without hidden markup", "V=18,30;I=22;P=18,30;A=10", "V=18,30;P=18,30;R=50;C=12,20",
             0);
        riga("VAT change recomputes markup", "I=22;A=10;P=18,30;I=10", "C=11,00;R=66,3636363636364;P=18,30", 0);
        riga("not a number leaves fields", "I=22;A=10;R=abc", "P=;C=12,20", 0);
    }

    void chains()
    {
        QFETCH(QString, changes);
        QFETCH(QString, expected);
        QFETCH(int, vatWarnings);
        Vista v;
        CalcoloPrezzi m(v);
        const int& warnings = v.avvisiIva;
        const QHash<int, QString>& shown = v.mostrati;
        for (const Passo& p : passi(changes))
            m.cambia(p.campo, p.testo);
        for (const Passo& p : passi(expected)) {
            QCOMPARE(m.testo(p.campo), p.testo);
            if (shown.contains(int(p.campo)))
                QCOMPARE(shown.value(int(p.campo)), p.testo); // the window is told what the model holds
        }
        QCOMPARE(warnings, vatWarnings);
    }

    void markupRoundTripsToTheCent_data()
    {
        QTest::addColumn<QString>("acquisto");
        QTest::addColumn<QString>("iva");
        QTest::addColumn<QString>("pubblico");
        QTest::newRow("a") << QString("7,33") << QString("22") << QString("13,99");
        QTest::newRow("b") << QString("0,01") << QString("4") << QString("0,99");
        QTest::newRow("c") << QString("1.234,56") << QString("10") << QString("2.000,01");
        QTest::newRow("d") << QString("3") << QString("5") << QString("3,01");
    }

    // The markup written from a public price makes its own handler rebuild the same price.
    void markupRoundTripsToTheCent()
    {
        QFETCH(QString, acquisto);
        QFETCH(QString, iva);
        QFETCH(QString, pubblico);
        Vista v;
        CalcoloPrezzi m(v);
        m.cambia(Campo::Iva, iva);
        m.cambia(Campo::PrezzoPubblico, pubblico);
        m.cambia(Campo::Acquisto, acquisto); // as the editor's fill does: the purchase price last
        QCOMPARE(m.testo(Campo::PrezzoPubblico), pubblico);
    }
};

QTEST_MAIN(TestPriceMath)
#include "tst_pricemath.moc"
