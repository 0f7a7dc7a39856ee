// Number, text and date conversions with Italian settings, whatever the process locale.
#include "core/VbConvert.h"
#include "support/TestEnv.h"

#include <QFile>
#include <QtTest>
#include <cmath>
#include <limits>

class TestVbConvert : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void format_data()
    {
        QTest::addColumn<double>("x");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("expected");
        const QString money = QStringLiteral("##,##0.00");
        QTest::newRow("half up from decimal text") << 2.675 << money << "2,68";
        QTest::newRow("1.005") << 1.005 << money << "1,01";
        QTest::newRow("zero") << 0.0 << money << "0,00";
        QTest::newRow("small") << 0.005 << money << "0,01";
        QTest::newRow("below half") << 0.004 << money << "0,00";
        QTest::newRow("grouping") << 1234.5 << money << "1.234,50";
        QTest::newRow("negative") << -1234.567 << money << "-1.234,57";
        QTest::newRow("negative half") << -2.675 << money << "-2,68";
        QTest::newRow("millions") << 1234567.891 << money << "1.234.567,89";
        QTest::newRow("carry into thousands") << 999.995 << money << "1.000,00";
        QTest::newRow("big") << 1e15 << money << "1.000.000.000.000.000,00";
        QTest::newRow("no grouping") << 1234.5 << "0.00"
                                     << "1234,50";
        QTest::newRow("three decimals") << 0.0005 << "0.000"
                                        << "0,001";
        QTest::newRow("integer grouping") << 1234.5 << "#,##0"
                                          << "1.235";
        QTest::newRow("integer") << 2.5 << "0"
                                 << "3";
    }
    void format()
    {
        QFETCH(double, x);
        QFETCH(QString, pattern);
        QFETCH(QString, expected);
        QCOMPARE(Vb::format(x, pattern), expected);
    }

    void moneyHelpers()
    {
        QCOMPARE(Vb::money(1234.5), QString("1.234,50"));
        QCOMPARE(Vb::fixedPoint(std::nan(""), 2), QString("0.00"));
        QCOMPARE(Vb::roundHalfAway(-2.675, 2), -2.68);
        QCOMPARE(Vb::roundHalfAway(2.5, 0), 3.0);
        QVERIFY(Vb::format(std::numeric_limits<double>::infinity(), "0.00").isEmpty());
    }

    // The register files' amounts: half away from zero from the 15-digit text, exact ties of
    // that text, carries, and values too large for integer arithmetic.
    void fixedPoint_data()
    {
        QTest::addColumn<double>("x");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("expected");
        QTest::newRow("2.675") << 2.675 << 2 << "2.68";
        QTest::newRow("1.005") << 1.005 << 2 << "1.01";
        QTest::newRow("0.45 to one") << 0.45 << 1 << "0.5";
        QTest::newRow("1.15 to one") << 1.15 << 1 << "1.2";
        QTest::newRow("carry") << 999.995 << 2 << "1000.00";
        QTest::newRow("three decimals") << 0.25 << 3 << "0.250";
        QTest::newRow("half a thousandth") << 0.0005 << 3 << "0.001";
        QTest::newRow("negative to zero") << -0.004 << 2 << "0.00";
        QTest::newRow("negative half") << -0.005 << 2 << "-0.01";
        QTest::newRow("no grouping") << 1234.5 << 2 << "1234.50";
        QTest::newRow("tie of the 15-digit text") << 100000000000000.5 << 0 << "100000000000001";
        QTest::newRow("16-digit tie") << 1000000000000005.0 << 0 << "1000000000000010";
        QTest::newRow("14 decimals") << 9.999999999999995 << 14 << "9.99999999999999";
        QTest::newRow("more decimals than digits") << 0.1 + 0.2 << 16 << "0.3000000000000000";
        QTest::newRow("tiny") << 1e-300 << 2 << "0.00";
        QTest::newRow("denormal") << 5e-324 << 0 << "0";
        QTest::newRow("huge") << 123456789012345678.0 << 2 << "123456789012346000.00";
    }
    void fixedPoint()
    {
        QFETCH(double, x);
        QFETCH(int, decimals);
        QFETCH(QString, expected);
        QCOMPARE(Vb::fixedPoint(x, decimals), expected);
    }

    void cstr_data()
    {
        QTest::addColumn<double>("x");
        QTest::addColumn<QString>("expected");
        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("integer") << 100.0 << "100";
        QTest::newRow("sum") << 0.1 + 0.2 << "0,3";
        QTest::newRow("third") << 1.0 / 3 << "0,333333333333333";
        QTest::newRow("negative") << -2.5 << "-2,5";
        QTest::newRow("15 digits") << 123456789012345.0 << "123456789012345";
        QTest::newRow("16 digits") << 1234567890123456.0 << "1,23456789012346E+15";
        QTest::newRow("negative integer") << -7.0 << "-7";
        QTest::newRow("largest of 15 digits") << 999999999999999.0 << "999999999999999";
        QTest::newRow("1e15") << 1e15 << "1E+15";
        QTest::newRow("1e-5") << 1e-5 << "0,00001";
        QTest::newRow("1e-6") << 1e-6 << "1E-06";
        QTest::newRow("no grouping") << 1234.25 << "1234,25";
    }
    void cstr()
    {
        QFETCH(double, x);
        QFETCH(QString, expected);
        QCOMPARE(Vb::cstr(x), expected);
    }

    void cint_data()
    {
        QTest::addColumn<double>("x");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("expected");
        QTest::newRow("0.5 to even") << 0.5 << true << 0;
        QTest::newRow("1.5 to even") << 1.5 << true << 2;
        QTest::newRow("2.5 to even") << 2.5 << true << 2;
        QTest::newRow("3.5 to even") << 3.5 << true << 4;
        QTest::newRow("-2.5 to even") << -2.5 << true << -2;
        QTest::newRow("2.51") << 2.51 << true << 3;
        QTest::newRow("max") << 32767.0 << true << 32767;
        QTest::newRow("max + half overflows") << 32767.5 << false << 0;
        QTest::newRow("min - half to even") << -32768.5 << true << -32768;
        QTest::newRow("below min") << -32769.0 << false << 0;
        QTest::newRow("nan") << std::nan("") << false << 0;
        QTest::newRow("inf") << std::numeric_limits<double>::infinity() << false << 0;
    }
    void cint()
    {
        QFETCH(double, x);
        QFETCH(bool, valid);
        QFETCH(int, expected);
        const auto r = Vb::cint(x);
        QCOMPARE(r.has_value(), valid);
        if (valid)
            QCOMPARE(*r, expected);
    }

    void clng()
    {
        QCOMPARE(*Vb::clng(2147483646.5), 2147483646);
        QVERIFY(!Vb::clng(2147483647.5));
        QCOMPARE(*Vb::clng(-2147483648.0), std::numeric_limits<qint32>::min());
        QCOMPARE(*Vb::clng(70000.5), 70000);
    }

    void val_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");
        QTest::newRow("comma stops") << "22,00" << 22.0;
        QTest::newRow("blanks ignored") << " 1 2 3" << 123.0;
        QTest::newRow("tabs and newlines") << "\t4\n5" << 45.0;
        QTest::newRow("decimal point") << "3.5kg" << 3.5;
        QTest::newRow("leading point") << ".5" << 0.5;
        QTest::newRow("exponent") << "-4.5e2" << -450.0;
        QTest::newRow("dangling exponent") << "1e" << 1.0;
        QTest::newRow("second point stops") << "1.2.3" << 1.2;
        QTest::newRow("hex") << "&HFF" << 255.0;
        QTest::newRow("hex lower") << "&h1a" << 26.0;
        QTest::newRow("hex stops at non-hex") << "&HFFZ" << 255.0;
        QTest::newRow("octal") << "&O17" << 15.0;
        QTest::newRow("octal stops at 8") << "&o178" << 15.0;
        QTest::newRow("garbage") << "abc" << 0.0;
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("sign with blank") << "- 3" << -3.0;
    }
    void val()
    {
        QFETCH(QString, text);
        QFETCH(double, expected);
        QCOMPARE(Vb::val(text), expected);
    }

    void cdbl_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("numeric");
        QTest::addColumn<double>("expected");
        QTest::newRow("decimal comma") << "3,5" << true << 3.5;
        QTest::newRow("blanks") << " 3 " << true << 3.0;
        QTest::newRow("thousands point") << "1.000" << true << 1000.0;
        QTest::newRow("both") << "-1.234,5" << true << -1234.5;
        QTest::newRow("leading comma") << ",25" << true << 0.25;
        QTest::newRow("exponent") << "1e3" << true << 1000.0;
        QTest::newRow("plus") << "+7" << true << 7.0;
        QTest::newRow("garbage") << "abc" << false << 0.0;
        QTest::newRow("trailing garbage") << "3,5x" << false << 0.0;
        QTest::newRow("two commas") << "3,5,6" << false << 0.0;
        QTest::newRow("empty") << "" << false << 0.0;
        QTest::newRow("blank") << "   " << false << 0.0;
        QTest::newRow("comma only") << "," << false << 0.0;
        QTest::newRow("sign only") << "-" << false << 0.0;
    }
    void cdbl()
    {
        QFETCH(QString, text);
        QFETCH(bool, numeric);
        QFETCH(double, expected);
        QCOMPARE(Vb::isNumeric(text), numeric);
        const auto v = Vb::cdbl(text);
        QCOMPARE(v.has_value(), numeric);
        if (numeric)
            QCOMPARE(*v, expected);
    }

    void dates_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("expected");
        QTest::newRow("full") << "05/01/2026" << QDate(2026, 1, 5);
        QTest::newRow("one-digit day and month") << "5/1/2026" << QDate(2026, 1, 5);
        QTest::newRow("blanks around") << " 09/12/2026 " << QDate(2026, 12, 9);
        QTest::newRow("leap day") << "29/02/2024" << QDate(2024, 2, 29);
        QTest::newRow("not a leap year") << "29/02/2026" << QDate();
        QTest::newRow("day 32") << "32/01/2026" << QDate();
        QTest::newRow("month 13") << "01/13/2026" << QDate();
        QTest::newRow("iso") << "2026-01-05" << QDate();
        QTest::newRow("two-digit year") << "05/01/26" << QDate();
        QTest::newRow("garbage") << "domani" << QDate();
        QTest::newRow("empty") << "" << QDate();
    }
    void dates()
    {
        QFETCH(QString, text);
        QFETCH(QDate, expected);
        QCOMPARE(Vb::parseDate(text), expected);
        if (expected.isValid())
            QCOMPARE(Vb::parseDate(Vb::formatDate(expected)), expected);
    }

    void dateFormats()
    {
        QCOMPARE(Vb::formatDate(QDate(2026, 1, 5)), QString("05/01/2026"));
        QVERIFY(Vb::formatDate(QDate()).isEmpty());
        QCOMPARE(Vb::isoDate(QDate(2026, 1, 5)), QString("2026-01-05"));
        QCOMPARE(Vb::fromIso("2026-01-05 10:30:00"), QDate(2026, 1, 5));
        QVERIFY(!Vb::fromIso("05/01/2026").isValid());
        QCOMPARE(Vb::formatTime(QTime(14, 35, 20)), QString("14.35.20"));
        QCOMPARE(Vb::formatTime(QTime(7, 5, 9)), QString("07.05.09"));
    }
};

QTEST_MAIN(TestVbConvert)
#include "tst_vbconvert.moc"
