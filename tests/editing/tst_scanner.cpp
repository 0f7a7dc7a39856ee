// The editor's barcode scanner: the buffer rule for every line end, and the real path over a
// pseudo-terminal standing in for the scanner's serial port.
#include "editing/ScannerLine.h"
#include "editing/ui/AggiungiMateriale.h"
#include "support/Pannelli.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QSerialPort>
#include <QtTest>

#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

class TestScanner : public QObject
{
    Q_OBJECT

    int m_master = -1;
    int m_slave = -1;

    // A pty whose slave is the program's com5.
    bool apriPty(const TestEnv& env)
    {
        char name[256] = {};
        if (openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0)
            return false;
        fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
        QDir(env.home()).mkpath("dosdevices");
        if (!QFile::link(QString::fromLocal8Bit(name), env.path("dosdevices/com5")))
            return false;
        app().impostazioniBarCode.portaCOM = "5";
        return true;
    }
    void scrivi(const QByteArray& b)
    {
        QCOMPARE(::write(m_master, b.constData(), size_t(b.size())), ssize_t(b.size()));
    }
    QByteArray leggi()
    {
        QByteArray out;
        char buf[256];
        ssize_t n;
        while ((n = ::read(m_master, buf, sizeof buf)) > 0)
            out.append(buf, int(n));
        return out;
    }

private Q_SLOTS:
    void cleanup()
    {
        if (m_master >= 0)
            ::close(m_master);
        if (m_slave >= 0)
            ::close(m_slave);
        m_master = m_slave = -1;
    }

    void bufferRule_data()
    {
        QTest::addColumn<QStringList>("chunks");
        QTest::addColumn<QStringList>("codes");
        QTest::addColumn<QString>("rest");
        QTest::newRow("CR") << QStringList{"8001234567890\r"} << QStringList{"8001234567890"} << "";
        QTest::newRow("LF") << QStringList{"8001234567890\n"} << QStringList{"8001234567890"} << "";
        QTest::newRow("CR LF twice") << QStringList{"8001234567890\r\n80012345\r\n"}
                                     << QStringList{"8001234567890", "80012345"} << "";
        QTest::newRow("12 digits after CR LF")
            << QStringList{"1\r\n", "123456789012\r\n"} << QStringList{"1", "123456789012"} << "";
        QTest::newRow("split everywhere")
            << QStringList{"80", "0123", "4567890", "\r", "\n", "5", "5\n"} << QStringList{"8001234567890", "55"} << "";
        QTest::newRow("CR alone completes nothing") << QStringList{"\r", "\n", "\r\n"} << QStringList{} << "";
        QTest::newRow("unterminated waits") << QStringList{"123", "45"} << QStringList{} << "12345";
        QTest::newRow("leading LF dropped") << QStringList{"\n12345678\r"} << QStringList{"12345678"} << "";
    }
    void bufferRule()
    {
        QFETCH(QStringList, chunks);
        QFETCH(QStringList, codes);
        QFETCH(QString, rest);
        BufferScanner b;
        QStringList got;
        for (const QString& c : chunks)
            got << b.aggiungi(c);
        QCOMPARE(got, codes);
        QCOMPARE(b.contenuto(), rest);
    }

    void bufferIsBounded()
    {
        BufferScanner b;
        bool over = false;
        b.aggiungi(QString(BufferScanner::kMassimo, 'x'), &over);
        QVERIFY(!over);
        b.aggiungi("y", &over);
        QVERIFY(over);
        QCOMPARE(b.contenuto(), QString("y"));
        QCOMPARE(b.aggiungi("2\r"), QStringList{"y2"});
    }

    void overThePort_data()
    {
        QTest::addColumn<QByteArray>("end");
        QTest::newRow("CR") << QByteArray("\r");
        QTest::newRow("LF") << QByteArray("\n");
        QTest::newRow("CR LF") << QByteArray("\r\n");
    }
    void overThePort()
    {
        QFETCH(QByteArray, end);
        ArchivioProva archivio; // the article window, outliving the editor
        TestEnv env;
        QVERIFY(apriPty(env));
        AggiungiMateriale& ed = Forms::get<AggiungiMateriale>(archivio);
        QVERIFY(ed.MSComm1->isOpen());
        ed.show();
        QVERIFY(QTest::qWaitForWindowActive(&ed));
        // The user is typing a description when the scan arrives.
        ed.TxtDesc->setFocus();
        QTest::keyClicks(ed.TxtDesc, "OLIO");
        for (const QByteArray& piece : {QByteArray("80012"), QByteArray("34567"), QByteArray("890") + end.left(1)}) {
            scrivi(piece);
            QTest::qWait(15);
        }
        if (end.size() > 1)
            scrivi(end.mid(1));
        QTRY_COMPARE(ed.LbLBarCode->text(), QString("8001234567890"));
        QByteArray answer;
        QTRY_COMPARE(answer += leggi(), QByteArray("\r\n")); // the scanner is answered
        scrivi("12345678" + end);
        QTRY_COMPARE(ed.LbLBarCode->text(), QString("12345678")); // no leftover line feed in front
        QCOMPARE(ed.TxtDesc->text(), QString("OLIO"));
        QCOMPARE(QApplication::focusWidget(), ed.TxtDesc);
        ed.unload();
        QVERIFY(!ed.MSComm1->isOpen()); // closed as the editor unloads
    }

    void withoutTerminatorTheUserIsTold()
    {
        ArchivioProva archivio; // the article window, outliving the editor
        TestEnv env;
        QVERIFY(apriPty(env));
        AggiungiMateriale& ed = Forms::get<AggiungiMateriale>(archivio);
        QVERIFY(ed.MSComm1->isOpen());
        scrivi(QByteArray(BufferScanner::kMassimo + 10, '7'));
        QTRY_VERIFY(env.messages().contains(
            "ATTENZIONE!!! Non impostato nello scanner il carattere finale (CR e/o LF) che chiude il codice a barre"));
        QCOMPARE(ed.LbLBarCode->text(), QString());
    }

    void noPortNoScanner()
    {
        ArchivioProva archivio; // the article window, outliving the editor
        TestEnv env;
        app().impostazioniBarCode.portaCOM.clear();
        AggiungiMateriale& ed = Forms::get<AggiungiMateriale>(archivio);
        QVERIFY(!ed.MSComm1->isOpen());
        app().impostazioniBarCode.portaCOM = "9"; // no such device: the editor opens all the same
        ed.unload();
        AggiungiMateriale& ed2 = Forms::get<AggiungiMateriale>(archivio);
        QVERIFY(!ed2.MSComm1->isOpen());
    }
};

QTEST_MAIN(TestScanner)
#include "tst_scanner.moc"
