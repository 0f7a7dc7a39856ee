#include "import/InPoll.h"

#include "core/AppState.h"
#include "core/Database.h"
#include "core/ErrorLog.h"
#include "core/Paths.h"
#include "core/TextFile.h"
#include "core/VbConvert.h"
#include "core/config/Cartelle.h"
#include "import/Cedi.h"
#include "import/ReadLease.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

#include <cerrno>
#include <sys/stat.h>

namespace {

const QString kModulo = QStringLiteral("Magazzino");
const QString kProcedura = QStringLiteral("ImportaDaCartellaIN");

QString dataOra(const QDateTime& d)
{
    return Vb::formatDate(d.date()) + QLatin1Char(' ') + Vb::formatTime(d.time());
}

QString impronta(QByteArrayView contenuto)
{
    return QString::fromLatin1(QCryptographicHash::hash(contenuto, QCryptographicHash::Sha256).toHex());
}

qint64 modificaNs(const struct stat& s)
{
    return qint64(s.st_mtim.tv_sec) * 1000000000 + s.st_mtim.tv_nsec;
}

// A name in `cartella` not taken yet (not even by a dangling link): "A1.txt", else "A1 (2).txt"
// and so on.
QString nomeLibero(const QDir& cartella, const QString& nome)
{
    const QFileInfo f(nome);
    const auto preso = [&](const QString& n) {
        const QFileInfo i(cartella.filePath(n));
        return i.exists() || i.isSymLink();
    };
    QString candidato = nome;
    for (int n = 2; preso(candidato) && n < 10000; ++n)
        candidato = f.completeBaseName() + QStringLiteral(" (%1)").arg(n) +
                    (f.suffix().isEmpty() ? QString() : QLatin1Char('.') + f.suffix());
    return cartella.filePath(candidato);
}

// A failed read of the record of applied files, naming the file.
Esito registroFallito(const QString& nome, const QString& errore)
{
    Esito e = Esito::fallito(VbErr::DatabaseError, errore);
    e.descrizione = nome + QStringLiteral(": ") + e.descrizione;
    return e;
}

// A line for the log that reports, with no error number.
Esito nota(const QString& testo)
{
    Esito e;
    e.ok = false;
    e.descrizione = testo;
    return e;
}

bool terminaARiga(QByteArrayView b)
{
    return b.isEmpty() || b.back() == '\n' || b.back() == '\r';
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

Letto<FileIN> parteApplicata(const QString& nome, const QByteArray& contenuto)
{
    QSqlQuery q = Db::query(QStringLiteral("SELECT Dimensione, DataModifica, Impronta FROM FileINApplicati "
                                           "WHERE Nome = ? AND RestaInIN <> 0 AND Dimensione < ? "
                                           "ORDER BY Dimensione DESC"),
                            {nome, qint64(contenuto.size())});
    if (!q.isActive())
        return Letto<FileIN>::fallito(q.lastError().text());
    while (q.next()) {
        const FileIN f{nome, q.value(0).toLongLong(), q.value(1).toLongLong(), q.value(2).toString()};
        if (f.dimensione >= 0 && impronta(QByteArrayView(contenuto).first(qsizetype(f.dimensione))) == f.impronta)
            return Letto<FileIN>::trovato(f);
    }
    return q.lastError().isValid() ? Letto<FileIN>::fallito(q.lastError().text()) : Letto<FileIN>::assente();
}

Esito registra(const FileIN& f)
{
    QString errore;
    // One applied version of a name is in IN at a time: this one.
    if (!uscito(f.nome) ||
        !Db::exec(
            QStringLiteral("INSERT INTO FileINApplicati (Nome, Dimensione, DataModifica, Impronta, Applicato, "
                           "RestaInIN) VALUES (?, ?, ?, ?, ?, 1) ON CONFLICT (Nome, Dimensione, DataModifica, "
                           "Impronta) DO UPDATE SET Applicato = excluded.Applicato, RestaInIN = 1"),
            {f.nome, f.dimensione, f.dataModifica, f.impronta, QDateTime::currentDateTime().toString(Qt::ISODate)},
            &errore))
        return Esito::fallito(VbErr::DatabaseError, errore.isEmpty() ? QStringLiteral("FileINApplicati") : errore);
    return Esito::riuscito();
}

Esito uscito(const QString& nome)
{
    QString errore;
    if (!Db::exec(QStringLiteral("UPDATE FileINApplicati SET RestaInIN = 0 WHERE Nome = ? AND RestaInIN <> 0"), {nome},
                  &errore))
        return Esito::fallito(VbErr::DatabaseError, errore);
    return Esito::riuscito();
}

} // namespace RegistroFileIN

PollCartellaIN::PollCartellaIN(Cedi::Importatore& importatore) : m_importatore(importatore)
{
    m_orologio.start();
}

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

// Remembers how every listed file looks, and since when: a file that changed starts again.
void PollCartellaIN::osserva(const QFileInfoList& elenco)
{
    QHash<QString, Visto> visti;
    const qint64 adesso = m_orologio.nsecsElapsed();
    for (const QFileInfo& f : elenco) {
        struct stat s = {};
        if (::stat(QFile::encodeName(f.absoluteFilePath()).constData(), &s) != 0)
            continue;
        Visto v{qint64(s.st_size), modificaNs(s), quint64(s.st_dev), quint64(s.st_ino), adesso};
        const auto prima = m_visti.constFind(f.fileName());
        if (prima != m_visti.cend() && *prima == v)
            v.dal = prima->dal;
        visti.insert(f.fileName(), v);
    }
    m_visti = std::move(visti);
}

bool PollCartellaIN::quieto(const Visto& v) const
{
    // Waits scaled to nothing (tests that are not about it) take a file at first sight.
    const qint64 soglia = qint64(app().wait.ms(kQuieteMs)) * 1000000;
    return soglia == 0 || m_orologio.nsecsElapsed() - v.dal > soglia;
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
    // A timer runs the poll: a database another program holds is not waited for, the file stays
    // in IN and the next tick tries again.
    const Db::AttesaBreve breve;
    // Files of this pass left in IN (applied but not deletable, or refused and not movable).
    QSet<QString> lasciati;
    for (;;) {
        const QFileInfoList elenco =
            in.entryInfoList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name | QDir::IgnoreCase);
        osserva(elenco);
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
        const QChar tipo = nome.at(0).toUpper();
        if (tipo != QLatin1Char('A') && tipo != QLatin1Char('B'))
            return r;
        const auto visto = m_visti.constFind(nome);
        if (visto == m_visti.cend()) { // gone since the listing
            lasciati.insert(nome);
            continue;
        }
        const QString firma = nome + QLatin1Char('|') + QString::number(visto->dimensione) + QLatin1Char('|') +
                              QString::number(visto->modificaNs) + QLatin1Char('|') + QString::number(visto->inode);
        if (m_scartati.contains(firma)) {
            lasciati.insert(nome);
            continue;
        }
        if (!quieto(*visto))
            return r; // its writer may not be done: it and the files after it wait
        switch (prendi(primo->absoluteFilePath(), nome, *visto, firma, progresso, r)) {
        case Passo::Avanti:
            break;
        case Passo::Lascia:
            lasciati.insert(nome);
            break;
        case Passo::Ferma:
            return r;
        }
    }
}

