#pragma once
// The printers of every test (TestEnv installs a fresh one, with no printer): named printers whose
// jobs are PDF files in a folder, one new file per job named after its printer, and a default
// kept in memory. A printer listed in `guaste` cannot become the default.
#include "core/ui/Printers.h"

#include <QDir>
#include <QStringList>
#include <QTemporaryDir>

class StampantiProva final : public StampantiSistema
{
public:
    StampantiProva();

    QStringList installate() override { return nomi; }
    QString predefinita() override { return m_predefinita; }
    int impostaPredefinita(const QString& nome) override;
    std::unique_ptr<QPrinter> lavoro(const QString& nome) override;

    // Installs `nomi`; the first becomes the default (none when empty).
    void installa(const QStringList& nomi, const QStringList& guaste = {});

    QStringList nomi;
    QStringList guaste;
    QString cartella; // where the jobs land; a temporary folder of this backend by default

    // The PDF files written so far, by name.
    QStringList lavori() const;

private:
    QTemporaryDir m_dir{QDir::tempPath() + QStringLiteral("/tavrino-stampe-XXXXXX")};
    QString m_predefinita;
};

// The printers installed by the running test's TestEnv.
StampantiProva& stampantiDiProva();
