#pragma once
// .xls workbooks are read in a child process (tavrino-xls, installed beside the program) under a
// time and memory limit: a damaged file that upsets the reading ends the child, never the program.
// Its answer is read here as hostile input: every size is bounded.
#include "import/Cartella.h"

#include <QByteArray>
#include <QString>

// What a reading of the child's answer hands its sheets and rows to.
class DestinatarioXls
{
public:
    virtual ~DestinatarioXls() = default;
    // A sheet's name, in the workbook's order.
    virtual void foglio(const QString& nome) = 0;
    // A row that holds a value, with its index in the sheet; false stops the reading.
    virtual bool riga(quint32 indice, const RigaCelle& celle) = 0;
};

// Reads the child's answer as it arrives (see tools/tavrino-xls for the records).
class ProtocolloXls
{
public:
    explicit ProtocolloXls(DestinatarioXls& destinatario) : m_destinatario(destinatario) {}

    // False on a violation of the protocol or its bounds (errore() tells which), or when the
    // destination's `riga` asked to stop (fermato()). Nothing more is accepted afterwards.
    bool aggiungi(const char* dati, qsizetype n);
    bool completo() const { return m_completo; } // the end record arrived, nothing after it
    bool fermato() const { return m_fermato; }
    int rifiuto() const { return m_rifiuto; } // the child's refusal code, 0 when none
    // A cell without a value to give (an error such as #DIV/0!, a record the child does not know)
    // arrived: errore() names its row and column.
    bool cellaIllegibile() const { return m_cellaIllegibile; }
    QString errore() const { return m_errore; }

    static constexpr quint32 kMassimoFogli = 4096;
    static constexpr quint32 kMassimoNome = 1024;             // bytes of a sheet name
    static constexpr quint32 kMassimoTesto = 4 * 32767;       // bytes of one cell's text
    static constexpr quint32 kMassimaRiga = 1048576;          // rows of a sheet
    static constexpr quint32 kMassimeColonne = 16384;         // cells of a row
    static constexpr qint64 kMassimeCelle = qint64(32) << 20; // cells of a sheet, counted to each row's last

private:
    bool violazione(const QString& e);
    qsizetype consuma(); // bytes used from m_buffer for the next unit; 0 when it is not whole yet, -1 on error

    DestinatarioXls& m_destinatario;
    QByteArray m_buffer;
    qsizetype m_pos = 0;
    int m_stato = 0; // 0 magic, 1 record, 2 cells of a row, 3 refusal code, 4 done
    bool m_completo = false;
    bool m_fermato = false;
    bool m_rotto = false;
    bool m_cellaIllegibile = false;
    int m_rifiuto = 0;
    QString m_errore;
    quint32 m_fogli = 0;
    qint64 m_ultimaRiga = -1;
    quint32 m_indiceRiga = 0;
    quint32 m_celleRestanti = 0;
    qint64 m_celle = 0;
    qint64 m_ultimaColonna = -1;
    qint64 m_ultimaPiena = -1; // the row's last cell holding a value
    RigaCelle m_riga;
};

namespace LettoreXls {

// Limits of one run of the child.
constexpr qint64 kMemoria = qint64(512) << 20; // address space
constexpr int kSecondiCpu = 60;
constexpr int kSecondiAttesa = 120; // wall clock, the caller's work on the rows included
constexpr qint64 kMassimoFile = qint64(256) << 20;

// The reader program beside the running executable.
QString eseguibile();

// Runs the child on `path` (`foglio` from 0, or -1 for the sheets' names) and feeds its answer
// to `p`. False with *errore (Italian, fit for the user) when the child is missing, crashed, ran
// out of time or memory, refused the file or answered outside the protocol; true when it answered
// completely or `p` stopped it.
bool esegui(const QString& path, int foglio, ProtocolloXls& p, QString* errore);

} // namespace LettoreXls
