#include "import/ExternalDatabase.h"

#include "core/AppState.h"
#include "core/Articoli.h"
#include "core/ArticoliLotto.h"
#include "core/Database.h"
#include "core/Progress.h"
#include "core/VbConvert.h"
#include "core/Wait.h"
#include "core/config/DatabaseEsterno.h"
#include "core/config/TabCollegate.h"
#include "import/Cedi.h"
#include "import/ExternalDatabaseMdb.h"

#include <QFileInfo>
#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <cmath>

namespace {

constexpr int kPrimoCodice = 51;
constexpr int kRigheTraEventi = 256;

Esito dbFallito(const QString& e)
{
    return Esito::fallito(VbErr::DatabaseError, e);
}

// The columns each snapshot keeps, as the copy reads them.
const QStringList kColonneReparti = {QStringLiteral("IDReparto"), QStringLiteral("NomeReparto")};
const QStringList kColonneMagazzino = {QStringLiteral("Modificato"), QStringLiteral("Descrizione"),
                                       QStringLiteral("PrezzoVendita"), QStringLiteral("CodiceEAN"),
                                       QStringLiteral("Reparto")};

// Makes `tabella` again with `colonne` (no declared type: values are kept as the source gives
// them) and fills it from the external table.
Esito copiaIstantanea(SorgenteEsterna& sorgente, const QString& esterna, const QString& tabella,
                      const QStringList& colonne)
{
    TabellaEsterna t;
    Esito e = sorgente.leggiTabella(esterna, t);
    if (!e)
        return e;
    QList<int> indici;
    for (const QString& c : colonne) {
        const int i = t.colonna(c);
        if (i < 0)
            return dbFallito(QStringLiteral("colonna %1 mancante in %2").arg(c, esterna));
        indici << i;
    }
    QString err;
    if (!Db::exec(QStringLiteral("DROP TABLE IF EXISTS ") + tabella, {}, &err) ||
        !Db::exec(QStringLiteral("CREATE TABLE ") + tabella + QStringLiteral(" (Riga INTEGER PRIMARY KEY, ") +
                      colonne.join(QStringLiteral(", ")) + QLatin1Char(')'),
                  {}, &err))
        return dbFallito(err);
    QSqlQuery q(Db::dbNegozio());
    if (!q.prepare(QStringLiteral("INSERT INTO ") + tabella + QLatin1String(" (") + colonne.join(QStringLiteral(", ")) +
                   QStringLiteral(") VALUES (?") + QStringLiteral(", ?").repeated(colonne.size() - 1) +
                   QLatin1Char(')')))
        return dbFallito(q.lastError().text());
    for (const QVariantList& riga : std::as_const(t.righe)) {
        for (int i = 0; i < indici.size(); ++i) {
            QVariant v = riga.value(indici.at(i));
            if (v.typeId() == QMetaType::Bool)
                v = v.toBool() ? 1 : 0;
            q.bindValue(i, v);
        }
        if (!q.exec())
            return dbFallito(q.lastError().text());
    }
    return Esito::riuscito();
}

// A value read as a number the way Jet converted it; nullopt for Null or text that is none.
std::optional<double> numero(const QVariant& v)
{
    if (v.isNull())
        return std::nullopt;
    bool ok = false;
    const double d = v.toDouble(&ok);
    return ok && std::isfinite(d) ? std::optional<double>(d) : std::nullopt;
}

// A local department as the copy leaves it: only its name and VAT, no fixed price, discount,
// non-fiscal flag or icon.
Esito scriviReparto(Reparto r, const QString& descrizione, double iva)
{
    r.descrizione = descrizione;
    r.iva = iva;
    r.prezzoPrefissato = 0;
    r.sconto = 0;
    r.noFiscale = false;
    r.percorsoIcon = QString(QLatin1String(""));
    r.icon = QString(QLatin1String(""));
    return Articoli::aggiornaReparto(r);
}

struct RigaEsterna
{
    QVariant descrizione, prezzo, ean, reparto;
};

Esito copia(ProgressSink& progresso)
{
    Db::Transaction t;
    if (!t.ok())
        return dbFallito(QStringLiteral("transaction"));

    // Departments: every one reset, then the n-th external one (by IDReparto) onto the n-th local
    // one (by Cod); the local codes stay.
    const Letto<QList<Reparto>> locali = Articoli::reparti();
    if (!locali.ok)
        return dbFallito(locali.errore);
    Esito e;
    for (const Reparto& r : *locali.valore) {
        if (!(e = scriviReparto(r, QStringLiteral("Reparto") + QString::number(r.cod), 0)))
            return e;
    }
    QSqlQuery q(Db::dbNegozio());
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT IDReparto, NomeReparto FROM RepartiEsterno ORDER BY IDReparto, Riga")))
        return dbFallito(q.lastError().text());
    QList<std::pair<QVariant, QString>> esterni;
    while (q.next())
        esterni.append({q.value(0), q.value(1).toString()});
    if (q.lastError().isValid())
        return dbFallito(q.lastError().text());
    q.finish();
    const qsizetype copiati = std::min(esterni.size(), locali.valore->size());
    for (qsizetype i = 0; i < copiati; ++i) {
        if (!(e = scriviReparto(locali.valore->at(i), esterni.at(i).second.left(16), 20)))
            return e;
    }
    for (qsizetype i = copiati; i < esterni.size(); ++i)
        ScriviErrore(QStringLiteral("frmSplash"), QStringLiteral("ImportaDaDatabaseEsterno"),
                     QStringLiteral("Reparto esterno %1 \"%2\" senza reparto locale: non copiato")
                         .arg(esterni.at(i).first.toString(), esterni.at(i).second),
                     QStringLiteral("0"));

    // TrovaDescrizioneRep: the first external department of an id, else "Reparto41".
    QHash<qint64, QString> nomi;
    if (!q.exec(QStringLiteral("SELECT IDReparto, NomeReparto FROM RepartiEsterno ORDER BY Riga")))
        return dbFallito(q.lastError().text());
    while (q.next()) {
        const auto id = numero(q.value(0));
        if (id && !nomi.contains(qint64(*id)))
            nomi.insert(qint64(*id), q.value(1).toString());
    }
    if (q.lastError().isValid())
        return dbFallito(q.lastError().text());
    q.finish();

    // Articles: only the externally changed ones (marked changed), else all (marked unchanged).
    const Letto<QVariant> cambiati =
        Db::valore(QStringLiteral("SELECT COUNT(*) FROM MAGAZZINOEsterno WHERE Modificato <> 0"));
    if (!cambiati.ok)
        return dbFallito(cambiati.errore);
    const bool soloModificati = cambiati.trovatoValore() && cambiati.valore->toLongLong() > 0;
    if (!q.exec(QStringLiteral("SELECT Descrizione, PrezzoVendita, CodiceEAN, Reparto FROM MAGAZZINOEsterno ") +
                (soloModificati ? QStringLiteral("WHERE Modificato <> 0 ") : QString()) +
                QStringLiteral("ORDER BY Riga")))
        return dbFallito(q.lastError().text());
    QList<RigaEsterna> righe;
    while (q.next())
        righe.append({q.value(0), q.value(1), q.value(2), q.value(3)});
    if (q.lastError().isValid())
        return dbFallito(q.lastError().text());
    q.finish();

    if (!(e = Articoli::svuotaArchivio()))
        return e;
    Articoli::Lotto articoli;
    progresso.setRange(0, int(righe.size()));
    qint64 codice = kPrimoCodice;
    for (const RigaEsterna& r : std::as_const(righe)) {
        Articolo a;
        a.codMateriale = codice++;
        a.descrizione = r.descrizione.isNull() ? QString() : r.descrizione.toString().left(50);
        a.costo = numero(r.prezzo).value_or(0);
        a.barCode = r.ean.isNull() ? QString() : r.ean.toString();
        a.quantita = 1000;
        a.unitaMisura = QStringLiteral("Pz");
        a.fornitore = QStringLiteral("***");
        // A Null or non-numeric department is "no department".
        QString genere = QStringLiteral("Reparto41");
        if (const auto id = numero(r.reparto))
            if (const auto cod = Vb::clng(*id))
                genere = nomi.value(*cod, genere);
        a.genere = genere.left(16);
        a.modificato = soloModificati;
        if (!(e = articoli.inserisci(a)))
            return e;
        if ((codice - kPrimoCodice) % kRigheTraEventi == 0) {
            progresso.setValue(int(codice - kPrimoCodice));
            LasciaScorrereEventi(InputUtente::Trattenuto);
        }
    }
    if (!t.commit())
        return dbFallito(QStringLiteral("commit"));
    progresso.setValue(int(righe.size()));
    return Esito::riuscito();
}

} // namespace

