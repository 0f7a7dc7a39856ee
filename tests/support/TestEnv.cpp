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

// The services of the running test, in the order they are installed.
struct TestEnv::Servizi
{
    std::unique_ptr<AppState> stato = std::make_unique<AppState>();
    std::unique_ptr<Finestre> finestre = std::make_unique<Finestre>();
    std::unique_ptr<ScriptedInteraction> interazione = std::make_unique<ScriptedInteraction>();
    std::unique_ptr<TestProgramma> programma = std::make_unique<TestProgramma>();
    std::unique_ptr<StampantiProva> stampanti = std::make_unique<StampantiProva>();
    std::unique_ptr<RegLink::Collegamento> collegamento = std::make_unique<RegLink::Collegamento>();
    std::unique_ptr<Importazioni> importazioni = std::make_unique<Importazioni>();

    void installa() const
    {
        Contesto::installaStato(stato.get());
        Contesto::installaFinestre(finestre.get());
        Contesto::installaInterazione(interazione.get());
        Contesto::installaProgramma(programma.get());
        Contesto::installaStampanti(stampanti.get());
        Contesto::installaCollegamento(collegamento.get());
        Contesto::installaImportazioni(importazioni.get());
    }

    // Each service leaves the context before it is destroyed, the last installed first: one that
    // is still reached after its end stops the test with its name instead of reading freed memory.
    ~Servizi()
    {
        Contesto::installaImportazioni(nullptr);
        importazioni.reset();
        Contesto::installaCollegamento(nullptr);
        collegamento.reset();
        Contesto::installaStampanti(nullptr);
        stampanti.reset();
        Contesto::installaProgramma(nullptr);
        programma.reset();
        Contesto::installaInterazione(nullptr);
        interazione.reset();
        Contesto::installaFinestre(nullptr);
        finestre.reset();
        Contesto::installaStato(nullptr);
        stato.reset();
        Contesto::reset();
    }
};

namespace {

TestEnv* g_attivo = nullptr; // the TestEnv of the running test

} // namespace

QVariant valoreDb(const QString& sql, const QVariantList& values)
{
    const Letto<QVariant> v = Db::valore(sql, values);
    if (!v.ok)
        qFatal("lettura fallita: %s (%s)", qPrintable(sql), qPrintable(v.errore));
    return v.valore.value_or(QVariant());
}

TestEnv::TestEnv(bool openDatabase, double waitScale)
    : m_home(std::make_unique<QTemporaryDir>()), m_config(std::make_unique<QTemporaryDir>()),
      m_percorsoHome(m_home->path()), m_percorsoConfig(m_config->path())
{
    installa(openDatabase, waitScale);
}

TestEnv::TestEnv(const Cartelle& cartelle, bool openDatabase, double waitScale)
    : m_percorsoHome(cartelle.home), m_percorsoConfig(cartelle.config)
{
    installa(openDatabase, waitScale);
}

void TestEnv::installa(bool openDatabase, double waitScale)
{
    if (g_attivo)
        qFatal("TestEnv: another TestEnv is still running (end it before the next starts)");
    g_attivo = this;
    qputenv("TAVRINO_HOME", m_percorsoHome.toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", m_percorsoConfig.toLocal8Bit());
    // The one place that fills the context in tests: every test starts from the same services.
    m_servizi = std::make_unique<Servizi>();
    m_servizi->installa();
    app().percorsoSetup = Paths::setupPath();
    app().parolaInterscambio = QStringLiteral("QUIDAR");
    app().wait.scale = waitScale;
    if (openDatabase) {
        QDir(m_percorsoHome).mkpath(QStringLiteral("Dati"));
        const Esito e = Db::ApriDatabase(Paths::databasePath());
        if (!e)
            qFatal("test database: %s", qPrintable(e.descrizione));
    }
}

TestEnv::~TestEnv()
{
    // A fake the test put in place may already be gone: the windows close with the test's own.
    m_servizi->installa();
    m_servizi->finestre->eliminaAperte();
    // The register line closes with the test, after the fake registers it talked to.
    m_servizi->collegamento->chiudiLinea();
    Db::ChiudiDatabase();
    m_servizi.reset(); // the context is empty until the next TestEnv
    qunsetenv("TAVRINO_HOME");
    g_attivo = nullptr;
}

QString TestEnv::home() const
{
    return m_percorsoHome;
}
QString TestEnv::config() const
{
    return m_percorsoConfig;
}
QString TestEnv::path(const QString& name) const
{
    return QDir(m_percorsoHome).filePath(name);
}
QString TestEnv::setup() const
{
    return path(QStringLiteral("Setup.ini"));
}

void TestEnv::answer(std::initializer_list<QMessageBox::StandardButton> answers)
{
    for (auto a : answers)
        m_servizi->interazione->answers.enqueue(Interaction::Button(a));
}

QStringList TestEnv::messages() const
{
    return m_servizi->interazione->shown;
}
void TestEnv::clearMessages()
{
    m_servizi->interazione->shown.clear();
}

ScriptedInteraction& TestEnv::interazione()
{
    return *m_servizi->interazione;
}
TestProgramma& TestEnv::programma()
{
    return *m_servizi->programma;
}
StampantiProva& TestEnv::stampanti()
{
    return *m_servizi->stampanti;
}

StampantiProva& stampantiDiProva()
{
    if (!g_attivo)
        qFatal("no TestEnv: no test printers");
    return g_attivo->stampanti();
}

RegLink::Collegamento& TestEnv::collegamento()
{
    return *m_servizi->collegamento;
}

void TestEnv::usaInterazione(Interaction& i)
{
    Contesto::installaInterazione(&i);
}
void TestEnv::usaProgramma(Programma& p)
{
    Contesto::installaProgramma(&p);
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
