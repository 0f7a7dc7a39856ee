#include "import/InPoll.h"

#include "core/AppState.h"
#include "core/Database.h"
#include "core/ErrorLog.h"
#include "core/Paths.h"
#include "core/VbConvert.h"
#include "core/Wait.h"
#include "core/config/Cartelle.h"
#include "import/Cedi.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

namespace {

const QString kModulo = QStringLiteral("Magazzino");
const QString kProcedura = QStringLiteral("ImportaDaCartellaIN");

QString firmaDi(const QFileInfo& f)
{
    return f.fileName() + QLatin1Char('|') + QString::number(f.size()) + QLatin1Char('|') +
           QString::number(f.lastModified().toMSecsSinceEpoch());
}

bool stessoStato(const QFileInfo& a, const QFileInfo& b)
{
    return a.exists() && b.exists() && a.size() == b.size() && a.lastModified() == b.lastModified();
}

QString dataOra(const QDateTime& d)
{
    return Vb::formatDate(d.date()) + QLatin1Char(' ') + Vb::formatTime(d.time());
}

// A name in `cartella` not taken yet: "A1.txt", else "A1 (2).txt" and so on.
QString nomeLibero(const QDir& cartella, const QString& nome)
{
    const QFileInfo f(nome);
    QString candidato = nome;
    for (int n = 2; QFileInfo::exists(cartella.filePath(candidato)) && n < 10000; ++n)
        candidato = f.completeBaseName() + QStringLiteral(" (%1)").arg(n) +
                    (f.suffix().isEmpty() ? QString() : QLatin1Char('.') + f.suffix());
    return cartella.filePath(candidato);
}

} // namespace

namespace RegistroFileIN {

Letto<QDateTime> applicato(const FileIN& f)
{
    QSqlQuery q = Db::query(QStringLiteral("SELECT Applicato FROM FileINApplicati WHERE Nome = ? AND Dimensione = ? "
                                           "AND DataModifica = ? AND Impronta = ? LIMIT 1"),
                            {f.nome, f.dimensione, f.dataModifica, f.impronta});
    if (!q.isActive())
        return Letto<QDateTime>::fallito(q.lastError().text());
    if (!q.next())
        return q.lastError().isValid() ? Letto<QDateTime>::fallito(q.lastError().text()) : Letto<QDateTime>::assente();
    return Letto<QDateTime>::trovato(QDateTime::fromString(q.value(0).toString(), Qt::ISODate));
}

Esito registra(const FileIN& f)
{
    QString errore;
    if (!Db::exec(
            QStringLiteral("INSERT INTO FileINApplicati (Nome, Dimensione, DataModifica, Impronta, Applicato) "
                           "VALUES (?, ?, ?, ?, ?) ON CONFLICT (Nome, Dimensione, DataModifica, Impronta) "
                           "DO UPDATE SET Applicato = excluded.Applicato"),
            {f.nome, f.dimensione, f.dataModifica, f.impronta, QDateTime::currentDateTime().toString(Qt::ISODate)},
            &errore))
        return Esito::fallito(VbErr::DatabaseError, errore);
    return Esito::riuscito();
}

} // namespace RegistroFileIN

PollCartellaIN::PollCartellaIN(Cedi::Importatore& importatore) : m_importatore(importatore) {}

QString PollCartellaIN::cartellaStorico()
{
    return Paths::inProgramFolder(QStringLiteral("InterScambioINStorico"));
}

QString PollCartellaIN::cartellaScartati(const QString& cartellaIN)
{
    return QDir(cartellaIN).filePath(QStringLiteral("Scartati"));
}

// True the first time this file meets this trouble (then it is logged); false after.
bool PollCartellaIN::segnalaUnaVolta(const QString& firma, const QString& perche, const Esito& esito)
{
    const QString chiave = perche + QLatin1Char('|') + firma;
    if (m_segnalati.contains(chiave))
        return false;
    m_segnalati.insert(chiave);
    ScriviErrore(kModulo, kProcedura, esito);
    return true;
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
    // Files of this pass left in IN (applied but not deletable, or refused and not movable).
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
        if (m_scartati.contains(firma)) {
            lasciati.insert(nome);
            continue;
        }
        if (!m_applicati.contains(firma)) {
            switch (applica(percorso, nome, firma, progresso, r)) {
            case Esame::Applicato:
            case Esame::GiaApplicato:
                break;
            case Esame::DaRiprovare:
                return r;
            case Esame::Scartato:
                lasciati.insert(nome);
                continue;
            }
        }
        if (!sposta(percorso, nome, firma, lasciati))
            return r;
    }
}