int TabellaEsterna::colonna(const QString& n) const
{
    for (int i = 0; i < colonne.size(); ++i)
        if (colonne.at(i).compare(n, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

Esito CollegaTabelle(SorgenteEsterna& sorgente)
{
    Db::Transaction t;
    if (!t.ok())
        return dbFallito(QStringLiteral("transaction"));
    Esito e = copiaIstantanea(sorgente, QStringLiteral("Reparti"), QStringLiteral("RepartiEsterno"), kColonneReparti);
    if (e)
        e = copiaIstantanea(sorgente, QStringLiteral("MAGAZZINO"), QStringLiteral("MAGAZZINOEsterno"),
                            kColonneMagazzino);
    if (e && !t.commit())
        e = dbFallito(QStringLiteral("commit"));
    return e;
}

Esito GestisciTabelleCollegate(const ApriSorgente& apri, bool& collegate)
{
    collegate = false;
    if (!app().tabCollegate)
        return Esito::riuscito();
    const Config::DatabaseEsterno esterno = Config::DatabaseEsterno::leggi();
    if (!esterno.configurato() || !QFileInfo(esterno.quale).isFile())
        return Esito::riuscito();
    Esito e;
    std::unique_ptr<SorgenteEsterna> sorgente = apri(esterno.quale, e);
    if (sorgente)
        e = CollegaTabelle(*sorgente);
    collegate = e.ok;
    return e;
}

Esito GestisciTabelleCollegate(ProgressSink&, bool& collegate)
{
    return GestisciTabelleCollegate(
        [](const QString& percorso, Esito& e) -> std::unique_ptr<SorgenteEsterna> {
            return SorgenteMdb::apri(percorso, e);
        },
        collegate);
}

Esito ImportaDaDatabaseEsterno(ProgressSink& progresso)
{
    Cedi::ImportazioneInCorso inCorso;
    return copia(progresso);
}
