#include "import/InPoll.h"

#include "core/AppState.h"
#include "core/ErrorLog.h"
#include "core/Paths.h"
#include "core/Wait.h"
#include "core/config/Cartelle.h"
#include "import/Cedi.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const QString kModulo = QStringLiteral("Magazzino");
const QString kProcedura = QStringLiteral("ImportaDaCartellaIN");

QString firmaDi(const QFileInfo& f)
{
    return f.fileName() + QLatin1Char('|') + QString::number(f.size()) + QLatin1Char('|') +
           QString::number(f.lastModified().toMSecsSinceEpoch());
}

} // namespace

PollCartellaIN::PollCartellaIN(Cedi::Importatore& importatore) : m_importatore(importatore) {}

PollCartellaIN& pollCartellaIN()
{
    static PollCartellaIN p(Cedi::importatore());
    return p;
}

QString PollCartellaIN::cartellaStorico()
{
    return Paths::inProgramFolder(QStringLiteral("InterScambioINStorico"));
}

void PollCartellaIN::segnalaUnaVolta(const QString& firma, const QString& perche, const Esito& esito)
{
    const QString chiave = perche + QLatin1Char('|') + firma;
    if (m_segnalati.contains(chiave))
        return;
    m_segnalati.insert(chiave);
    ScriviErrore(kModulo, kProcedura, esito);
}

PollCartellaIN::Risultato PollCartellaIN::ImportaDaCartellaIN(ProgressSink& progresso)
{
    Risultato r;
    const QString cartella = Config::Cartelle::leggi().in;
    if (cartella.isEmpty())
        return r;
    const QDir in(cartella);
    if (!in.exists())
        return r;
    Cedi::ImportazioneInCorso inCorso;
    // Files of this pass left in IN after their import (the delete was refused).
    QSet<QString> lasciati;
    for (;;) {
        const QFileInfoList elenco =
            in.entryInfoList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name | QDir::IgnoreCase);
        const QFileInfo* primo = nullptr;
        for (const QFileInfo& f : elenco) {
            if (!lasciati.contains(f.fileName())) {
                primo = &f;
                break;
            }
        }
        if (!primo)
            return r;
        const QString nome = primo->fileName();
        const QString percorso = primo->absoluteFilePath();
        const QChar tipo = nome.at(0).toUpper();
        if (tipo != QLatin1Char('A') && tipo != QLatin1Char('B'))
            return r;
        const QString firma = firmaDi(*primo);
        if (!m_applicati.contains(firma)) {
            AttesaSenzaInput(1000);
            const Esito e = tipo == QLatin1Char('A') ? m_importatore.DatiPLUSigma(percorso, progresso)
                                                     : m_importatore.DatiPLUVar(percorso, progresso);
            if (!e) {
                // The file stays in IN and is tried again at the next pass.
                Esito conNome = e;
                conNome.descrizione = nome + QStringLiteral(": ") + e.descrizione;
                segnalaUnaVolta(firma, QStringLiteral("importa"), conNome);
                return r;
            }
            m_applicati.insert(firma);
            ++r.importati;
            r.variazioni = r.variazioni || tipo == QLatin1Char('B');
        }
        if (!sposta(percorso, nome, firma, lasciati))
            return r;
    }
}

bool PollCartellaIN::eliminaFile(const QString& percorso)
{
    return QFile::remove(percorso);
}

// Copies the applied file into the history folder and then deletes it from IN. A failed copy
// ends the pass (the file stays in IN, not applied again); a refused delete leaves it there.
bool PollCartellaIN::sposta(const QString& percorso, const QString& nome, const QString& firma, QSet<QString>& lasciati)
{
    const QDir storico(cartellaStorico());
    if (!QDir().mkpath(storico.path())) {
        segnalaUnaVolta(firma, QStringLiteral("storico"), Esito::fallito(VbErr::PathNotFound, storico.path()));
        return false;
    }
    const QString copia = storico.filePath(nome);
    const QString temporanea = copia + QStringLiteral(".copia");
    QFile::remove(temporanea);
    const bool copiato = QFile::copy(percorso, temporanea) && (!QFile::exists(copia) || QFile::remove(copia)) &&
                         QFile::rename(temporanea, copia);
    if (!copiato) {
        QFile::remove(temporanea);
        segnalaUnaVolta(firma, QStringLiteral("copia"),
                        Esito::fallito(VbErr::PermissionDenied, percorso + QStringLiteral(" -> ") + copia));
        return false;
    }
    if (!eliminaFile(percorso)) {
        segnalaUnaVolta(firma, QStringLiteral("elimina"), Esito::fallito(VbErr::PermissionDenied, percorso));
        lasciati.insert(nome);
        return true;
    }
    m_applicati.remove(firma);
    return true;
}
