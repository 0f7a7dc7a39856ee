#include "editing/Departments.h"

#include "core/Database.h"
#include "core/Paths.h"
#include "core/VbConvert.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

namespace Departments {

namespace {

const QString kModulo = QStringLiteral("Reparti");
const QString kColonne = QStringLiteral(
    "SELECT Cod, Descrizione, Iva, PrezzoPrefissato, Sconto, NoFiscale, PercorsoIcon, Icon FROM Reparti");

Reparto daRiga(const QSqlQuery& q)
{
    Reparto r;
    r.cod = q.value(0).toInt();
    r.descrizione = q.value(1).toString();
    r.iva = q.value(2).toDouble();
    r.prezzoPrefissato = q.value(3).toDouble();
    r.sconto = q.value(4).toInt();
    r.noFiscale = Db::isTrue(q.value(5));
    r.percorsoIcon = q.value(6);
    r.icon = q.value(7);
    return r;
}

} // namespace

QList<Reparto> tutti(bool* ok)
{
    QList<Reparto> out;
    QSqlQuery q = Db::query(kColonne + QStringLiteral(" ORDER BY rowid"));
    if (ok)
        *ok = q.isActive();
    if (!q.isActive()) {
        ScriviErrore(kModulo, QStringLiteral("CaricaReparti"), VbErr::DatabaseError, q.lastError().text());
        return out;
    }
    while (q.next())
        out << daRiga(q);
    return out;
}

std::optional<Reparto> leggi(int cod)
{
    QSqlQuery q = Db::query(kColonne + QStringLiteral(" WHERE Cod = ?"), {cod});
    if (!q.next())
        return std::nullopt;
    return daRiga(q);
}

Esito salva(int cod, const Modifica& m)
{
    const auto iva = Vb::cdbl(m.iva);
    const auto valore = m.valore.isEmpty() ? std::optional<double>(0) : Vb::cdbl(m.valore);
    if (!iva || !valore) {
        ScriviErrore(kModulo, QStringLiteral("SalvaReparto"), VbErr::TypeMismatch, m.iva + QLatin1Char('/') + m.valore);
        return Esito::fallito(VbErr::TypeMismatch);
    }
    QString err;
    bool ok = false;
    const QVariantList comuni{m.nome, *iva, Vb::roundHalfAway(*valore, 2), m.prezzoZero ? 1 : 0, m.nonFiscale ? 1 : 0};
    if (!m.conIcona) {
        ok = Db::exec(QStringLiteral("UPDATE Reparti SET Descrizione = ?, Iva = ?, PrezzoPrefissato = ?, Sconto = ?, "
                                     "NoFiscale = ?, PercorsoIcon = '', Icon = NULL WHERE Cod = ?"),
                      comuni + QVariantList{cod}, &err);
    } else if (!m.nuovoFile.isEmpty()) {
        ok = Db::exec(QStringLiteral("UPDATE Reparti SET Descrizione = ?, Iva = ?, PrezzoPrefissato = ?, Sconto = ?, "
                                     "NoFiscale = ?, PercorsoIcon = ?, Icon = ? WHERE Cod = ?"),
                      comuni + QVariantList{m.nuovaCartella, m.nuovoFile, cod}, &err);
    } else {
        // No new picture chosen: the stored icon stays as it is.
        ok = Db::exec(QStringLiteral("UPDATE Reparti SET Descrizione = ?, Iva = ?, PrezzoPrefissato = ?, Sconto = ?, "
                                     "NoFiscale = ? WHERE Cod = ?"),
                      comuni + QVariantList{cod}, &err);
    }
    if (ok && Db::scalar(QStringLiteral("SELECT changes()")).toInt() != 1) {
        ok = false;
        err = QStringLiteral("Cod %1 non trovato").arg(cod);
    }
    if (!ok) {
        ScriviErrore(kModulo, QStringLiteral("SalvaReparto"), VbErr::DatabaseError, err);
        return Esito::fallito(VbErr::DatabaseError, err);
    }
    return Esito::riuscito();
}

Esito azzera(int cod)
{
    QString err;
    bool ok =
        Db::exec(QStringLiteral("UPDATE Reparti SET Descrizione = 'Reparto' || Cod, Iva = 0, PrezzoPrefissato = 0, "
                                "Sconto = 0, NoFiscale = 0, PercorsoIcon = '', Icon = '' WHERE Cod = ?"),
                 {cod}, &err);
    if (ok && Db::scalar(QStringLiteral("SELECT changes()")).toInt() != 1) {
        ok = false;
        err = QStringLiteral("Cod %1 non trovato").arg(cod);
    }
    if (!ok) {
        ScriviErrore(kModulo, QStringLiteral("AzzeraReparto"), VbErr::DatabaseError, err);
        return Esito::fallito(VbErr::DatabaseError, err);
    }
    return Esito::riuscito();
}

Esito dimenticaIcona(int cod)
{
    QString err;
    if (!Db::exec(QStringLiteral("UPDATE Reparti SET Icon = NULL WHERE Cod = ?"), {cod}, &err))
        return Esito::fallito(VbErr::DatabaseError, err);
    return Esito::riuscito();
}

QString percorsoIcona(const QVariant& percorso, const QVariant& icon)
{
    if (percorso.isNull() || icon.isNull() || icon.toString().isEmpty())
        return {};
    const QString file = icon.toString();
    if (!percorso.toString().isEmpty()) {
        const QFileInfo inCartella(QDir(percorso.toString()).filePath(file));
        if (inCartella.isFile())
            return inCartella.filePath();
    }
    const QFileInfo inIcone(QDir(Paths::inProgramFolder(QStringLiteral("Icone"))).filePath(file));
    return inIcone.isFile() ? inIcone.filePath() : QString();
}

QStringList riga(const Reparto& r)
{
    return {QString::number(r.cod),    r.descrizione,
            Vb::cstr(r.iva),           Vb::cstr(r.prezzoPrefissato),
            QString::number(r.sconto), r.haIcona() ? QStringLiteral("Si") : QStringLiteral("No")};
}

} // namespace Departments