// Waits for the file to stand still, reads it whole, and applies it with its record in one
// transaction, unless the record says it was applied already.
PollCartellaIN::Esame PollCartellaIN::applica(const QString& percorso, const QString& nome, const QString& firma,
                                              ProgressSink& progresso, Risultato& r)
{
    const QFileInfo prima(percorso);
    AttesaSenzaInput(1000);
    const QFileInfo dopo(percorso);
    if (!stessoStato(prima, dopo))
        return Esame::DaRiprovare; // still being written (or gone): the next tick looks again

    QByteArray contenuto;
    Esito e;
    if (!Cedi::leggiFile(percorso, contenuto, e)) {
        // It may pass (a writer holding it, permissions put right): kept, and the pass waits for it.
        const QString motivo = e.descrizione;
        e.descrizione = nome + QStringLiteral(": non si può leggere, resta in IN: ") + motivo;
        if (segnalaUnaVolta(firma, QStringLiteral("leggi"), e))
            r.avvisi << QStringLiteral("Il file %1 della cartella IN non si può leggere: %2").arg(nome, motivo);
        return Esame::DaRiprovare;
    }
    if (contenuto.size() <= Cedi::kDimensioneMassima && contenuto.size() != dopo.size())
        return Esame::DaRiprovare;

    const FileIN file{nome, dopo.size(), dopo.lastModified().toMSecsSinceEpoch(),
                      QString::fromLatin1(QCryptographicHash::hash(contenuto, QCryptographicHash::Sha256).toHex())};
    const Letto<QDateTime> gia = RegistroFileIN::applicato(file);
    if (!gia.ok) {
        segnalaUnaVolta(firma, QStringLiteral("registro"),
                        Esito::fallito(VbErr::DatabaseError, nome + QStringLiteral(": ") + gia.errore));
        return Esame::DaRiprovare;
    }
    if (gia.valore) {
        m_applicati.insert(firma);
        segnalaUnaVolta(firma, QStringLiteral("gia"),
                        Esito::fallito(VbErr::FileAlreadyExists, nome + QStringLiteral(": già importato il ") +
                                                                     dataOra(*gia.valore) +
                                                                     QStringLiteral(", non viene importato di nuovo")));
        return Esame::GiaApplicato;
    }

    const Cedi::TipoFile tipo =
        nome.at(0).toUpper() == QLatin1Char('A') ? Cedi::TipoFile::Articoli : Cedi::TipoFile::Variazioni;
    Cedi::EsameFile esame = Cedi::esaminaFile(contenuto, tipo);
    contenuto.clear();
    const bool giovane = dopo.lastModified().secsTo(QDateTime::currentDateTime()) < kSecondiIncompleto;
    if (esame.stato == Cedi::EsameFile::Stato::Incompleto || file.dimensione == 0) {
        if (giovane)
            return Esame::DaRiprovare;
        // Left cut for too long: its writer is gone.
        if (esame.stato == Cedi::EsameFile::Stato::Incompleto) {
            esame.stato = Cedi::EsameFile::Stato::Scartato;
            esame.motivo = QStringLiteral("l'ultima riga è rimasta senza fine riga per più di %1 minuti")
                               .arg(kSecondiIncompleto / 60);
        }
    }
    if (esame.stato == Cedi::EsameFile::Stato::Scartato) {
        scarta(percorso, nome, firma, esame.motivo, r);
        return Esame::Scartato;
    }

    Db::Transaction t;
    e = t.ok() ? Esito::riuscito() : Esito::fallito(VbErr::DatabaseError, QStringLiteral("transaction"));
    if (e)
        e = tipo == Cedi::TipoFile::Articoli ? m_importatore.DatiPLUSigma(esame.righe, progresso)
                                             : m_importatore.DatiPLUVar(esame.righe, progresso);
    if (e)
        e = RegistroFileIN::registra(file);
    if (e && !t.commit())
        e = Esito::fallito(VbErr::DatabaseError, QStringLiteral("commit"));
    if (!e) {
        // The archive as before; the file stays in IN and is tried again at the next pass.
        t.rollback();
        e.descrizione = nome + QStringLiteral(": ") + e.descrizione;
        segnalaUnaVolta(firma, QStringLiteral("importa"), e);
        return Esame::DaRiprovare;
    }
    m_applicati.insert(firma);
    ++r.importati;
    r.variazioni = r.variazioni || tipo == Cedi::TipoFile::Variazioni;
    return Esame::Applicato;
}

