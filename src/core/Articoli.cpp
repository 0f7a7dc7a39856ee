#include "core/Articoli.h"

#include "core/Database.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace Articoli {

namespace {

const QString kColonne = QStringLiteral(
    "CodMateriale, Descrizione, \"Quantità\", Costo, UnitaMisura, Minimo, Genere, Fornitore, Eliminato, "
    "Taglia, Colore, TipoMateriale, BarCode, Costo2, CodProdottoFornitore, CodPV, Modificato, "
    "TipoVariazione, Note, PeriodoRiordino, CodArtCEDI, DataInizioPromo, DataFinePromo, PrezzoPromo");

std::optional<double> numero(const QVariant& v)
{
    if (v.isNull())
        return std::nullopt;
    bool ok = false;
    const double d = v.toDouble(&ok);
    return ok ? std::optional<double>(d) : std::nullopt;
}

QString testo(const QVariant& v) { return v.isNull() ? QString() : v.toString(); }

QVariant valore(const std::optional<double>& d) { return d ? QVariant(*d) : QVariant(QMetaType(QMetaType::Double)); }
QVariant valore(const QString& s) { return s.isNull() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(s); }

Articolo leggiRiga(const QSqlQuery& q)
{
    Articolo a;
    int i = 0;
    a.codMateriale = q.value(i++).toLongLong();
    a.descrizione = testo(q.value(i++));
    a.quantita = numero(q.value(i++));
    a.costo = numero(q.value(i++));
    a.unitaMisura = testo(q.value(i++));
    a.minimo = numero(q.value(i++));
    a.genere = testo(q.value(i++));
    a.fornitore = testo(q.value(i++));
    a.eliminato = Db::isTrue(q.value(i++));
    a.taglia = testo(q.value(i++));
    a.colore = testo(q.value(i++));
    a.tipoMateriale = testo(q.value(i++));
    a.barCode = testo(q.value(i++));
    a.costo2 = numero(q.value(i++));
    a.codProdottoFornitore = testo(q.value(i++));
    a.codPV = numero(q.value(i++));
    a.modificato = Db::isTrue(q.value(i++));
    a.tipoVariazione = testo(q.value(i++));
    a.note = testo(q.value(i++));
    a.periodoRiordino = numero(q.value(i++));
    a.codArtCEDI = testo(q.value(i++));
    a.dataInizioPromo = testo(q.value(i++));
    a.dataFinePromo = testo(q.value(i++));
    a.prezzoPromo = numero(q.value(i++));
    return a;
}

// Every column but CodMateriale, in kColonne's order.
QVariantList valoriSenzaCodice(const Articolo& a)
{
    return {valore(a.descrizione),
            valore(a.quantita),
            valore(a.costo),
            valore(a.unitaMisura),
            valore(a.minimo),
            valore(a.genere),
            valore(a.fornitore),
            a.eliminato ? 1 : 0,
            valore(a.taglia),
            valore(a.colore),
            valore(a.tipoMateriale),
            valore(a.barCode),
            valore(a.costo2),
            valore(a.codProdottoFornitore),
            valore(a.codPV),
            a.modificato ? 1 : 0,
            valore(a.tipoVariazione),
            valore(a.note),
            valore(a.periodoRiordino),
            valore(a.codArtCEDI),
            valore(a.dataInizioPromo),
            valore(a.dataFinePromo),
            valore(a.prezzoPromo)};
}

Letto<Articolo> primo(const QString& where, const QVariantList& values)
{
    QSqlQuery q = Db::query(QStringLiteral("SELECT ") + kColonne + QStringLiteral(" FROM Magazzino WHERE ") + where +
                                QStringLiteral(" ORDER BY CodMateriale LIMIT 1"),
                            values);
    if (!q.isActive())
        return Letto<Articolo>::fallito(q.lastError().text());
    if (!q.next())
        return q.lastError().isValid() ? Letto<Articolo>::fallito(q.lastError().text()) : Letto<Articolo>::assente();
    return Letto<Articolo>::trovato(leggiRiga(q));
}

Esito dbFallito(const QString& err) { return Esito::fallito(VbErr::DatabaseError, err); }

} // namespace

QString colonne() { return kColonne; }

std::optional<qint64> nuovoCodice()
{
    bool ok = false;
    const QVariant v = Db::scalar(QStringLiteral("SELECT COALESCE(MAX(CodMateriale), 0) + 1 FROM Magazzino"), {}, &ok);
    if (!ok || v.isNull())
        return std::nullopt;
    return v.toLongLong();
}

