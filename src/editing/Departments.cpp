#include "editing/Departments.h"

#include "core/Database.h"
#include "core/NumeroDigitato.h"
#include "core/Paths.h"
#include "core/VbConvert.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

namespace Departments {

namespace {

const QString kModulo = QStringLiteral("Reparti");
} // namespace

bool haIcona(const Reparto& r)
{
    return !r.icon.isEmpty();
}

QList<Reparto> tutti(bool* ok)
{
    const Letto<QList<Reparto>> l = Articoli::reparti();
    if (ok)
        *ok = l.ok;
    if (!l.ok)
        ScriviErrore(kModulo, QStringLiteral("CaricaReparti"), VbErr::DatabaseError, l.errore);
    return l.valore.value_or(QList<Reparto>());
}

std::optional<Reparto> leggi(int cod)
{
    return Articoli::repartoPerCodice(cod).valore;
}

QString verificaIva(const QString& iva)
{
    const auto v = numeroDaTastiera(iva);
    if (!v)
        return QStringLiteral("Formato 'Iva' non valido");
    if (*v > 100)
        return QStringLiteral("'Iva' non valida: al massimo 100");
    return {};
}

Esito salva(int cod, const Modifica& m)
{
    const auto iva = verificaIva(m.iva).isEmpty() ? numeroDaTastiera(m.iva) : std::nullopt;
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

QString percorsoIcona(const QString& percorso, const QString& icon)
{
    if (percorso.isNull() || icon.isEmpty())
        return {};
    const QString file = icon;
    if (!percorso.isEmpty()) {
        const QFileInfo inCartella(QDir(percorso).filePath(file));
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
            QString::number(r.sconto), haIcona(r) ? QStringLiteral("Si") : QStringLiteral("No")};
}

} // namespace Departments
