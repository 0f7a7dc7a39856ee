#include "support/TestEnv.h"

#include "core/Contesto.h"
#include "core/Database.h"
#include "core/Paths.h"
#include "core/ui/Finestre.h"
#include "import/Importazioni.h"
#include "reglink/Collegamento.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

namespace {
std::unique_ptr<AppState> g_stato;
std::unique_ptr<ScriptedInteraction> g_interazione;
std::unique_ptr<Finestre> g_finestre;
std::unique_ptr<TestProgramma> g_programma;
std::unique_ptr<StampantiProva> g_stampanti;
std::unique_ptr<RegLink::Collegamento> g_collegamento;
std::unique_ptr<Importazioni> g_importazioni;

} // namespace

QVariant valoreDb(const QString& sql, const QVariantList& values)
{
    const Letto<QVariant> v = Db::valore(sql, values);
    if (!v.ok)
        qFatal("lettura fallita: %s (%s)", qPrintable(sql), qPrintable(v.errore));
    return v.valore.value_or(QVariant());
}

TestEnv::TestEnv(bool openDatabase, double waitScale)
    : m_home(std::make_unique<QTemporaryDir>()), m_config(std::make_unique<QTemporaryDir>())
{
    qputenv("TAVRINO_HOME", m_home->path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", m_config->path().toLocal8Bit());
    g_stato = std::make_unique<AppState>();
    Contesto::installaStato(g_stato.get());
    app().percorsoSetup = Paths::setupPath();
    app().parolaInterscambio = QStringLiteral("QUIDAR");
    app().wait.scale = waitScale;
    // The one reset of the program's services: every test starts from the same ones.
    g_finestre = std::make_unique<Finestre>();
    Contesto::installaFinestre(g_finestre.get());
    g_interazione = std::make_unique<ScriptedInteraction>();
    g_programma = std::make_unique<TestProgramma>();
    g_stampanti = std::make_unique<StampantiProva>();
    Contesto::installaInterazione(g_interazione.get());
    Contesto::installaProgramma(g_programma.get());
    Contesto::installaStampanti(g_stampanti.get());
    g_collegamento.reset(); // the old line closes before the new link exists
    g_collegamento = std::make_unique<RegLink::Collegamento>();
    Contesto::installaCollegamento(g_collegamento.get());
    g_importazioni = std::make_unique<Importazioni>();
    Contesto::installaImportazioni(g_importazioni.get());
    if (openDatabase) {
        QDir(m_home->path()).mkpath(QStringLiteral("Dati"));
        const Esito e = Db::ApriDatabase(Paths::databasePath());
        if (!e)
            qFatal("test database: %s", qPrintable(e.descrizione));
    }
}

TestEnv::~TestEnv()
{
    g_finestre->eliminaAperte();
    // The register line closes with the test, after the fake registers it talked to.
    g_collegamento->chiudiLinea();
    Db::ChiudiDatabase();
    qunsetenv("TAVRINO_HOME");
}

QString TestEnv::home() const
{
    return m_home->path();
}
QString TestEnv::config() const
{
    return m_config->path();
}
QString TestEnv::path(const QString& name) const
{
    return QDir(m_home->path()).filePath(name);
}
QString TestEnv::setup() const
{
    return path(QStringLiteral("Setup.ini"));
}

void TestEnv::answer(std::initializer_list<QMessageBox::StandardButton> answers)
{
    for (auto a : answers)
        g_interazione->answers.enqueue(Interaction::Button(a));
}

QStringList TestEnv::messages() const
{
    return g_interazione->shown;
}
void TestEnv::clearMessages()
{
    g_interazione->shown.clear();
}

ScriptedInteraction& TestEnv::interazione()
{
    return *g_interazione;
}
TestProgramma& TestEnv::programma()
{
    return *g_programma;
}
StampantiProva& TestEnv::stampanti()
{
    return stampantiDiProva();
}

StampantiProva& stampantiDiProva()
{
    if (!g_stampanti)
        qFatal("no TestEnv: no test printers");
    return *g_stampanti;
}

RegLink::Collegamento& TestEnv::collegamento()
{
    return *g_collegamento;
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeRaw(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY2(f.open(QIODevice::WriteOnly), qPrintable(path));
    QVERIFY(f.write(bytes) == bytes.size());
}

void execOnFile(const QString& dbPath, const QString& sql)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("execOnFile"));
        db.setDatabaseName(dbPath);
        QVERIFY2(db.open(), qPrintable(dbPath));
        QSqlQuery q(db);
        QVERIFY2(q.exec(sql), qPrintable(q.lastError().text()));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("execOnFile"));
}