Letto<Articolo> perCodice(qint64 codice) { return primo(QStringLiteral("CodMateriale = ?"), {codice}); }
Letto<Articolo> perBarCode(const QString& barCode) { return primo(QStringLiteral("BarCode = ?"), {barCode}); }
Letto<Articolo> perCodiceFornitore(const QString& codice)
{
    return primo(QStringLiteral("CodProdottoFornitore = ?"), {codice});
}
Letto<Articolo> perCodiceCEDI(const QString& codice) { return primo(QStringLiteral("CodArtCEDI = ?"), {codice}); }

Letto<qint64> codicePerBarCodeUlteriore(const QString& barCode)
{
    QSqlQuery q = Db::query(
        QStringLiteral("SELECT CodProd FROM BarCodeUlteriori WHERE BarCode = ? ORDER BY rowid LIMIT 1"), {barCode});
    if (!q.isActive())
        return Letto<qint64>::fallito(q.lastError().text());
    if (!q.next())
        return Letto<qint64>::assente();
    return Letto<qint64>::trovato(q.value(0).toLongLong());
}

Esito inserisci(Articolo& a)
{
    Db::Transaction t;
    if (!t.ok())
        return dbFallito(QStringLiteral("transaction"));
    qint64 codice = a.codMateriale;
    if (codice == 0) {
        const auto n = nuovoCodice();
        if (!n)
            return dbFallito(QStringLiteral("MAX(CodMateriale)"));
        codice = *n;
    }
    QVariantList v{codice};
    v += valoriSenzaCodice(a);
    QString err;
    const QString segnaposti = QStringLiteral("?").repeated(1) + QStringLiteral(", ?").repeated(v.size() - 1);
    if (!Db::exec(QStringLiteral("INSERT INTO Magazzino (") + kColonne + QStringLiteral(") VALUES (") + segnaposti +
                      QStringLiteral(")"),
                  v, &err) ||
        !t.commit())
        return dbFallito(err);
    a.codMateriale = codice;
    return Esito::riuscito();
}

Esito aggiorna(const Articolo& a)
{
    QStringList set;
    const QStringList nomi = kColonne.split(QStringLiteral(", "));
    for (int i = 1; i < nomi.size(); ++i)
        set << nomi.at(i) + QStringLiteral(" = ?");
    QVariantList v = valoriSenzaCodice(a);
    v << a.codMateriale;
    QSqlQuery q = Db::query(
        QStringLiteral("UPDATE Magazzino SET ") + set.join(QStringLiteral(", ")) + QStringLiteral(" WHERE CodMateriale = ?"),
        v);
    if (!q.isActive())
        return dbFallito(q.lastError().text());
    if (q.numRowsAffected() != 1)
        return dbFallito(QStringLiteral("CodMateriale %1 non trovato").arg(a.codMateriale));
    return Esito::riuscito();
}

Esito elimina(qint64 codice)
{
    Db::Transaction t;
    QString err;
    const bool ok = t.ok() && Db::exec(QStringLiteral("DELETE FROM Magazzino WHERE CodMateriale = ?"), {codice}, &err) &&
                    Db::exec(QStringLiteral("DELETE FROM BarCodeUlteriori WHERE CodProd = ?"), {codice}, &err) &&
                    Db::exec(QStringLiteral("DELETE FROM Offerte WHERE Articolo = ?"), {codice}, &err) && t.commit();
    return ok ? Esito::riuscito() : dbFallito(err);
}

Esito svuotaArchivio()
{
    Db::Transaction t;
    QString err;
    const bool ok = t.ok() && Db::exec(QStringLiteral("DELETE FROM Magazzino"), {}, &err) &&
                    Db::exec(QStringLiteral("DELETE FROM BarCodeUlteriori"), {}, &err) &&
                    Db::exec(QStringLiteral("DELETE FROM Offerte"), {}, &err) && t.commit();
    return ok ? Esito::riuscito() : dbFallito(err);
}