// A file that can never be applied goes to IN/Scartati, logged and told once.
bool PollCartellaIN::scarta(const QString& percorso, const QString& nome, const QString& firma, const QString& motivo,
                            Risultato& r)
{
    const QDir scartati(cartellaScartati(QFileInfo(percorso).absolutePath()));
    const QString destinazione = nomeLibero(scartati, nome);
    if (QDir().mkpath(scartati.path()) && QFile::rename(percorso, destinazione)) {
        ScriviErrore(kModulo, kProcedura,
                     nome + QStringLiteral(": non importato, spostato in ") + destinazione + QStringLiteral(": ") +
                         motivo,
                     QStringLiteral("0"));
        r.avvisi << QStringLiteral("Il file %1 non è stato importato ed è stato spostato in %2: %3")
                        .arg(nome, QDir::toNativeSeparators(scartati.path()), motivo);
        return true;
    }
    m_scartati.insert(firma);
    const Esito e = Esito::fallito(
        VbErr::PermissionDenied, nome + QStringLiteral(": non importato (") + motivo +
                                     QStringLiteral("), resta in IN perché non si può spostare in ") + scartati.path());
    if (segnalaUnaVolta(firma, QStringLiteral("scarta"), e))
        r.avvisi << QStringLiteral("Il file %1 non è stato importato e resta nella cartella IN: %2").arg(nome, motivo);
    return false;
}

bool PollCartellaIN::eliminaFile(const QString& percorso)
{
    return QFile::remove(percorso);
}

// Copies the applied file into the history folder and then deletes it from IN. A failed copy
// ends the pass (the file stays in IN, not applied again); a refused delete leaves it there.
bool PollCartellaIN::sposta(const QString& percorso, const QString& nome, const QString& firma, QSet<QString>& lasciati)
{
    const QString restaInIN = nome + QStringLiteral(": importato, ma resta in IN perché ");
    const QDir storico(cartellaStorico());
    if (!QDir().mkpath(storico.path())) {
        segnalaUnaVolta(
            firma, QStringLiteral("storico"),
            Esito::fallito(VbErr::PathNotFound, restaInIN + QStringLiteral("non si può creare ") + storico.path()));
        return false;
    }
    const QString copia = storico.filePath(nome);
    const QString temporanea = copia + QStringLiteral(".copia");
    QFile::remove(temporanea);
    QFile sorgente(percorso);
    const bool copiato = sorgente.copy(temporanea) && (!QFile::exists(copia) || QFile::remove(copia)) &&
                         QFile::rename(temporanea, copia);
    if (!copiato) {
        QFile::remove(temporanea);
        segnalaUnaVolta(firma, QStringLiteral("copia"),
                        Esito::fallito(VbErr::PermissionDenied, restaInIN + QStringLiteral("non si può copiare in ") +
                                                                    copia + QStringLiteral(" (") +
                                                                    sorgente.errorString() + QLatin1Char(')')));
        return false;
    }
    if (!eliminaFile(percorso)) {
        segnalaUnaVolta(firma, QStringLiteral("elimina"),
                        Esito::fallito(VbErr::PermissionDenied,
                                       restaInIN + QStringLiteral("la cartella non ne permette l'eliminazione; "
                                                                  "non verrà importato di nuovo")));
        lasciati.insert(nome);
        return true;
    }
    m_applicati.remove(firma);
    return true;
}
