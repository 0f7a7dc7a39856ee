#pragma once
// The IN-folder poll: each pass takes the files of the interchange IN folder ([Cartelle] IN) in
// name order, imports every central-warehouse article file (A*.txt) and variation file (B*.txt),
// keeps a copy in InterScambioINStorico under the program folder and removes it from IN. The
// pass ends at the first name that starts with neither A nor B, or at the first failure.
#include "core/ErrorLog.h"

#include <QHash>
#include <QSet>
#include <QString>

class ProgressSink;
namespace Cedi {
class Importatore;
}

class PollCartellaIN
{
public:
    struct Risultato
    {
        int importati = 0;       // files applied in this pass
        bool variazioni = false; // a variation file among them (the article list is to reload)
    };

    explicit PollCartellaIN(Cedi::Importatore& importatore);
    virtual ~PollCartellaIN() = default;

    // One pass of ImportaDaCartellaIN. Failures are logged once per file, never shown.
    Risultato ImportaDaCartellaIN(ProgressSink& progresso);

    static QString cartellaStorico();

protected:
    // Deletes a file from IN (a seam for a folder that refuses it).
    virtual bool eliminaFile(const QString& percorso);

private:
    bool sposta(const QString& percorso, const QString& nome, const QString& firma, QSet<QString>& lasciati);
    void segnalaUnaVolta(const QString& firma, const QString& perche, const Esito& esito);

    Cedi::Importatore& m_importatore;
    // Files applied but still in IN (the copy or the delete failed), by name, size and time:
    // they are never applied again in this run.
    QSet<QString> m_applicati;
    QSet<QString> m_segnalati;
};

// The program's poll, over the program's import engines.
PollCartellaIN& pollCartellaIN();
