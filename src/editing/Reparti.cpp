#include "editing/Reparti.h"

#include "core/NumeroDigitato.h"
#include "core/Paths.h"
#include "core/VbConvert.h"
#include "core/store/Reparti.h"

#include <QDir>
#include <QFileInfo>
#include <functional>

namespace Reparti {

namespace {

const QString kModulo = QStringLiteral("Reparti");

// Rewrites the stored row of `cod` as `cambia` leaves it; a department that is not there is a
// failure, as a failed read or write is.
Esito riscrivi(int cod, const QString& procedura, const std::function<void(Reparto&)>& cambia)
{
    const Letto<Reparto> letto = Articoli::repartoPerCodice(cod);
    Esito e;
    if (!letto.ok)
        e = Esito::fallito(VbErr::DatabaseError, letto.errore);
    else if (!letto.valore)
        e = Esito::fallito(VbErr::DatabaseError, QStringLiteral("Cod %1 non trovato").arg(cod));
    else {
        Reparto r = *letto.valore;
        cambia(r);
        e = Articoli::aggiornaReparto(r);
    }
    if (!e)
        ScriviErrore(kModulo, procedura, e);
    return e;
}

} // namespace

bool haIcona(const Reparto& r)
{
    // The list tells a stored icon name, even an empty one (a reset writes one), from none.
    return !r.icon.isNull();
}

Letto<QList<Reparto>> tutti()
{
    Letto<QList<Reparto>> l = Articoli::reparti();
    if (!l.ok)
        ScriviErrore(kModulo, QStringLiteral("CaricaReparti"), VbErr::DatabaseError, l.errore);
    return l;
}

Letto<Reparto> leggi(int cod)
{
    Letto<Reparto> r = Articoli::repartoPerCodice(cod);
    if (!r.ok)
        ScriviErrore(kModulo, QStringLiteral("MostraReparto"), VbErr::DatabaseError, r.errore);
    return r;
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
    return riscrivi(cod, QStringLiteral("SalvaReparto"), [&](Reparto& r) {
        r.descrizione = m.nome;
        r.iva = *iva;
        r.prezzoPrefissato = Vb::roundHalfAway(*valore, 2);
        r.sconto = m.prezzoZero ? 1 : 0;
        r.noFiscale = m.nonFiscale;
        if (!m.conIcona) {
            r.percorsoIcon = QStringLiteral("");
            r.icon = QString();
        } else if (!m.nuovoFile.isEmpty()) {
            r.percorsoIcon = m.nuovaCartella;
            r.icon = m.nuovoFile;
        } // else no new picture chosen: the stored icon stays as it is
    });
}

Esito azzera(int cod)
{
    return riscrivi(cod, QStringLiteral("AzzeraReparto"), [cod](Reparto& r) {
        r = Reparto{};
        r.cod = cod;
        r.descrizione = QStringLiteral("Reparto%1").arg(cod);
        r.percorsoIcon = QStringLiteral("");
        r.icon = QStringLiteral("");
    });
}

Esito dimenticaIcona(int cod)
{
    const Esito e = Articoli::togliIconaReparto(cod);
    if (!e)
        ScriviErrore(kModulo, QStringLiteral("MostraReparto"), e);
    return e;
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

} // namespace Reparti