// Opens a file that stood still, makes sure no process writes it, reads it and applies it
// (unless it was applied already), then archives it; the read lease is held throughout, so a
// writer that comes back in the meantime is seen.
PollCartellaIN::Passo PollCartellaIN::prendi(const QString& percorso, const QString& nome, const Visto& visto,
                                             const QString& firma, ProgressSink& progresso, Risultato& r)
{
    ReadLease aperto(percorso);
    switch (aperto.stato()) {
    case ReadLease::Stato::NonAperto: {
        const QFileInfo info(percorso);
        if (aperto.numeroErrore() == ENOENT && !info.isSymLink())
            return Passo::Avanti; // gone meanwhile
        struct stat s = {};
        if (::stat(QFile::encodeName(percorso).constData(), &s) == 0 &&
            ReadLease::apertoInScrittura(s.st_dev, s.st_ino))
            return Passo::Ferma; // its writer may yet make it readable
        return scarta(percorso, nome, firma,
                      QStringLiteral("non si può leggere (") + aperto.errore() + QLatin1Char(')'), r);
    }
    case ReadLease::Stato::InScrittura:
        return Passo::Ferma;
    case ReadLease::Stato::Libero:
        break;
    }
    const struct stat& s = aperto.info();
    if (qint64(s.st_size) != visto.dimensione || modificaNs(s) != visto.modificaNs || quint64(s.st_ino) != visto.inode)
        return Passo::Ferma; // changed since it was seen: the next pass sees it anew

    QByteArray contenuto;
    if (!aperto.leggi(contenuto, Cedi::kDimensioneMassima + 1))
        return scarta(percorso, nome, firma,
                      QStringLiteral("non si può leggere (") + aperto.errore() + QLatin1Char(')'), r);
    if ((contenuto.size() <= Cedi::kDimensioneMassima && contenuto.size() != visto.dimensione) ||
        !aperto.ancoraLibero())
        return Passo::Ferma;

    const FileIN file{nome, visto.dimensione, visto.modificaNs / 1000000, impronta(contenuto)};
    if (m_applicati.value(firma) == file.impronta)
        return archivia(aperto, percorso, file, contenuto, firma);
    const Letto<QDateTime> gia = RegistroFileIN::applicato(file);
    if (!gia.ok) {
        segnalaUnaVolta(firma, QStringLiteral("registro"), registroFallito(nome, gia.errore));
        return Passo::Ferma;
    }
    if (gia.valore) {
        m_applicati.insert(firma, file.impronta);
        segnalaUnaVolta(firma, QStringLiteral("gia"),
                        Esito::fallito(VbErr::FileAlreadyExists, nome + QStringLiteral(": già importato il ") +
                                                                     dataOra(*gia.valore) +
                                                                     QStringLiteral(", non viene importato di nuovo")));
        return archivia(aperto, percorso, file, contenuto, firma);
    }
    const Passo p = applica(nome, file, contenuto, firma, progresso, r, percorso);
    if (p != Passo::Avanti || !m_applicati.contains(firma))
        return p;
    return archivia(aperto, percorso, file, contenuto, firma);
}