Esito marcaModificato(qint64 codice, bool modificato, const QString& tipoVariazione)
{
    QString err;
    const bool ok =
        tipoVariazione.isNull()
            ? Db::exec(QStringLiteral("UPDATE Magazzino SET Modificato = ? WHERE CodMateriale = ?"),
                       {modificato ? 1 : 0, codice}, &err)
            : Db::exec(QStringLiteral("UPDATE Magazzino SET Modificato = ?, TipoVariazione = ? WHERE CodMateriale = ?"),
                       {modificato ? 1 : 0, tipoVariazione, codice}, &err);
    return ok ? Esito::riuscito() : dbFallito(err);
}

Esito marcaEliminato(qint64 codice, bool eliminato)
{
    QString err;
    return Db::exec(QStringLiteral("UPDATE Magazzino SET Eliminato = ? WHERE CodMateriale = ?"), {eliminato ? 1 : 0, codice},
                    &err)
               ? Esito::riuscito()
               : dbFallito(err);
}

Letto<QStringList> fornitori()
{
    // In the order the database returns them, as the supplier boxes have always listed them.
    QSqlQuery q = Db::query(QStringLiteral("SELECT DISTINCT Fornitore FROM Magazzino WHERE Fornitore <> ''"));
    if (!q.isActive())
        return Letto<QStringList>::fallito(q.lastError().text());
    QStringList l;
    while (q.next())
        if (!q.value(0).isNull())
            l << q.value(0).toString();
    return Letto<QStringList>::trovato(l);
}

namespace {
Esito perOgniOrdinati(const std::function<bool(const Articolo&)>& visita, const QString& where,
                       const QVariantList& values, const QString& ordine)
{
    QSqlQuery q(Db::dbNegozio());
    q.setForwardOnly(true);
    QString sql = QStringLiteral("SELECT ") + kColonne + QStringLiteral(" FROM Magazzino");
    if (!where.isEmpty())
        sql += QStringLiteral(" WHERE ") + where;
    sql += QStringLiteral(" ORDER BY ") + ordine;
    if (!q.prepare(sql))
        return dbFallito(q.lastError().text());
    for (const QVariant& v : values)
        q.addBindValue(v);
    if (!q.exec())
        return dbFallito(q.lastError().text());
    while (q.next()) {
        if (!visita(leggiRiga(q)))
            break;
    }
    if (q.lastError().isValid())
        return dbFallito(q.lastError().text());
    return Esito::riuscito();
}
} // namespace

Esito perOgni(const std::function<bool(const Articolo&)>& visita, const QString& where, const QVariantList& values)
{
    return perOgniOrdinati(visita, where, values, QStringLiteral("CodMateriale"));
}

namespace {
const QString kColonneReparti =
    QStringLiteral("SELECT Cod, Descrizione, Iva, PrezzoPrefissato, Sconto, NoFiscale, PercorsoIcon, Icon FROM Reparti");

Reparto leggiReparto(const QSqlQuery& q)
{
    Reparto r;
    r.cod = q.value(0).toInt();
    r.descrizione = testo(q.value(1));
    r.iva = q.value(2).toDouble();
    r.prezzoPrefissato = q.value(3).toDouble();
    r.sconto = q.value(4).toInt();
    r.noFiscale = Db::isTrue(q.value(5));
    r.percorsoIcon = testo(q.value(6));
    r.icon = testo(q.value(7));
    return r;
}
} // namespace

Letto<QList<Reparto>> reparti()
{
    QSqlQuery q = Db::query(kColonneReparti + QStringLiteral(" ORDER BY Cod"));
    if (!q.isActive())
        return Letto<QList<Reparto>>::fallito(q.lastError().text());
    QList<Reparto> l;
    while (q.next())
        l << leggiReparto(q);
    return Letto<QList<Reparto>>::trovato(l);
}

Letto<Reparto> repartoPerCodice(int cod)
{
    QSqlQuery q = Db::query(kColonneReparti + QStringLiteral(" WHERE Cod = ?"), {cod});
    if (!q.isActive())
        return Letto<Reparto>::fallito(q.lastError().text());
    if (!q.next())
        return Letto<Reparto>::assente();
    return Letto<Reparto>::trovato(leggiReparto(q));
}

Esito aggiornaReparto(const Reparto& r)
{
    QString err;
    return Db::exec(QStringLiteral("UPDATE Reparti SET Descrizione = ?, Iva = ?, PrezzoPrefissato = ?, Sconto = ?, "
                                   "NoFiscale = ?, PercorsoIcon = ?, Icon = ? WHERE Cod = ?"),
                    {valore(r.descrizione), r.iva, r.prezzoPrefissato, r.sconto, r.noFiscale ? 1 : 0,
                     valore(r.percorsoIcon), valore(r.icon), r.cod},
                    &err)
               ? Esito::riuscito()
               : dbFallito(err);
}

