// One program per program folder: a second start shows its notice and ends by itself, the first
// keeps running, and a lock left behind by a killed program does not lock the shop out.
#include "support/TestEnv.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#ifndef TAVRINO_EXE
#error "TAVRINO_EXE must name the built program"
#endif

class TestInstance : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home;
    QTemporaryDir m_config;

    QString inHome(const QString& name) const { return QDir(m_home.path()).filePath(name); }

    void start(QProcess& p)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("TAVRINO_HOME", m_home.path());
        env.insert("XDG_CONFIG_HOME", m_config.path());
        env.insert("QT_QPA_PLATFORM", "offscreen");
        p.setProcessEnvironment(env);
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(QStringLiteral(TAVRINO_EXE), {});
        QVERIFY2(p.waitForStarted(10000), qPrintable(p.errorString()));
    }

    // The program is up once the lock names it and it has opened (created) its database.
    bool waitUntilUp(QProcess& p)
    {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 15000) {
            if (p.state() != QProcess::Running)
                return false;
            const QByteArray owner = readAll(inHome("tavrino.lock")).split('\n').value(0).trimmed();
            if (owner == QByteArray::number(p.processId()) && QFile::exists(inHome("Dati/DbNegozio.db")) &&
                QFile::exists(QDir(m_config.path()).filePath("DovePrg.ini")))
                return true;
            QTest::qWait(50);
        }
        return false;
    }

    static void stop(QProcess& p)
    {
        if (p.state() != QProcess::NotRunning) {
            p.kill();
            p.waitForFinished(5000);
        }
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_home.isValid() && m_config.isValid());
        QVERIFY(QDir(m_home.path()).mkpath("Dati"));
    }

    void secondStartEndsFirstKeepsRunning()
    {
        QProcess first;
        start(first);
        QVERIFY2(waitUntilUp(first), first.readAll().constData());
        const QByteArray lock = readAll(inHome("tavrino.lock"));
        const QByteArray location = readAll(QDir(m_config.path()).filePath("DovePrg.ini"));

        QProcess second;
        QElapsedTimer t;
        t.start();
        start(second);
        const bool ended = second.waitForFinished(15000);
        const qint64 took = t.elapsed();
        if (!ended)
            stop(second);
        QVERIFY2(ended, "the second start did not end by itself");
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QVERIFY2(took >= 2000, qPrintable(QString::number(took))); // the notice stays about 2.5 s
        QVERIFY2(took < 12000, qPrintable(QString::number(took)));

        // The first one is undisturbed: still running, still the owner of the lock.
        QTest::qWait(300);
        QCOMPARE(first.state(), QProcess::Running);
        QCOMPARE(readAll(inHome("tavrino.lock")), lock);
        QCOMPARE(readAll(QDir(m_config.path()).filePath("DovePrg.ini")), location);
        stop(first);
    }

    void lockOfKilledProgramIsStale()
    {
        // The previous test killed its program: its lock file may still be there.
        QProcess again;
        start(again);
        QVERIFY2(waitUntilUp(again), again.readAll().constData());
        QTest::qWait(3000); // longer than the second start's notice: this one really runs
        QCOMPARE(again.state(), QProcess::Running);
        stop(again);
    }
};

QTEST_GUILESS_MAIN(TestInstance)
#include "tst_instance.moc"