// Applies the file (or, when it grew after a part of it was applied, the rest) with its record in
// one transaction. Avanti with the file in m_applicati when applied; a file set aside is Avanti or
// Lascia without it.
PollCartellaIN::Passo PollCartellaIN::applica(const QString& nome, const FileIN& file, const QByteArray& contenuto,
                                              const QString& firma, ProgressSink& progresso, Risultato& r,
                                              const QString& percorso)
{
    const Cedi::TipoFile tipo =
        nome.at(0).toUpper() == QLatin1Char('A') ? Cedi::TipoFile::Articoli : Cedi::TipoFile::Variazioni;
    const Letto<FileIN> parte = RegistroFileIN::parteApplicata(nome, contenuto);
    if (!parte.ok) {
        segnalaUnaVolta(firma, QStringLiteral("registro"), registroFallito(nome, parte.errore));
        return Passo::Ferma;
    }
    Cedi::EsameFile esame = Cedi::esaminaFile(contenuto, tipo);
    if (esame.stato == Cedi::EsameFile::Stato::Scartato)
        return scarta(percorso, nome, firma, esame.motivo, r);
    qsizetype primaDaApplicare = 0;
    if (parte.valore) {
        // It grew after it was applied: its first lines are in the archive already.
        const QByteArrayView applicata = QByteArrayView(contenuto).first(qsizetype(parte.valore->dimensione));
        const Cedi::EsameFile prima = Cedi::esaminaFile(applicata.toByteArray(), tipo);
        const qsizetype n = prima.righe.size();
        if (!terminaARiga(applicata) || prima.stato != Cedi::EsameFile::Stato::Pronto ||
            esame.righe.first(qMin(n, esame.righe.size())) != prima.righe)
            return scarta(percorso, nome, firma,
                          QStringLiteral("è cresciuto dopo che ne erano state importate le prime %1 righe (%2 byte), "
                                         "ma non a fine riga: il resto non è stato importato")
                              .arg(n)
                              .arg(parte.valore->dimensione),
                          r);
        primaDaApplicare = n;
    }

    Db::Transaction t;
    Esito e = t.ok() ? Esito::riuscito() : Esito::fallito(VbErr::DatabaseError, t.errore());
    if (e)
        e = tipo == Cedi::TipoFile::Articoli ? m_importatore.DatiPLUSigma(esame.righe, progresso, primaDaApplicare)
                                             : m_importatore.DatiPLUVar(esame.righe, progresso, primaDaApplicare);
    if (e)
        e = RegistroFileIN::registra(file);
    if (e && !t.commit())
        e = Esito::fallito(VbErr::DatabaseError, t.errore());
    if (!e) {
        t.rollback();
        if (e.numero == int(VbErr::RowRefused)) // no retry mends it
            return scarta(percorso, nome, firma, e.descrizione, r);
        // The archive as before; the file stays in IN, it and the files after it wait for the
        // next pass (a busy or locked database).
        e.descrizione = nome + QStringLiteral(": ") + e.descrizione;
        segnalaUnaVolta(firma, QStringLiteral("importa"), e);
        return Passo::Ferma;
    }
    if (parte.valore)
        ScriviErrore(kModulo, kProcedura,
                     nome + QStringLiteral(": cresciuto dopo l'importazione, importate le %1 righe nuove")
                                .arg(esame.righe.size() - primaDaApplicare),
                     QStringLiteral("0"));
    m_applicati.insert(firma, file.impronta);
    ++r.importati;
    r.variazioni = r.variazioni || tipo == Cedi::TipoFile::Variazioni;
    return Passo::Avanti;
}