QString codiceInCassa(const QString& barCode)
{
    if (barCode.startsWith(QLatin1Char('2')) && barCode.size() != 5)
        return barCode.mid(2, 5);
    return barCode;
}

Letto<Articolo> perCodiceInCassa(const QString& codice)
{
    if (codice.isEmpty())
        return Letto<Articolo>::assente();
    return primo(QStringLiteral("substr(BarCode, 1, 1) = '2' AND length(BarCode) <> 5 AND substr(BarCode, 3, 5) = ?"),
                 {codice});
}

std::optional<qint64> codiceDaTesto(const QString& testo)
{
    bool ok = false;
    const qint64 n = testo.trimmed().toLongLong(&ok);
    return ok ? std::optional<qint64>(n) : std::nullopt;
}

Esito segnaFrontalino(qint64 codice, bool alterna)
{
    static const QString kAlterna = QStringLiteral(
        "UPDATE Magazzino SET TipoVariazione = CASE WHEN TipoVariazione IS NULL OR TipoVariazione = '' "
        "OR TipoVariazione = 'N' THEN 'F' WHEN TipoVariazione = 'F' THEN 'N' ELSE TipoVariazione END "
        "WHERE CodMateriale = ?");
    static const QString kAzzera = QStringLiteral("UPDATE Magazzino SET TipoVariazione = 'N' WHERE CodMateriale = ?");
    QString err;
    return Db::exec(alterna ? kAlterna : kAzzera, {codice}, &err) ? Esito::riuscito() : dbFallito(err);
}

Esito ripristina(qint64 codice)
{
    QString err;
    return Db::exec(QStringLiteral("UPDATE Magazzino SET Eliminato = 0, Modificato = 1 WHERE CodMateriale = ?"),
                    {codice}, &err)
               ? Esito::riuscito()
               : dbFallito(err);
}

struct Giacenze::Impl
{
    QSqlQuery perBarCode{Db::dbNegozio()};
    QSqlQuery perCodice{Db::dbNegozio()};
    QSqlQuery ulteriore{Db::dbNegozio()};
    QSqlQuery aggiorna{Db::dbNegozio()};
    bool ok = false;
    QString errore;

    Letto<Giacenza> giacenza(QSqlQuery& q, const QVariant& chiave)
    {
        q.bindValue(0, chiave);
        if (!q.exec()) {
            errore = q.lastError().text();
            return Letto<Giacenza>::fallito(errore);
        }
        Letto<Giacenza> r = Letto<Giacenza>::assente();
        if (q.next())
            r = Letto<Giacenza>::trovato(Giacenza{q.value(0).toLongLong(), numero(q.value(1))});
        q.finish();
        return r;
    }
};

Giacenze::Giacenze() : d(std::make_unique<Impl>())
{
    d->ok = d->perBarCode.prepare(QStringLiteral("SELECT CodMateriale, \"Quantità\" FROM Magazzino WHERE BarCode = ? "
                                                 "ORDER BY CodMateriale LIMIT 1")) &&
            d->perCodice.prepare(
                QStringLiteral("SELECT CodMateriale, \"Quantità\" FROM Magazzino WHERE CodMateriale = ?")) &&
            d->ulteriore.prepare(
                QStringLiteral("SELECT CodProd FROM BarCodeUlteriori WHERE BarCode = ? ORDER BY rowid LIMIT 1")) &&
            d->aggiorna.prepare(QStringLiteral("UPDATE Magazzino SET \"Quantità\" = ? WHERE CodMateriale = ?"));
    if (!d->ok)
        d->errore = Db::dbNegozio().lastError().text();
}

Giacenze::~Giacenze() = default;

bool Giacenze::ok() const
{
    return d->ok;
}
const QString& Giacenze::errore() const
{
    return d->errore;
}

Letto<Giacenza> Giacenze::perBarCode(const QString& barCode)
{
    return d->giacenza(d->perBarCode, barCode);
}
Letto<Giacenza> Giacenze::perCodice(qint64 codice)
{
    return d->giacenza(d->perCodice, codice);
}

