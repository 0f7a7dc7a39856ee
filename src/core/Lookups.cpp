#include "core/Lookups.h"

#include "core/Database.h"
#include "core/ErrorLog.h"
#include "core/VbConvert.h"
#include "core/config/DSNUtente.h"

#include <QHostInfo>
#include <QProcess>
#include <QSqlError>

namespace {

// The first column of the first row; `mancante` when there is no row, `errore` when the read
// failed (logged under the caller's procedure name).
QVariant primoValore(const QString& sql, const QVariantList& values, const QString& proc, const QVariant& mancante,
                     const QVariant& errore = {})
{
    QSqlQuery q = Db::query(sql, values);
    if (!q.isActive()) {
        ScriviErrore(QStringLiteral("Funzioni"), proc, VbErr::DatabaseError, q.lastError().text());
        return errore;
    }
    return q.next() ? q.value(0) : mancante;
}

} // namespace

QString TrovaNomeRep(int cod)
{
    return primoValore(QStringLiteral("SELECT Descrizione FROM Reparti WHERE Cod = ?"), {cod},
                       QStringLiteral("TrovaNomeRep"), QString::number(cod))
        .toString();
}

QString TrovaCodiceRep(const QString& descrizione)
{
    return primoValore(QStringLiteral("SELECT Cod FROM Reparti WHERE Descrizione = ?"), {descrizione},
                       QStringLiteral("TrovaCodiceRep"), QStringLiteral("1"))
        .toString();
}

QString TrovaDescrizioneRep(int idReparto)
{
    return primoValore(QStringLiteral("SELECT NomeReparto FROM RepartiEsterno WHERE IDReparto = ?"), {idReparto},
                       QStringLiteral("TrovaDescrizioneRep"), QStringLiteral("Reparto41"))
        .toString();
}

int TrovaCodiceRepXIVA(int iva)
{
    return primoValore(QStringLiteral("SELECT Cod FROM Reparti WHERE Iva = ?"), {iva},
                       QStringLiteral("TrovaCodiceRepXIVA"), 40, 0)
        .toInt();
}

QString TrovaCodiceFornitore(const QString& codMateriale)
{
    if (codMateriale.isEmpty())
        return {};
    // The leading number as it is: "12.7" finds no article, as it never did; "12" and "12abc" find 12.
    const double n = Vb::val(codMateriale);
    const QVariant v =
        Db::scalar(QStringLiteral("SELECT CodProdottoFornitore FROM Magazzino WHERE CodMateriale = ?"), {n});
    return v.isNull() ? QString() : v.toString();
}

QString FormattaInEuro(const QString& importo)
{
    if (importo.isEmpty())
        return QStringLiteral("0,00");
    const auto v = Vb::cdbl(importo);
    if (!v) {
        ScriviErrore(QStringLiteral("Funzioni"), QStringLiteral("FormattaInEuro 0"), VbErr::TypeMismatch, importo);
        return {};
    }
    return Vb::money(*v);
}

QString NomeComputer()
{
    return QHostInfo::localHostName().toUpper();
}

void EseguiEAttendi(const QString& commandLine)
{
    QStringList args = QProcess::splitCommand(commandLine);
    if (args.isEmpty())
        return;
    const QString program = args.takeFirst();
    QProcess p;
    p.start(program, args);
    if (!p.waitForStarted())
        return;
    p.waitForFinished(-1);
}

void CreaDSNUtente()
{
    Config::DSNUtente::scriviCreato();
}
