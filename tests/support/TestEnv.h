#pragma once
// A clean program folder for one test: TAVRINO_HOME and XDG_CONFIG_HOME point at temporary
// folders, the state is reset, waits run fast, every question goes to a fresh ScriptedInteraction
// the printers are a fresh StampantiProva with none installed, the register link is a fresh
// one (default timings, no line, no reply), and the windows are a fresh Finestre whose windows
// left open are deleted when the test ends.
// TestEnv is the one place that installs the context's services (Contesto) in tests: a test that
// needs its own fake puts it in place through TestEnv, and when the TestEnv ends the context is
// emptied and its services destroyed, so nothing of one test reaches the next. One TestEnv lives
// at a time.
#include "core/AppState.h"
#include "core/Programma.h"
#include "support/ScriptedInteraction.h"
#include "support/StampantiProva.h"

#include <QMessageBox>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>
#include <functional>
#include <memory>

namespace RegLink {
class Collegamento;
}

// The program as the core windows see it in tests: what was asked of it.
class TestProgramma final : public Programma
{
public:
    void mostraMagazzinoModale() override { ++magazzinoModale; }
    void mostraMagazzino() override { ++magazzino; }
    void terminaProgramma() override { ++fine; }
    void terminaPerErroreGrave() override { ++fineErroreGrave; }
    Esito gestisciTabelleCollegate(ProgressSink&, bool& c) override
    {
        c = collegate;
        return Esito::riuscito();
    }
    Esito importaDaDatabaseEsterno(ProgressSink&) override
    {
        ++importazioni;
        if (duranteImportazione)
            duranteImportazione();
        return Esito::riuscito();
    }
    int magazzinoModale = 0;
    int magazzino = 0;
    int fine = 0;
    int fineErroreGrave = 0;
    int importazioni = 0;
    bool collegate = false;
    std::function<void()> duranteImportazione;
};

// One value read from the test database; a failed read stops the test run (the database the test
// built is broken), no row gives an invalid QVariant.
QVariant valoreDb(const QString& sql, const QVariantList& values = {});

class TestEnv
{
public:
    // `openDatabase` creates Dati/ and opens a fresh database from the schema.
    explicit TestEnv(bool openDatabase = true, double waitScale = 0.01);
    // Folders made by another process of the same test (the test that starts itself again as the
    // program): used as they are and kept when this TestEnv ends.
    struct Cartelle
    {
        QString home;
        QString config;
    };
    explicit TestEnv(const Cartelle& cartelle, bool openDatabase = true, double waitScale = 0.01);
    ~TestEnv();

    QString home() const;
    QString config() const;
    QString path(const QString& name) const; // inside the program folder
    QString setup() const;

    // Queues answers for the next message boxes (ScriptedInteraction::answers).
    void answer(std::initializer_list<QMessageBox::StandardButton> answers);
    // Every message-box text (CR LF as a line break) and timed notice shown so far, in order.
    QStringList messages() const;
    void clearMessages();

    // The services installed for this test (Contesto), destroyed when it ends.
    ScriptedInteraction& interazione();
    TestProgramma& programma();
    StampantiProva& stampanti();
    RegLink::Collegamento& collegamento();

    // Puts `i` (or `p`) in the context in place of this test's own until the next call; passing
    // interazione() (programma()) puts the test's own back. The test's own are back, in any case,
    // before the TestEnv closes its windows, so the given one need only live while it is used.
    void usaInterazione(Interaction& i);
    void usaProgramma(Programma& p);

    TestEnv(const TestEnv&) = delete;
    TestEnv& operator=(const TestEnv&) = delete;

private:
    struct Servizi;
    void installa(bool openDatabase, double waitScale);

    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<QTemporaryDir> m_config;
    QString m_percorsoHome;
    QString m_percorsoConfig;
    std::unique_ptr<Servizi> m_servizi;
};

// Whole-file reads and writes for checking exact bytes.
QByteArray readAll(const QString& path);
// Writes `bytes` to `path`, failing the running test when it cannot.
void writeRaw(const QString& path, const QByteArray& bytes);
// Runs `sql` on the SQLite file at `dbPath` (made when missing) over a side connection, failing
// the running test when it cannot: a database that is not the program's own.
void execOnFile(const QString& dbPath, const QString& sql);