Letto<qint64> Giacenze::codicePerBarCodeUlteriore(const QString& barCode)
{
    QSqlQuery& q = d->ulteriore;
    q.bindValue(0, barCode);
    if (!q.exec()) {
        d->errore = q.lastError().text();
        return Letto<qint64>::fallito(d->errore);
    }
    Letto<qint64> r = Letto<qint64>::assente();
    if (q.next())
        r = Letto<qint64>::trovato(q.value(0).toLongLong());
    q.finish();
    return r;
}

bool Giacenze::impostaQuantita(qint64 codice, double quantita)
{
    d->aggiorna.bindValue(0, quantita);
    d->aggiorna.bindValue(1, codice);
    if (!d->aggiorna.exec()) {
        d->errore = d->aggiorna.lastError().text();
        return false;
    }
    return true;
}

Esito perOgniPerDescrizione(const std::function<bool(const Articolo&)>& visita, const QString& where,
                            const QVariantList& values)
{
    return perOgniOrdinati(visita, where, values, QStringLiteral("Descrizione, CodMateriale"));
}

Lotto::Lotto()
    : m_inserisci(Db::dbNegozio()), m_aggiorna(Db::dbNegozio()), m_perBarCode(Db::dbNegozio()),
      m_perCodiceFornitore(Db::dbNegozio()), m_perCodice(Db::dbNegozio())
{
    const QStringList nomi = kColonne.split(QStringLiteral(", "));
    QStringList set;
    for (int i = 1; i < nomi.size(); ++i)
        set << nomi.at(i) + QStringLiteral(" = ?");
    const QString sonda = QStringLiteral("SELECT CodMateriale FROM Magazzino WHERE ");
    QSqlQuery* tutte[] = {&m_inserisci, &m_aggiorna, &m_perBarCode, &m_perCodiceFornitore, &m_perCodice};
    const QString sql[] = {QStringLiteral("INSERT INTO Magazzino (") + kColonne + QStringLiteral(") VALUES (?") +
                               QStringLiteral(", ?").repeated(nomi.size() - 1) + QStringLiteral(")"),
                           QStringLiteral("UPDATE Magazzino SET ") + set.join(QStringLiteral(", ")) +
                               QStringLiteral(" WHERE CodMateriale = ?"),
                           sonda + QStringLiteral("BarCode = ? ORDER BY CodMateriale LIMIT 1"),
                           sonda + QStringLiteral("CodProdottoFornitore = ? ORDER BY CodMateriale LIMIT 1"),
                           QStringLiteral("SELECT ") + kColonne +
                               QStringLiteral(" FROM Magazzino WHERE CodMateriale = ?")};
    m_ok = true;
    for (int i = 0; i < 5; ++i) {
        tutte[i]->setForwardOnly(true);
        if (!tutte[i]->prepare(sql[i])) {
            m_ok = false;
            m_errore = tutte[i]->lastError().text();
            return;
        }
    }
}

Esito Lotto::inserisci(const Articolo& a)
{
    if (!m_ok)
        return dbFallito(m_errore);
    m_inserisci.addBindValue(a.codMateriale);
    for (const QVariant& v : valoriSenzaCodice(a))
        m_inserisci.addBindValue(v);
    if (!m_inserisci.exec())
        return dbFallito(m_inserisci.lastError().text());
    return Esito::riuscito();
}

Esito Lotto::aggiorna(const Articolo& a)
{
    if (!m_ok)
        return dbFallito(m_errore);
    for (const QVariant& v : valoriSenzaCodice(a))
        m_aggiorna.addBindValue(v);
    m_aggiorna.addBindValue(a.codMateriale);
    if (!m_aggiorna.exec())
        return dbFallito(m_aggiorna.lastError().text());
    if (m_aggiorna.numRowsAffected() != 1)
        return dbFallito(QStringLiteral("CodMateriale %1 non trovato").arg(a.codMateriale));
    return Esito::riuscito();
}

Letto<Articolo> Lotto::primo(QSqlQuery& sonda, const QString& valore)
{
    if (!m_ok)
        return Letto<Articolo>::fallito(m_errore);
    sonda.addBindValue(valore);
    if (!sonda.exec())
        return Letto<Articolo>::fallito(sonda.lastError().text());
    if (!sonda.next()) {
        const bool errore = sonda.lastError().isValid();
        const QString testo = sonda.lastError().text();
        sonda.finish();
        return errore ? Letto<Articolo>::fallito(testo) : Letto<Articolo>::assente();
    }
    const qint64 codice = sonda.value(0).toLongLong();
    sonda.finish();
    m_perCodice.addBindValue(codice);
    if (!m_perCodice.exec())
        return Letto<Articolo>::fallito(m_perCodice.lastError().text());
    Letto<Articolo> r = m_perCodice.next() ? Letto<Articolo>::trovato(leggiRiga(m_perCodice))
                                           : Letto<Articolo>::fallito(QStringLiteral("riga scomparsa"));
    m_perCodice.finish();
    return r;
}

