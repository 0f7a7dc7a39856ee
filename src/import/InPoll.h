#pragma once
// The IN-folder poll: each pass takes the files of the interchange IN folder ([Cartelle] IN) in
// name order, imports every central-warehouse article file (A*.txt) and variation file (B*.txt),
// keeps a copy in InterScambioINStorico under the program folder and removes it from IN.
//
// A file is taken only when its writer is done: no process has it open for writing (ReadLease)
// and it has stood still (size and time) for longer than one poll tick, which the poll remembers
// from one pass to the next instead of waiting. Until then it holds back the files after it, and
// so does a failure that may pass (a busy or locked database, a history folder it cannot write).
// A file that can never be applied (unreadable, not text, no line of its kind, rows the
// database refuses) goes to IN/Scartati at once and the pass goes on with the next one.
#include "core/ErrorLog.h"
#include "core/Read.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFileInfoList>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

class ProgressSink;
class ReadLease;
namespace Cedi {
class Importatore;
}

// A file of the IN folder as the record of applied files knows it.
struct FileIN
{
    QString nome;
    qint64 dimensione = 0;
    qint64 dataModifica = 0; // ms since the epoch
    QString impronta;        // SHA-256 of the content, in hex
};

namespace RegistroFileIN {
// When a file with that name, size, time and content was applied, else none.
Letto<QDateTime> applicato(const FileIN& f);
// The applied file of that name still in IN of which `contenuto` is a longer version (it grew
// after it was applied), else none.
Letto<FileIN> parteApplicata(const QString& nome, const QByteArray& contenuto);
// Records the file as applied and as the one of its name in IN: run it in the transaction of
// the file's rows.
Esito registra(const FileIN& f);
// No file of that name is in IN any more (moved to the history or set aside).
Esito uscito(const QString& nome);
} // namespace RegistroFileIN

class PollCartellaIN
{
public:
    struct [[nodiscard]] Risultato
    {
        int importati = 0;       // files applied in this pass
        bool variazioni = false; // a variation file among them (the article list is to reload)
        QStringList avvisi;      // what the article window's status line is to tell (new ones only)
    };

    explicit PollCartellaIN(Cedi::Importatore& importatore);
    virtual ~PollCartellaIN() = default;

    // One pass of ImportaDaCartellaIN. Failures are logged once per file.
    Risultato ImportaDaCartellaIN(ProgressSink& progresso);

    static QString cartellaStorico();
    // Where files that can never be applied are put: IN/Scartati.
    static QString cartellaScartati(const QString& cartellaIN);
    // A file is taken once unchanged for longer than this (one tick of tmrImporta), scaled by
    // the wait policy.
    static constexpr double kQuieteMs = 1800;

protected:
    // Deletes a file from IN (a seam for a folder that refuses it).
    virtual bool eliminaFile(const QString& percorso);

private:
    // How a file seen by `stat`, and since when (ns on m_orologio) it looks like this.
    struct Visto
    {
        qint64 dimensione = 0;
        qint64 modificaNs = 0; // since the epoch
        quint64 dispositivo = 0;
        quint64 inode = 0;
        qint64 dal = 0;
        bool operator==(const Visto& o) const
        {
            return dimensione == o.dimensione && modificaNs == o.modificaNs && dispositivo == o.dispositivo &&
                   inode == o.inode;
        }
    };
    // What becomes of the pass after a file: relist and go on, go on without it, or stop here.
    enum class [[nodiscard]] Passo{Avanti, Lascia, Ferma};

    void osserva(const QFileInfoList& elenco);
    bool quieto(const Visto& v) const;
    Passo prendi(const QString& percorso, const QString& nome, const Visto& visto, const QString& firma,
                 ProgressSink& progresso, Risultato& r);
    Passo applica(const QString& nome, const FileIN& file, const QByteArray& contenuto, const QString& firma,
                  ProgressSink& progresso, Risultato& r, const QString& percorso);
    Passo archivia(ReadLease& aperto, const QString& percorso, const FileIN& file, const QByteArray& contenuto,
                   const QString& firma);
    Passo scarta(const QString& percorso, const QString& nome, const QString& firma, const QString& motivo,
                 Risultato& r);
    bool segnalaUnaVolta(const QString& firma, const QString& perche, const Esito& esito);

    Cedi::Importatore& m_importatore;
    QElapsedTimer m_orologio;
    QHash<QString, Visto> m_visti; // by name, the files of the last listing
    // Files known applied (by name, size, time and inode) with their content's SHA-256, so one
    // left in IN is not looked up again at every pass; the database holds the record that
    // survives a restart.
    QHash<QString, QString> m_applicati;
    // Files that could not be moved to Scartati: passed over until they change.
    QSet<QString> m_scartati;
    QSet<QString> m_segnalati;
};