// A file that can never be applied goes to IN/Scartati, logged and told once.
PollCartellaIN::Passo PollCartellaIN::scarta(const QString& percorso, const QString& nome, const QString& firma,
                                             const QString& motivo, Risultato& r)
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
        const Esito e = RegistroFileIN::uscito(nome);
        if (!e)
            segnalaUnaVolta(firma, QStringLiteral("uscito"), e);
        return Passo::Avanti;
    }
    m_scartati.insert(firma);
    const Esito e = Esito::fallito(
        VbErr::PermissionDenied, nome + QStringLiteral(": non importato (") + motivo +
                                     QStringLiteral("), resta in IN perché non si può spostare in ") + scartati.path());
    if (segnalaUnaVolta(firma, QStringLiteral("scarta"), e))
        r.avvisi << QStringLiteral("Il file %1 non è stato importato e resta nella cartella IN: %2").arg(nome, motivo);
    return Passo::Lascia;
}

bool PollCartellaIN::eliminaFile(const QString& percorso)
{
    return QFile::remove(percorso);
}

// Copies the applied content into the history folder and deletes the file from IN, once sure it
// is still the file applied: the same inode, size, time and SHA-256, and no writer since it was
// opened. One that changed stays in IN (what it gained is applied when its writer is done) and
// holds the pass; a failed copy ends the pass too; a refused delete leaves it there.
PollCartellaIN::Passo PollCartellaIN::archivia(ReadLease& aperto, const QString& percorso, const FileIN& file,
                                               const QByteArray& contenuto, const QString& firma)
{
    const QString nome = file.nome;
    const QString restaInIN = nome + QStringLiteral(": importato, ma resta in IN perché ");
    const auto ancoraLui = [&] {
        struct stat s = {};
        QByteArray adesso;
        return aperto.ancoraLibero() && ::stat(QFile::encodeName(percorso).constData(), &s) == 0 &&
               s.st_dev == aperto.info().st_dev && s.st_ino == aperto.info().st_ino &&
               qint64(s.st_size) == file.dimensione && modificaNs(s) / 1000000 == file.dataModifica &&
               aperto.leggi(adesso, Cedi::kDimensioneMassima + 1) && adesso.size() == contenuto.size() &&
               impronta(adesso) == file.impronta;
    };
    if (!ancoraLui()) {
        segnalaUnaVolta(firma, QStringLiteral("cambiato"),
                        nota(restaInIN + QStringLiteral("è stato riaperto in scrittura o è cambiato dopo "
                                                        "l'importazione; quello che vi è stato aggiunto "
                                                        "verrà importato quando è completo")));
        return Passo::Ferma;
    }

    const QDir storico(cartellaStorico());
    if (!QDir().mkpath(storico.path())) {
        segnalaUnaVolta(
            firma, QStringLiteral("storico"),
            Esito::fallito(VbErr::PathNotFound, restaInIN + QStringLiteral("non si può creare ") + storico.path()));
        return Passo::Ferma;
    }
    const QString copia = storico.filePath(nome);
    Esito motivo;
    if (!TextFile::writeAtomically(copia, contenuto, &motivo)) {
        motivo.descrizione = restaInIN + QStringLiteral("non si può copiare in ") + copia + QStringLiteral(" (") +
                             motivo.descrizione + QLatin1Char(')');
        segnalaUnaVolta(firma, QStringLiteral("copia"), motivo);
        return Passo::Ferma;
    }
    if (!aperto.ancoraLibero()) // a writer came while it was copied
        return Passo::Ferma;
    if (!eliminaFile(percorso)) {
        segnalaUnaVolta(firma, QStringLiteral("elimina"),
                        Esito::fallito(VbErr::PermissionDenied,
                                       restaInIN + QStringLiteral("la cartella non ne permette l'eliminazione; "
                                                                  "non verrà importato di nuovo")));
        return Passo::Lascia;
    }
    m_applicati.remove(firma);
    const Esito e = RegistroFileIN::uscito(nome);
    if (!e)
        segnalaUnaVolta(firma, QStringLiteral("uscito"), e);
    return Passo::Avanti;
}
