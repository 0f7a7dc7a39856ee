#pragma once
// A clean program folder for one test: TAVRINO_HOME and XDG_CONFIG_HOME point at temporary
// folders, the state is reset, waits run fast and message boxes are answered, not shown.
#include "core/AppState.h"

#include <QMessageBox>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

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
