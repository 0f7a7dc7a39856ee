#include "core/Lookups.h"

#include "core/Articoli.h"
#include "core/Database.h"
#include "core/ErrorLog.h"
#include "core/VbConvert.h"
#include "core/config/DSNUtente.h"
#include "core/store/Reparti.h"

#include <QSqlError>
#include <cmath>

namespace {

// Whether the read ran; a failed one is logged under the caller's procedure name.
template <class T> bool letto(const Letto<T>& l, const QString& proc)
{
    if (!l.ok)
        ScriviErrore(QStringLiteral("Funzioni"), proc, VbErr::DatabaseError, l.errore);
    return l.ok;
}

} // namespace

Letto<QString> TrovaNomeRep(int cod)
{
    const Letto<QString> d = Articoli::descrizioneReparto(cod);
    if (!letto(d, QStringLiteral("TrovaNomeRep")))
        return d;
    return Letto<QString>::trovato(d.valore.value_or(QString::number(cod)));
}

Letto<QString> TrovaCodiceRep(const QString& descrizione)
{
    const Letto<int> cod = Articoli::codiceRepartoPerDescrizione(descrizione);
    if (!letto(cod, QStringLiteral("TrovaCodiceRep")))
        return Letto<QString>::fallito(cod.errore);
    return Letto<QString>::trovato(cod.valore ? QString::number(*cod.valore) : QStringLiteral("1"));
}

QString TrovaDescrizioneRep(int idReparto)
{
    QSqlQuery q = Db::query(QStringLiteral("SELECT NomeReparto FROM RepartiEsterno WHERE IDReparto = ?"), {idReparto});
    if (!q.isActive()) {
        ScriviErrore(QStringLiteral("Funzioni"), QStringLiteral("TrovaDescrizioneRep"), VbErr::DatabaseError,
                     q.lastError().text());
        return {};
    }
    return q.next() ? q.value(0).toString() : QStringLiteral("Reparto41");
}

Letto<int> TrovaCodiceRepXIVA(int iva)
{
    const Letto<int> cod = Articoli::codiceRepartoPerIva(iva);
    if (!letto(cod, QStringLiteral("TrovaCodiceRepXIVA")))
        return cod;
    return Letto<int>::trovato(cod.valore.value_or(40));
}

QString TrovaCodiceFornitore(const QString& codMateriale)
{
    if (codMateriale.isEmpty())
        return {};
    // The leading number as it is: "12.7" finds no article, as it never did; "12" and "12abc" find 12.
    const double n = Vb::val(codMateriale);
    if (!(n == std::trunc(n) && std::abs(n) < 9.2e18))
        return {};
    const Letto<Articolo> a = Articoli::perCodice(qint64(n));
    // A failed read is not a missing supplier code: it is logged, then shown empty as before.
    if (!letto(a, QStringLiteral("TrovaCodiceFornitore")) || !a.valore)
        return {};
    return a.valore->codProdottoFornitore;
}

void CreaDSNUtente()
{
    if (!Config::DSNUtente::scriviCreato())
        ScriviErrore(QStringLiteral("Funzioni"), QStringLiteral("CreaDSNUtente"), VbErr::PermissionDenied,
                     QStringLiteral("[DSNUtente] Creato"));
}
