#pragma once
// The IN-folder poll: each pass takes the files of the interchange IN folder ([Cartelle] IN) in
// name order, imports every central-warehouse article file (A*.txt) and variation file (B*.txt),
// keeps a copy in InterScambioINStorico under the program folder and removes it from IN. The
// pass ends at the first name that starts with neither A nor B, at a file still being written,
// or at a failure that may pass (the database busy); a file that can never be applied goes to
// IN/Scartati and the pass goes on.
#include "core/ErrorLog.h"
#include "core/Read.h"

#include <QDateTime>
#include <QSet>
#include <QString>
#include <QStringList>

class ProgressSink;
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
// Records the file as applied: run it in the transaction of the file's rows.
Esito registra(const FileIN& f);
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
    // A file whose last line stays without its line end this long is taken as cut, not as
    // still being written.
    static constexpr qint64 kSecondiIncompleto = 600;

protected:
    // Deletes a file from IN (a seam for a folder that refuses it).
    virtual bool eliminaFile(const QString& percorso);

private:
    enum class [[nodiscard]] Esame{Applicato, GiaApplicato, DaRiprovare, Scartato};
    Esame applica(const QString& percorso, const QString& nome, const QString& firma, ProgressSink& progresso,
                  Risultato& r);
    bool scarta(const QString& percorso, const QString& nome, const QString& firma, const QString& motivo,
                Risultato& r);
    bool sposta(const QString& percorso, const QString& nome, const QString& firma, QSet<QString>& lasciati);
    bool segnalaUnaVolta(const QString& firma, const QString& perche, const Esito& esito);

    Cedi::Importatore& m_importatore;
    // Files known applied (by name, size and time), so a file left in IN is not read again at
    // every pass; the database holds the record that survives a restart.
    QSet<QString> m_applicati;
    // Files that could not be moved to Scartati: passed over until they change.
    QSet<QString> m_scartati;
    QSet<QString> m_segnalati;
};
