#pragma once
// A clean program folder for one test: TAVRINO_HOME and XDG_CONFIG_HOME point at temporary
// folders, the state is reset, waits run fast and message boxes are answered, not shown.
#include "core/AppState.h"
#include "core/Interaction.h"
#include "core/ui/Programma.h"

#include <QMessageBox>
#include <QQueue>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>

// The interaction every test starts with: message boxes go through the program's message-box
// helper (answered by TestEnv::answer, listed by TestEnv::messages); the input box, the pickers
// and the technician's password are answered from these fields and recorded.
class TestInteraction final : public Interaction
{
public:
    Button ask(const QString& text, Buttons buttons, Icon icon, Button def, const QString& title) override;
    std::optional<QString> askText(const QString& prompt, const QString& title, const QString& initial) override;
    QString chooseOpenFile(const QString& title, const QString& dir, const QStringList& filters) override;
    QString chooseSaveFile(const QString& title, const QString& dir, const QStringList& filters) override;
    QString chooseFolder(const QString& title, const QString& dir) override;
    bool askTechnician() override;
    void notice(const QString& text) override;
    void showTextFile(const QString& path) override;

    QQueue<std::optional<QString>> texts; // askText answers; none left: Cancel
    QQueue<QString> paths;                // picker answers; none left: Cancel
    bool technician = true;
    int passwords = 0;      // technician questions asked
    QStringList prompts;    // askText prompts and picker titles, in order
    QStringList pickerDirs; // the folder each picker started in
    QStringList notices;    // timed notices
    QStringList filesShown; // text files shown
};

// The program as the core windows see it in tests: what was asked of it.
class TestProgramma final : public Programma
{
public:
    void mostraMagazzinoModale() override { ++magazzinoModale; }
    void mostraMagazzino() override { ++magazzino; }
    void terminaProgramma() override { ++fine; }
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
    int importazioni = 0;
    bool collegate = false;
    std::function<void()> duranteImportazione;
};

class TestEnv
{
public:
    // `openDatabase` creates Dati/ and opens a fresh database from the schema.
    explicit TestEnv(bool openDatabase = true, double waitScale = 0.01);
    ~TestEnv();

    QString home() const;
    QString config() const;
    QString path(const QString& name) const; // inside the program folder
    QString setup() const;

    // Answers the next message boxes in order; afterwards each box gets its default (first button).
    void answer(std::initializer_list<QMessageBox::StandardButton> answers);
    QStringList messages() const; // every message text shown so far
    void clearMessages();

    // The services installed for this test (Contesto), reset when the next TestEnv starts.
    TestInteraction& interazione();
    TestProgramma& programma();

    TestEnv(const TestEnv&) = delete;
    TestEnv& operator=(const TestEnv&) = delete;

private:
    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<QTemporaryDir> m_config;
};

// Whole-file reads and writes for checking exact bytes.
QByteArray readAll(const QString& path);
inline QByteArray readRaw(const QString& path)
{
    return readAll(path);
}
// Writes `bytes` to `path`, failing the running test when it cannot.
void writeRaw(const QString& path, const QByteArray& bytes);
