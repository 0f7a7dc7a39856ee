// Setup.ini reading and writing: profile-file semantics and hostile files.
#include "core/IniFile.h"
#include "core/Paths.h"
#include "core/TextFile.h"
#include "support/Riga.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

class TestIniFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void roundTripAndCaseInsensitiveNames()
    {
        TestEnv env(false);
        QVERIFY(ScriviINI(env.setup(), "RegCassa", "PortaCOM", "3"));
        QCOMPARE(LeggiINI(env.setup(), "regcassa", "PORTACOM", "?"), QString("3"));
        QVERIFY(ScriviINI(env.setup(), "REGCASSA", "portacom", "4"));
        QCOMPARE(LeggiINI(env.setup(), "RegCassa", "PortaCOM", "?"), QString("4"));
        QCOMPARE(readAll(env.setup()), QByteArray("[RegCassa]\r\nportacom=4\r\n"));
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
        QCOMPARE(readAll(env.setup()), QByteArray("; commento\r\n[Uno]\r\nA=1\r\nb=20\r\n\r\n[Due]\r\nC=3\r\n"));
        QVERIFY(ScriviINI(env.setup(), "Uno", "D", "4"));
        QCOMPARE(readAll(env.setup()), QByteArray("; commento\r\n[Uno]\r\nA=1\r\nb=20\r\nD=4\r\n\r\n[Due]\r\nC=3\r\n"));
        QVERIFY(ScriviINI(env.setup(), "Tre", "E", "5"));
        QVERIFY(readAll(env.setup()).endsWith("[Due]\r\nC=3\r\n[Tre]\r\nE=5\r\n"));
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
        QVERIFY(readAll(env.setup()).contains("MiaAttivit\xe0"));
        QCOMPARE(LeggiINI(env.setup(), "Etichetta", "NomeAttivita", "?"), QString("MiaAttività"));
    }

    void lineEndsOfTheFileKept_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("LF") << QByteArray("[S]\nA=1\n") << QByteArray("[S]\nA=1\nB=2\n");
        QTest::newRow("CR") << QByteArray("[S]\rA=1\r") << QByteArray("[S]\rA=1\rB=2\r");
        QTest::newRow("mixed, no final end")
            << QByteArray("[S]\r\nA=1\nX=9") << QByteArray("[S]\r\nA=1\nX=9\r\nB=2\r\n");
        QTest::newRow("blank lines after section")
            << QByteArray("[S]\r\nA=1\r\n\r\n\r\n[T]\r\n") << QByteArray("[S]\r\nA=1\r\nB=2\r\n\r\n\r\n[T]\r\n");
    }
    void lineEndsOfTheFileKept()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        TestEnv env(false);
        writeRaw(env.setup(), before);
        QVERIFY(ScriviINI(env.setup(), "S", "B", "2"));
        QCOMPARE(readAll(env.setup()), after);
    }

    void writeKeepsLinkAndPermissions()
    {
        TestEnv env(false);
        const QString real = env.path("vero.ini");
        writeRaw(real, "[S]\r\nA=1\r\n");
        QVERIFY(QFile::setPermissions(real, QFile::ReadOwner | QFile::WriteOwner));
        QVERIFY(QFile::link(real, env.setup()));
        QVERIFY(ScriviINI(env.setup(), "S", "B", "2"));
        QVERIFY(QFileInfo(env.setup()).isSymLink());
        QCOMPARE(readAll(real), QByteArray("[S]\r\nA=1\r\nB=2\r\n"));
        QCOMPARE(QFileInfo(real).permissions() & (QFile::ReadGroup | QFile::ReadOther), QFile::Permissions());
        // No temporary file is left beside it.
        QCOMPARE(QDir(env.home()).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }

    // A link where Setup.ini's new copy is written first, to a file outside that is not there:
    // it is removed, not followed, and the write goes on.
    void linkAtTheTemporaryNameNotFollowed()
    {
        TestEnv env(false);
        writeRaw(env.setup(), "[S]\r\nA=1\r\n");
        QTemporaryDir fuori;
        const QString bersaglio = fuori.filePath("preso.ini");
        QVERIFY(QFile::link(bersaglio, TextFile::temporaneo(env.setup())));
        QVERIFY(ScriviINI(env.setup(), "S", "B", "2"));
        QVERIFY(!QFileInfo::exists(bersaglio));
        QCOMPARE(readAll(env.setup()), QByteArray("[S]\r\nA=1\r\nB=2\r\n"));
        QCOMPARE(QDir(env.home()).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList{"Setup.ini"});
    }

    void unreadableFileIsNotReplaced()
    {
        TestEnv env(false);
        QVERIFY(QDir().mkpath(env.setup() + "/dentro")); // Setup.ini is a folder
        QCOMPARE(LeggiINI(env.setup(), "S", "K", "?"), QString("?"));
        QVERIFY(!ScriviINI(env.setup(), "S", "K", "v"));
        QVERIFY(QFileInfo(env.setup() + "/dentro").isDir());
    }

    void driveLetters_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("cut");
        QTest::addColumn<bool>("programFolder"); // resolves to the program folder
        const Riga<QString, QString, bool> riga;
        riga("drive root", "C:\\", "C:", true);
        riga("drive root slash", "d:/", "d:", true);
        riga("bare drive", "C:", "C:", true);
        riga("empty", "", "", true);
        riga("drive folder", "C:\\Dati", "C:\\Dati", false);
        riga("short linux path", "/mn", "/mn", false);
        riga("linux root", "/", "/", false);
        riga("linux path", "/mnt/cassa", "/mnt/cassa", false);
        riga("relative", "ab:", "ab:", false);
    }
    void driveLetters()
    {
        QFETCH(QString, stored);
        QFETCH(QString, cut);
        QFETCH(bool, programFolder);
        TestEnv env(false);
        QCOMPARE(Paths::cutDriveRoot(stored), cut);
        QCOMPARE(Paths::resolveFolder(stored), programFolder ? env.home() : stored);
    }

    void serialPorts()
    {
        TestEnv env(false);
        QCOMPARE(Paths::serialPortPath(""), QString());
        QCOMPARE(Paths::serialPortPath("abc"), QString());
        QCOMPARE(Paths::serialPortPath("0"), QString());
        QCOMPARE(Paths::serialPortPath("2"), QString("/dev/ttyS1"));
        QCOMPARE(Paths::serialPortPath(" 3 "), QString("/dev/ttyS2"));
        QVERIFY(QDir().mkpath(env.path("dosdevices")));
        QVERIFY(QFile::link("/nonexistent/tty", env.path("dosdevices/com3"))); // dangling link still counts
        QCOMPARE(Paths::serialPortPath("3"), env.path("dosdevices/com3"));
    }
};

QTEST_MAIN(TestIniFile)
#include "tst_inifile.moc"
