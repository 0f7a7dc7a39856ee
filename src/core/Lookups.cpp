#include "core/Lookups.h"

#include "core/Database.h"
#include "core/ErrorLog.h"
#include "core/VbConvert.h"
#include "core/config/DSNUtente.h"

#include <QHostInfo>
#include <QProcess>
#include <QSqlError>

namespace {

enum class Trovato { Si, No, Errore };

// First column of the first row; errors are logged under the caller's procedure name.
Trovato primoValore(const QString& sql, const QVariantList& values, const QString& proc, QVariant& out)
{
    QSqlQuery q = Db::query(sql, values);
    if (!q.isActive()) {
        ScriviErrore(QStringLiteral("Funzioni"), proc, VbErr::DatabaseError, q.lastError().text());
        return Trovato::Errore;
    }
    if (!q.next())
        return Trovato::No;
    out = q.value(0);
    return Trovato::Si;
}

} // namespace

QString TrovaNomeRep(int cod)
{
    QVariant v;
    switch (primoValore(QStringLiteral("SELECT Descrizione FROM Reparti WHERE Cod = ?"), {cod},
                        QStringLiteral("TrovaNomeRep"), v)) {
    case Trovato::Si:
        return v.toString();
    case Trovato::No:
        return QString::number(cod);
    case Trovato::Errore:
        break;
    }
    return {};
}

QString TrovaCodiceRep(const QString& descrizione)
{
    QVariant v;
    switch (primoValore(QStringLiteral("SELECT Cod FROM Reparti WHERE Descrizione = ?"), {descrizione},
                        QStringLiteral("TrovaCodiceRep"), v)) {
    case Trovato::Si:
        return v.toString();
    case Trovato::No:
        return QStringLiteral("1");
    case Trovato::Errore:
        break;
    }
    return {};
}

QString TrovaDescrizioneRep(int idReparto)
{
    QVariant v;
    switch (primoValore(QStringLiteral("SELECT NomeReparto FROM RepartiEsterno WHERE IDReparto = ?"), {idReparto},
                        QStringLiteral("TrovaDescrizioneRep"), v)) {
    case Trovato::Si:
        return v.toString();
    case Trovato::No:
        return QStringLiteral("Reparto41");
    case Trovato::Errore:
        break;
    }
    return {};
}

int TrovaCodiceRepXIVA(int iva)
{
    QVariant v;
    switch (primoValore(QStringLiteral("SELECT Cod FROM Reparti WHERE Iva = ?"), {iva},
                        QStringLiteral("TrovaCodiceRepXIVA"), v)) {
    case Trovato::Si:
        return v.toInt();
    case Trovato::No:
        return 40;
    case Trovato::Errore:
        break;
    }
    return 0;
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
