#include "reglink/ProtocolLog.h"

#include "core/TextFile.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QtTest>

using namespace RegLink;

namespace {
void fill(const QString& path, qint64 size)
{
    writeRaw(path, QByteArray(size, 'x'));
}

const QDateTime kQuando(QDate(2026, 12, 8), QTime(14, 5, 7));
} // namespace

class TstProtocolLog : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void firstEntryCreatesFile();
    void rotationLimit_data();
    void rotationLimit();
    void takenRotationNameGetsSuffix();
    void rotationName();
};

void TstProtocolLog::firstEntryCreatesFile()
{
    TestEnv env(false);
    ScriviLog(QStringLiteral("riga uno\r\nriga due \u20AC"), kQuando);
    QCOMPARE(readAll(percorsoLog()), QByteArray("-08/12/2026-14.05.07\r\nriga uno\r\nriga due \x80\r\n"));
    ScriviLog(QStringLiteral("ancora"), kQuando);
    QVERIFY(readAll(percorsoLog()).endsWith("\r\n-08/12/2026-14.05.07\r\nancora\r\n"));
    QVERIFY(!QDir(env.path("Err")).exists());
}

void TstProtocolLog::rotationLimit_data()
{
    QTest::addColumn<qint64>("size");
    QTest::addColumn<bool>("rotated");
    QTest::newRow("exactly the limit") << kLimiteLog << false;
    QTest::newRow("one byte more") << kLimiteLog + 1 << true;
}

void TstProtocolLog::rotationLimit()
{
    QFETCH(qint64, size);
    QFETCH(bool, rotated);
    TestEnv env(false);
    fill(percorsoLog(), size);
    ScriviLog(QStringLiteral("dopo"), kQuando);
    const QString bak = env.path("Err/LOG81220261405.bak");
    QCOMPARE(QFile::exists(bak), rotated);
    if (rotated) {
        QCOMPARE(QFileInfo(bak).size(), size);
        QCOMPARE(readAll(percorsoLog()), QByteArray("-08/12/2026-14.05.07\r\ndopo\r\n"));
    } else {
        QCOMPARE(QFileInfo(percorsoLog()).size(), size + 28);
    }
}

void TstProtocolLog::takenRotationNameGetsSuffix()
{
    TestEnv env(false);
    QDir(env.home()).mkpath("Err");
    fill(env.path("Err/LOG81220261405.bak"), 10);
    fill(env.path("Err/LOG81220261405_2.bak"), 11);
    fill(percorsoLog(), kLimiteLog + 5);
    ScriviLog(QStringLiteral("non persa"), kQuando);
    // Nothing overwritten, nothing lost.
    QCOMPARE(QFileInfo(env.path("Err/LOG81220261405.bak")).size(), 10);
    QCOMPARE(QFileInfo(env.path("Err/LOG81220261405_2.bak")).size(), 11);
    QCOMPARE(QFileInfo(env.path("Err/LOG81220261405_3.bak")).size(), kLimiteLog + 5);
    QCOMPARE(readAll(percorsoLog()), QByteArray("-08/12/2026-14.05.07\r\nnon persa\r\n"));
}

void TstProtocolLog::rotationName()
{
    QCOMPARE(nomeRotazione(QDateTime(QDate(2027, 1, 31), QTime(0, 0))), QStringLiteral("LOG31120270000.bak"));
}

QTEST_GUILESS_MAIN(TstProtocolLog)
#include "tst_protocollog.moc"
