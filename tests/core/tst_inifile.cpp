// Setup.ini reading and writing: profile-file semantics and hostile files.
#include "core/IniFile.h"
#include "support/TestEnv.h"

#include <QFile>
#include <QtTest>

class TestIniFile : public QObject
{
    Q_OBJECT

    static void writeRaw(const QString& path, const QByteArray& bytes)
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    static QByteArray readRaw(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private Q_SLOTS:
    void roundTripAndCaseInsensitiveNames()
    {
        TestEnv env(false);
        QVERIFY(ScriviINI(env.setup(), "RegCassa", "PortaCOM", "3"));
        QCOMPARE(LeggiINI(env.setup(), "regcassa", "PORTACOM", "?"), QString("3"));
        QVERIFY(ScriviINI(env.setup(), "REGCASSA", "portacom", "4"));
        QCOMPARE(LeggiINI(env.setup(), "RegCassa", "PortaCOM", "?"), QString("4"));
        QCOMPARE(readRaw(env.setup()), QByteArray("[RegCassa]\r\nportacom=4\r\n"));
    }

    void missingGivesDefault()
    {
        TestEnv env(false);
        QCOMPARE(LeggiINI(env.setup(), "A", "B", "?"), QString("?"));
        writeRaw(env.setup(), "[A]\r\nB=\r\n");
        QCOMPARE(LeggiINI(env.setup(), "A", "B", "?"), QString(""));
        QCOMPARE(LeggiINI(env.setup(), "A", "C", "?"), QString("?"));
        QCOMPARE(LeggiINI(env.setup(), "X", "B", "?"), QString("?"));
    }

    void valuesTrimmedQuotedAndCut()
    {
        TestEnv env(false);
        writeRaw(env.setup(), "[S]\r\n K1 =  \"  spaced \" \r\nK2=" + QByteArray(300, 'x') + "\r\n");
        QCOMPARE(LeggiINI(env.setup(), "S", "K1", "?"), QString("  spaced "));
        QCOMPARE(LeggiINI(env.setup(), "S", "K2", "?"), QString(254, 'x'));
    }

    void lineBreaksBecomeBlanks()
    {
        TestEnv env(false);
        QVERIFY(ScriviINI(env.setup(), "S", "K", "a\r\nb\nc"));
        QCOMPARE(LeggiINI(env.setup(), "S", "K", "?"), QString("a  b c"));
    }

    void inPlaceEditKeepsEverythingElse()
    {
        TestEnv env(false);
        const QByteArray before = "; commento\r\n[Uno]\r\nA=1\r\nB=2\r\n\r\n[Due]\r\nC=3\r\n";
        writeRaw(env.setup(), before);
        QVERIFY(ScriviINI(env.setup(), "uno", "b", "20"));
        QCOMPARE(readRaw(env.setup()), QByteArray("; commento\r\n[Uno]\r\nA=1\r\nb=20\r\n\r\n[Due]\r\nC=3\r\n"));
        QVERIFY(ScriviINI(env.setup(), "Uno", "D", "4"));
        QCOMPARE(readRaw(env.setup()),
                 QByteArray("; commento\r\n[Uno]\r\nA=1\r\nb=20\r\nD=4\r\n\r\n[Due]\r\nC=3\r\n"));
        QVERIFY(ScriviINI(env.setup(), "Tre", "E", "5"));
        QVERIFY(readRaw(env.setup()).endsWith("[Due]\r\nC=3\r\n[Tre]\r\nE=5\r\n"));
    }

    void hostileFiles_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("no sections") << QByteArray("A=1\r\nB=2\r\n");
        QTest::newRow("duplicate sections") << QByteArray("[S]\r\nK=first\r\n[S]\r\nK=second\r\n");
        QTest::newRow("duplicate keys") << QByteArray("[S]\r\nK=first\r\nK=second\r\n");
        QTest::newRow("huge line") << (QByteArray("[S]\r\nK=") + QByteArray(10000, 'y') + "\r\n");
        QTest::newRow("CR only") << QByteArray("[S]\rK=first\rZ=9\r");
        QTest::newRow("binary") << QByteArray("\x00\xff\xfe[S\x00]\x01\x02=\x03\r\n\x80\x81", 14);
        QTest::newRow("utf8") << QByteArray("[S]\r\nK=first\r\nN=Attivit\xc3\xa0\r\n");
        QTest::newRow("no final newline") << QByteArray("[S]\r\nK=first");
    }

    void hostileFiles()
    {
        QFETCH(QByteArray, content);
        TestEnv env(false);
        writeRaw(env.setup(), content);
        const QString before = LeggiINI(env.setup(), "S", "K", "?");
        QVERIFY(before == "?" || before == "first" || before.startsWith("yyy"));
        QVERIFY(ScriviINI(env.setup(), "S", "K", "new"));
        QCOMPARE(LeggiINI(env.setup(), "S", "K", "?"), QString("new"));
        QVERIFY(ScriviINI(env.setup(), "Other", "X", "1"));
        QCOMPARE(LeggiINI(env.setup(), "S", "K", "?"), QString("new"));
        QCOMPARE(LeggiINI(env.setup(), "Other", "X", "?"), QString("1"));
    }

    void failedWriteIsReported()
    {
        TestEnv env(false);
        QVERIFY(!ScriviINI(env.path("missing-folder/Setup.ini"), "S", "K", "v"));
    }

    void windows1252Values()
    {
        TestEnv env(false);
        QVERIFY(ScriviINI(env.setup(), "Etichetta", "NomeAttivita", "MiaAttività"));
        QVERIFY(readRaw(env.setup()).contains("MiaAttivit\xe0"));
        QCOMPARE(LeggiINI(env.setup(), "Etichetta", "NomeAttivita", "?"), QString("MiaAttività"));
    }

    void booleans()
    {
        QVERIFY(iniIsFalso("Falso") && iniIsFalso("falso") && iniIsFalso("FALSO"));
        QVERIFY(!iniIsFalso("No") && !iniIsFalso("0") && !iniIsFalso(""));
    }
};

QTEST_MAIN(TestIniFile)
#include "tst_inifile.moc"
