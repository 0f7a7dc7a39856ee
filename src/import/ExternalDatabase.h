#pragma once
// The linked external database: at start-up its department and article tables (Reparti,
// MAGAZZINO) are read into the snapshot tables RepartiEsterno and MAGAZZINOEsterno, made again
// each time, and then copied into Reparti and Magazzino.
#include "core/ErrorLog.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <functional>
#include <memory>

class ProgressSink;

// One table of the external database as read: its column names and its rows of typed values
// (a Null is a null QVariant).
struct TabellaEsterna
{
    QString nome;
    QStringList colonne;
    QList<QVariantList> righe;
    int colonna(const QString& nome) const; // without regard to case; -1 when missing
};

// Where the external tables come from (an Access file, or a fake in tests).
class SorgenteEsterna
{
public:
    virtual ~SorgenteEsterna() = default;
    // Reads the table whose name matches `nome` without regard to case.
    virtual Esito leggiTabella(const QString& nome, TabellaEsterna& tabella) = 0;
};

// Opens the source at a path: nullptr with `esito` set when it cannot.
using ApriSorgente = std::function<std::unique_ptr<SorgenteEsterna>(const QString& percorso, Esito& esito)>;

// Drops and makes again RepartiEsterno and MAGAZZINOEsterno from the source, in one transaction.
Esito CollegaTabelle(SorgenteEsterna& sorgente);

// The link: `collegate` true when linking is on ([TabCollegate] Gestione), [DatabaseEsterno] Quale
// names an existing file and its tables were read, so the copy is to run now. Linking off or no
// file is no failure; a source that cannot be read is (returned; the start-up window logs it and
// tells the user).
Esito GestisciTabelleCollegate(const ApriSorgente& apri, bool& collegate);
// The same over the Access file reader.
Esito GestisciTabelleCollegate(ProgressSink& progresso, bool& collegate);

// Copies the snapshots into Reparti and Magazzino in one transaction: on any failure the archive
// stays exactly as it was and the failure is returned (the start-up window logs it and tells
// the user, once).
Esito ImportaDaDatabaseEsterno(ProgressSink& progresso);
