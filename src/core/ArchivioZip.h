#pragma once
// A read-only zip archive (the package of an .xlsx workbook) through minizip's unzip: its members
// by name, each read whole or as a stream inflated on demand, so a large sheet never sits in memory
// at once. Every member is bounded by the size its caller allows and checked against its CRC;
// encrypted members and methods other than stored and deflated are refused.
#include <QIODevice>
#include <QString>
#include <memory>

// Why a member could not be read; the text of the error says it in Italian for the user.
enum class [[nodiscard]] GuastoZip{Nessuno, Assente, Danneggiato, TroppoGrande};

class FlussoZip;

class ArchivioZip
{
public:
    ArchivioZip();
    ~ArchivioZip();
    ArchivioZip(const ArchivioZip&) = delete;
    ArchivioZip& operator=(const ArchivioZip&) = delete;

    // False with *errore set when the file is not a zip archive or its directory is damaged.
    bool apri(const QString& path, QString* errore);
    bool contiene(const QString& nome) const;
    // The member whole, at most `limite` bytes once inflated; false when it is missing, damaged
    // or larger (`guasto`, when given, says which).
    bool leggi(const QString& nome, QByteArray& out, qint64 limite, QString* errore, GuastoZip* guasto = nullptr) const;
    // The member as a sequential device of at most `limite` bytes; null when it is missing or
    // larger. Damage met while reading (a bad CRC, a short member) ends the stream early and
    // shows in FlussoZip::guasto().
    std::unique_ptr<FlussoZip> flusso(const QString& nome, qint64 limite, QString* errore,
                                      GuastoZip* guasto = nullptr) const;

    // More members than any workbook has: the directory of such a file is not walked.
    static constexpr qint64 kMassimoVoci = 20000;

private:
    void* m_unz = nullptr; // the handle used for whole reads and look-ups
    QString m_path;
};

class FlussoZip final : public QIODevice
{
public:
    ~FlussoZip() override;
    bool isSequential() const override { return true; }
    bool atEnd() const override;
    // Set once the stream stopped on damaged data; errorString() tells what.
    GuastoZip guasto() const { return m_guasto; }

protected:
    qint64 readData(char* data, qint64 max) override;
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    friend class ArchivioZip;
    FlussoZip() = default;
    qint64 fine(GuastoZip g, const QString& motivo);

    void* m_unz = nullptr;
    QString m_nome;
    qint64 m_attesi = 0; // the member's inflated size as the directory gives it
    qint64 m_letti = 0;
    bool m_finito = false;
    GuastoZip m_guasto = GuastoZip::Nessuno;
};