Letto<Articolo> Lotto::perBarCode(const QString& barCode)
{
    return primo(m_perBarCode, barCode);
}
Letto<Articolo> Lotto::perCodiceFornitore(const QString& codice)
{
    return primo(m_perCodiceFornitore, codice);
}

// ---------------------------------------------------------------------------------------------
// Prepared statements for bulk work

struct Preparati::Dati
{
    QSqlQuery perCedi{Db::dbNegozio()};
    QSqlQuery codicePerCedi{Db::dbNegozio()};
    QSqlQuery esisteCediBarCode{Db::dbNegozio()};
    QSqlQuery massimo{Db::dbNegozio()};
    QSqlQuery inserisci{Db::dbNegozio()};
    QSqlQuery aggiorna{Db::dbNegozio()};
    QSqlQuery barCode{Db::dbNegozio()};
    bool pronti = false;
    QString errore;
    QList<int> saltate; // positions in valoriSenzaCodice() that aggiorna does not write
};

Preparati::Preparati(const QStringList& colonneAggiornate) : d(new Dati)
{
    QStringList set;
    const QStringList nomi = kColonne.split(QStringLiteral(", "));
    for (int i = 1; i < nomi.size(); ++i) {
        if (colonneAggiornate.isEmpty() || colonneAggiornate.contains(nomi.at(i)))
            set << nomi.at(i) + QStringLiteral(" = ?");
        else
            d->saltate << i - 1;
    }
    const QString segnaposti = QStringLiteral("?") + QStringLiteral(", ?").repeated(nomi.size() - 1);
    const std::pair<QSqlQuery*, QString> tutte[] = {
        {&d->perCedi, QStringLiteral("SELECT ") + kColonne +
                          QStringLiteral(" FROM Magazzino WHERE CodArtCEDI = ? ORDER BY CodMateriale LIMIT 1")},
        {&d->codicePerCedi,
         QStringLiteral("SELECT CodMateriale FROM Magazzino WHERE CodArtCEDI = ? ORDER BY CodMateriale LIMIT 1")},
        {&d->esisteCediBarCode, QStringLiteral("SELECT 1 FROM Magazzino WHERE CodArtCEDI = ? AND BarCode = ? LIMIT 1")},
        {&d->massimo, QStringLiteral("SELECT COALESCE(MAX(CodMateriale), 0) + 1 FROM Magazzino")},
        {&d->inserisci, QStringLiteral("INSERT INTO Magazzino (") + kColonne + QStringLiteral(") VALUES (") +
                            segnaposti + QLatin1Char(')')},
        {&d->aggiorna, QStringLiteral("UPDATE Magazzino SET ") + set.join(QStringLiteral(", ")) +
                           QStringLiteral(" WHERE CodMateriale = ?")},
        {&d->barCode, QStringLiteral("UPDATE Magazzino SET BarCode = ?, Modificato = 1 WHERE CodMateriale = ?")},
    };
    d->pronti = true;
    for (const auto& [q, sql] : tutte) {
        q->setForwardOnly(true);
        if (!q->prepare(sql)) {
            d->pronti = false;
            d->errore = q->lastError().text();
            break;
        }
    }
}

Preparati::~Preparati()
{
    delete d;
}

namespace {
bool esegui(QSqlQuery& q, const QVariantList& valori)
{
    for (int i = 0; i < valori.size(); ++i)
        q.bindValue(i, valori.at(i));
    return q.exec();
}
} // namespace

Letto<Articolo> Preparati::perCodiceCEDI(const QString& codice)
{
    if (!d->pronti)
        return Letto<Articolo>::fallito(d->errore);
    QSqlQuery& q = d->perCedi;
    if (!esegui(q, {codice}))
        return Letto<Articolo>::fallito(q.lastError().text());
    Letto<Articolo> r = q.next() ? Letto<Articolo>::trovato(leggiRiga(q)) : Letto<Articolo>::assente();
    if (!r.valore && q.lastError().isValid())
        r = Letto<Articolo>::fallito(q.lastError().text());
    q.finish();
    return r;
}

