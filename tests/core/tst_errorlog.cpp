// The error log: line format, the fallbacks that never lose a line (also while no file can grow),
// and the rotation at start-up.
#include "archive/ui/Magazzino.h"
#include "core/ErrorLog.h"
#include "core/IniFile.h"
#include "core/TextFile.h"
#include "core/VbConvert.h"
#include "support/LimiteFile.h"
#include "support/TestEnv.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTimer>
#include <QtTest>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

void writeSize(const QString& path, qint64 size, char fill = 'x')
{
    writeRaw(path, QByteArray(size, fill));
}

QString stemAt(const QDateTime& t)
{
    return QStringLiteral("Errori%1%2%3%4")
        .arg(t.date().day())
        .arg(t.date().month())
        .arg(t.date().year())
        .arg(Vb::formatTime(t.time()).replace(QLatin1Char('.'), QLatin1Char('_')));
}

} // namespace

class TestErrorLog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void lineFormat()
    {
        TestEnv env;
        ScriviErrore("Funzioni", "TrovaNomeRep", "Tipo non corrispondente", "13");
        ScriviErrore("frmX", "Proc", "riga\r\ndue", "94");
        ScriviErrore("Mod", "P", VbErr::DivisionByZero, "à");
        const QByteArray bytes = readAll(env.path("Dati/ErrorLog.dat"));
        QVERIFY(bytes.endsWith("\r\n"));
        const QList<QByteArray> lines = bytes.left(bytes.size() - 2).split('\n');
        QCOMPARE(lines.size(), 3);
        static const QRegularExpression re(QStringLiteral(
            R"(^\[-\d\d/\d\d/\d{4}-\d\d\.\d\d\.\d\d- Des\.:Tipo non corrispondente Err\.N\.:13 \*-Funzioni-TrovaNomeRep-\]\r$)"));
        QVERIFY2(re.match(QString::fromLatin1(lines[0])).hasMatch(), lines[0].constData());
        QVERIFY(lines[0].startsWith("[-" + Vb::formatDate(QDate::currentDate()).toLatin1() + "-"));
        // A description with line breaks stays on one line.
        QVERIFY(lines[1].contains("Des.:riga  due Err.N.:94 *-frmX-Proc-]"));
        // Catalogue entries carry their number and Italian text; the file is Windows-1252.
        QVERIFY(lines[2].contains("Des.:Divisione per zero: \xe0 Err.N.:11 *-Mod-P-]"));
    }

    void fallbackToNewError()
    {
        TestEnv env;
        // ErrorLog.dat cannot be opened for appending when it is a folder.
        QVERIFY(QDir().mkpath(env.path("Dati/ErrorLog.dat")));
        ScriviErrore("Funzioni", "Attesa", "prova", "6");
        const QByteArray fallback = readAll(env.path("Dati/NewError.txt"));
        QVERIFY(fallback.contains("- Des.:prova Err.N.:6 *-Funzioni-Attesa-]\r\n"));
    }

    void fallbackToStderr()
    {
        TestEnv env(false); // no Dati folder: neither file can be written
        QTemporaryFile capture;
        QVERIFY(capture.open());
        std::fflush(stderr);
        const int saved = dup(STDERR_FILENO);
        QVERIFY(saved >= 0);
        QVERIFY(dup2(capture.handle(), STDERR_FILENO) >= 0);
        ScriviErrore("Funzioni", "Attesa", "senza cartella", "76");
        std::fflush(stderr);
        dup2(saved, STDERR_FILENO);
        close(saved);
        capture.seek(0);
        QVERIFY(capture.readAll().contains("Des.:senza cartella Err.N.:76 *-Funzioni-Attesa-]"));
        QVERIFY(!QFile::exists(env.path("Dati")));
    }

    // No room for the log: nothing is left half written, the lines wait in order and the article
    // window's status line shows them; once there is room each is written once, before the next.
    void righeInAttesaSenzaSpazio()
    {
        TestEnv env;
        // The window writes this default back at its activation: here it need not.
        QVERIFY(ScriviINI(env.setup(), "RegCassa", "PiruNEX", "Falso"));
        Magazzino& w = Forms::get<Magazzino>();
        w.showModeless();
        w.tmrImporta->setInterval(5);
        {
            LimiteFile limite(10);
            QVERIFY(limite.ok());
            ScriviErrore("M", "P", "prima", "1");
            ScriviErrore("M", "P", "seconda", "2");
            QVERIFY(!QFile::exists(env.path("Dati/ErrorLog.dat")));
            QTRY_VERIFY(w.lblTab->isVisible() && w.lblTab->text().contains("Des.:seconda"));
        }
        QTRY_VERIFY(!w.lblTab->isVisible());
        ScriviErrore("M", "P", "terza", "3");
        QStringList righe;
        QVERIFY(TextFile::readLines(env.path("Dati/ErrorLog.dat"), righe));
        QCOMPARE(righe.size(), 3);
        for (int i = 0; i < 3; ++i)
            QVERIFY2(righe.at(i).contains(QStringList{"Des.:prima", "Des.:seconda", "Des.:terza"}.at(i)),
                     qPrintable(righe.at(i)));
        QVERIFY(!QFile::exists(env.path("Dati/NewError.txt")));
    }

    // With no article window to write them meanwhile, the waiting lines still go first once there
    // is room, in order; the lines lost past the bound are told once, not at every later error.
    void righeInAttesaSenzaFinestra()
    {
        TestEnv env;
        {
            LimiteFile limite(10);
            QVERIFY(limite.ok());
            std::fflush(stderr);
            const int salvato = dup(STDERR_FILENO);
            const int nulla = ::open("/dev/null", O_WRONLY);
            QVERIFY(salvato >= 0 && nulla >= 0 && dup2(nulla, STDERR_FILENO) >= 0);
            for (int i = 0; i < 1002; ++i)
                ScriviErrore("M", "P", QString("attesa %1").arg(i), "1");
            std::fflush(stderr);
            dup2(salvato, STDERR_FILENO);
            close(salvato);
            close(nulla);
        }
        QCOMPARE(erroriInAttesa().size(), 1000);
        ScriviErrore("M", "P", "dopo", "2");
        ScriviErrore("M", "P", "ultima", "3");
        QStringList righe;
        QVERIFY(TextFile::readLines(env.path("Dati/ErrorLog.dat"), righe));
        QCOMPARE(righe.size(), 1003);
        for (int i = 0; i < 1000; ++i)
            QVERIFY2(righe.at(i).contains(QString("Des.:attesa %1 ").arg(i)), qPrintable(righe.at(i)));
        QVERIFY2(righe.at(1000).contains("Righe del registro perse mentre non si poteva scrivere: 2 "),
                 qPrintable(righe.at(1000)));
        QVERIFY(righe.at(1001).contains("Des.:dopo "));
        QVERIFY(righe.at(1002).contains("Des.:ultima "));
        QVERIFY(erroriInAttesa().isEmpty());
    }

    // The log in Dati is never written through a link: the line goes to the fallback log.
    void collegamentoAlPostoDelRegistro()
    {
        TestEnv env;
        QTemporaryDir fuori;
        const QString bersaglio = fuori.filePath("altrove.txt");
        QVERIFY(QFile::link(bersaglio, env.path("Dati/ErrorLog.dat")));
        ScriviErrore("M", "P", "riga", "1");
        QVERIFY(!QFile::exists(bersaglio));
        QVERIFY(readAll(env.path("Dati/NewError.txt")).contains("Des.:riga "));
    }

    void rotationThreshold_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<bool>("rotated");
        QTest::newRow("exactly 120000") << qint64(120000) << false;
        QTest::newRow("120001") << qint64(120001) << true;
        QTest::newRow("small") << qint64(10) << false;
    }
    void rotationThreshold()
    {
        QFETCH(qint64, size);
        QFETCH(bool, rotated);
        TestEnv env;
        writeSize(env.path("Dati/ErrorLog.dat"), size);
        ControllaDimensioneErrori();
        QCOMPARE(QFile::exists(env.path("Dati/ErrorLog.dat")), !rotated);
        QCOMPARE(QFileInfo(env.path("Dati/Err/Errori.bak")).size(), rotated ? size : 0);
        if (rotated) {
            // The next error starts a new log.
            ScriviErrore("M", "P", "dopo", "1");
            QVERIFY(readAll(env.path("Dati/ErrorLog.dat")).contains("Des.:dopo"));
        }
    }

    void missingLogIsNotAnError()
    {
        TestEnv env;
        ControllaDimensioneErrori();
        QVERIFY(!QFile::exists(env.path("Dati/ErrorLog.dat")));
        QVERIFY(!QFile::exists(env.path("Dati/Err")));
    }

    void twoRotations()
    {
        TestEnv env;
        writeSize(env.path("Dati/ErrorLog.dat"), 120001, 'a');
        ControllaDimensioneErrori();
        writeSize(env.path("Dati/ErrorLog.dat"), 120002, 'b');
        const QDateTime before = QDateTime::currentDateTime();
        ControllaDimensioneErrori();
        const QDateTime after = QDateTime::currentDateTime();

        QDir err(env.path("Dati/Err"));
        const QStringList files = err.entryList(QDir::Files, QDir::Name);
        QCOMPARE(files.size(), 2);
        QCOMPARE(readAll(err.filePath("Errori.bak")), QByteArray(120002, 'b'));
        QString older;
        for (const QString& f : files)
            if (f != "Errori.bak")
                older = f;
        // Day and month without leading zeros, four-digit year, time with "_".
        QVERIFY2(older == stemAt(before) + ".bak" || older == stemAt(after) + ".bak", qPrintable(older));
        QVERIFY(QRegularExpression(R"(^Errori\d{1,2}\d{1,2}\d{4}\d\d_\d\d_\d\d\.bak$)").match(older).hasMatch());
        QCOMPARE(readAll(err.filePath(older)), QByteArray(120001, 'a'));
    }

    void takenNameGetsSuffix()
    {
        TestEnv env;
        QDir().mkpath(env.path("Dati/Err"));
        QDir err(env.path("Dati/Err"));
        writeSize(err.filePath("Errori.bak"), 5, 'o');
        // Take the dated name for the next seconds, so the rotation surely meets a taken name.
        const QDateTime now = QDateTime::currentDateTime();
        QStringList taken;
        for (int s = 0; s < 5; ++s) {
            const QString name = stemAt(now.addSecs(s)) + ".bak";
            writeSize(err.filePath(name), 3, 't');
            taken << name;
        }
        writeSize(env.path("Dati/ErrorLog.dat"), 120001, 'n');
        ControllaDimensioneErrori();

        QVERIFY(!QFile::exists(env.path("Dati/ErrorLog.dat")));
        QCOMPARE(readAll(err.filePath("Errori.bak")), QByteArray(120001, 'n'));
        for (const QString& t : taken)
            QCOMPARE(readAll(err.filePath(t)), QByteArray(3, 't')); // nothing overwritten
        const QStringList suffixed = err.entryList({"Errori*_1.bak"}, QDir::Files);
        QCOMPARE(suffixed.size(), 1);
        QCOMPARE(readAll(err.filePath(suffixed.first())), QByteArray(5, 'o'));
    }

    void rotationFolderBlocked()
    {
        TestEnv env;
        writeSize(env.path("Dati/Err"), 1); // a file where the folder should be
        writeSize(env.path("Dati/ErrorLog.dat"), 120001, 'k');
        ControllaDimensioneErrori();
        // Not rotated, nothing lost, and the failure itself is logged.
        const QByteArray log = readAll(env.path("Dati/ErrorLog.dat"));
        QVERIFY(log.startsWith(QByteArray(120001, 'k')));
        QVERIFY(log.contains("*-Funzioni-ControllaDimensioneErrori-]"));
    }
};

QTEST_MAIN(TestErrorLog)
#include "tst_errorlog.moc"
