#pragma once
// A read-only zip archive (the package of an .xlsx workbook): its members by name, each read
// whole or as a stream inflated on demand, so a large sheet never sits in memory at once.
// Stored and deflated members are read; anything else (zip64, encryption, other methods) is
// refused. Written on zlib alone: a zip library that exports minizip's names would take over
// the minizip functions that the spreadsheet writer (libxlsxwriter) calls in the same program.
#include <QFile>
#include <QHash>
#include <QIODevice>
#include <QString>
#include <memory>

class ArchivioZip
{
public:
    bool apri(const QString& path, QString* errore);
    bool contiene(const QString& nome) const { return m_voci.contains(nome.toLower()); }
    // The member whole; false when it is missing or damaged.
    bool leggi(const QString& nome, QByteArray& out, QString* errore) const;
    // The member as a sequential device; null when it is missing or not readable. The device
    // reports damage through errorString() and by ending early (see danneggiato()).
    std::unique_ptr<QIODevice> flusso(const QString& nome, QString* errore) const;

    struct Voce
    {
        quint16 metodo = 0;
        quint16 flag = 0;
        quint32 compressa = 0;
        quint32 estesa = 0;
        quint32 offsetLocale = 0;
    };

private:
    QString m_path;
    QHash<QString, Voce> m_voci; // by lower-case name
};

// True when the device that flusso() returned stopped on damaged data.
bool danneggiato(const QIODevice& d);