Letto<qint64> Preparati::codicePerCodiceCEDI(const QString& codice)
{
    if (!d->pronti)
        return Letto<qint64>::fallito(d->errore);
    QSqlQuery& q = d->codicePerCedi;
    if (!esegui(q, {codice}))
        return Letto<qint64>::fallito(q.lastError().text());
    Letto<qint64> r = q.next() ? Letto<qint64>::trovato(q.value(0).toLongLong()) : Letto<qint64>::assente();
    if (!r.valore && q.lastError().isValid())
        r = Letto<qint64>::fallito(q.lastError().text());
    q.finish();
    return r;
}

Letto<bool> Preparati::esisteCodiceCEDIConBarCode(const QString& codice, const QString& barCode)
{
    if (!d->pronti)
        return Letto<bool>::fallito(d->errore);
    QSqlQuery& q = d->esisteCediBarCode;
    if (!esegui(q, {codice, barCode}))
        return Letto<bool>::fallito(q.lastError().text());
    const bool c = q.next();
    if (!c && q.lastError().isValid())
        return Letto<bool>::fallito(q.lastError().text());
    q.finish();
    return Letto<bool>::trovato(c);
}

Esito Preparati::inserisci(Articolo& a)
{
    if (!d->pronti)
        return dbFallito(d->errore);
    qint64 codice = a.codMateriale;
    if (codice == 0) {
        if (!esegui(d->massimo, {}) || !d->massimo.next())
            return dbFallito(d->massimo.lastError().text());
        codice = d->massimo.value(0).toLongLong();
        d->massimo.finish();
    }
    QVariantList v{codice};
    v += valoriSenzaCodice(a);
    if (!esegui(d->inserisci, v))
        return dbFallito(d->inserisci.lastError().text());
    a.codMateriale = codice;
    return Esito::riuscito();
}

Esito Preparati::aggiorna(const Articolo& a)
{
    if (!d->pronti)
        return dbFallito(d->errore);
    QVariantList v = valoriSenzaCodice(a);
    for (qsizetype i = d->saltate.size() - 1; i >= 0; --i)
        v.removeAt(d->saltate.at(i));
    v << a.codMateriale;
    if (!esegui(d->aggiorna, v))
        return dbFallito(d->aggiorna.lastError().text());
    if (d->aggiorna.numRowsAffected() != 1)
        return dbFallito(QStringLiteral("CodMateriale %1 non trovato").arg(a.codMateriale));
    return Esito::riuscito();
}

Esito Preparati::impostaBarCode(qint64 codice, const QString& barCode)
{
    if (!d->pronti)
        return dbFallito(d->errore);
    if (!esegui(d->barCode, {valore(barCode), codice}))
        return dbFallito(d->barCode.lastError().text());
    if (d->barCode.numRowsAffected() != 1)
        return dbFallito(QStringLiteral("CodMateriale %1 non trovato").arg(codice));
    return Esito::riuscito();
}

Letto<bool> ciSonoModificati()
{
    bool ok = false;
    const QVariant v = Db::scalar(QStringLiteral("SELECT 1 FROM Magazzino WHERE Modificato <> 0 LIMIT 1"), {}, &ok);
    if (!ok)
        return Letto<bool>::fallito(Db::dbNegozio().lastError().text());
    return Letto<bool>::trovato(v.isValid());
}

Letto<qint64> contaFrontaliniOModificati()
{
    bool ok = false;
    const QVariant v = Db::scalar(
        QStringLiteral("SELECT COUNT(*) FROM Magazzino WHERE TipoVariazione = 'F' OR Modificato <> 0"), {}, &ok);
    if (!ok)
        return Letto<qint64>::fallito(Db::dbNegozio().lastError().text());
    return Letto<qint64>::trovato(v.toLongLong());
}

Letto<double> ivaRepartoPerDescrizione(const QString& descrizione)
{
    QSqlQuery q = Db::query(QStringLiteral("SELECT Iva FROM Reparti WHERE Descrizione = ?"), {descrizione});
    if (!q.isActive())
        return Letto<double>::fallito(q.lastError().text());
    if (!q.next() || q.value(0).isNull())
        return Letto<double>::assente();
    return Letto<double>::trovato(q.value(0).toDouble());
}

} // namespace Articoli
