#include "editing/Offerte.h"

#include "core/Articoli.h"
#include "core/VbConvert.h"
#include "core/config/Promozioni.h"

namespace Offerte {

namespace {

const QString kModulo = QStringLiteral("Magazzino");

} // namespace

Letto<Offerta> caricaOfferta(const QString& codice)
{
    const auto n = Articoli::codiceDaTesto(codice);
    if (!n)
        return Letto<Offerta>::assente();
    Letto<Offerta> o = Articoli::offertaArticolo(*n);
    if (!o.ok)
        ScriviErrore(kModulo, QStringLiteral("CaricaOffertaArticolo"), VbErr::DatabaseError, o.errore);
    return o;
}

Esito salva(const Offerta& o)
{
    if (!o.dal.isValid() || !o.al.isValid())
        return Esito::fallito(VbErr::TypeMismatch, QString::number(o.articolo));
    const Esito e = Articoli::sostituisciOfferta(o);
    if (!e)
        ScriviErrore(kModulo, QStringLiteral("SalvaPromozione"), e);
    return e;
}

Esito elimina(const QList<Offerta>& offerte)
{
    const Esito e = Articoli::eliminaOfferte(offerte);
    if (!e)
        ScriviErrore(kModulo, QStringLiteral("CmdEliminaOfferta_Click"), e);
    return e;
}

Letto<QList<RigaOfferta>> elenco(const QDate& dal)
{
    const QString proc = QStringLiteral("VediTutteLePromozioni");
    if (!dal.isValid()) {
        ScriviErrore(kModulo, proc, VbErr::TypeMismatch, QStringLiteral("MaskDal"));
        return Letto<QList<RigaOfferta>>::fallito(QStringLiteral("MaskDal"));
    }
    const Letto<QList<Offerta>> offerte = Articoli::offerteDal(dal);
    if (!offerte.ok) {
        ScriviErrore(kModulo, proc, VbErr::DatabaseError, offerte.errore);
        return Letto<QList<RigaOfferta>>::fallito(offerte.errore);
    }
    QList<RigaOfferta> righe;
    for (const Offerta& o : *offerte.valore) {
        const Letto<Articoli::TestiOfferta> t = Articoli::testiOfferta(o);
        if (!t.ok) {
            ScriviErrore(kModulo, proc, VbErr::DatabaseError, t.errore);
            return Letto<QList<RigaOfferta>>::fallito(t.errore);
        }
        righe << RigaOfferta{o,
                             {QString::number(righe.size() + 1), t.valore->articolo, t.valore->descrizione,
                              t.valore->dal, t.valore->al, t.valore->scontoValore, t.valore->scontoPercentuale,
                              t.valore->prezzoScontato}};
    }
    return Letto<QList<RigaOfferta>>::trovato(righe);
}

Periodo verificaPeriodo(const QString& dal, const QString& al, const QDate& oggi)
{
    const auto vuota = [](QString t) {
        t.remove(QLatin1Char('/'));
        t.remove(QLatin1Char('_'));
        return t.trimmed().isEmpty();
    };
    const auto rifiuto = [](Periodo::Esito e, Periodo::Casella c, const QString& m) {
        return Periodo{e, c, m, {}, {}};
    };
    const QString mancante = QStringLiteral("Verificare le date per il periodo di promozione");
    const bool dalVuota = vuota(dal), alVuota = vuota(al);
    if (dalVuota && alVuota)
        return rifiuto(Periodo::Mancante, Periodo::Nessuna, mancante);
    const QDate d = Vb::parseDate(dal), a = Vb::parseDate(al);
    if (!dalVuota && !d.isValid())
        return rifiuto(Periodo::NonValida, Periodo::Dal, QStringLiteral("Data non Valida!"));
    if (!alVuota && !a.isValid())
        return rifiuto(Periodo::NonValida, Periodo::Al, QStringLiteral("Data non Valida!"));
    // Both dates are needed: a period with one end only could not be stored.
    if (dalVuota || alVuota)
        return rifiuto(Periodo::Mancante, dalVuota ? Periodo::Dal : Periodo::Al, mancante);
    if (a < d)
        return rifiuto(Periodo::Invertita, Periodo::Dal,
                       QStringLiteral("Data 'DAL' più RECENTE di quella 'AL'!Operazione non Valida"));
    if (d < oggi)
        return rifiuto(Periodo::Passata, Periodo::Dal, QStringLiteral("Verifica l'impostazione delle date"));
    return Periodo{Periodo::Ok, Periodo::Nessuna, {}, d, a};
}

std::optional<PrezzoScontato> prezzoScontato(double prezzo, const QString& sconto, bool percento)
{
    if (sconto.isEmpty())
        return std::nullopt;
    const auto s = Vb::cdbl(sconto);
    if (!s)
        return std::nullopt;
    const double p = percento ? prezzo - (*s * prezzo) / 100.0 : prezzo - *s;
    return PrezzoScontato{Vb::money(p), Vb::roundHalfAway(p, 2) < 0};
}

std::optional<QString> scontoDaPrezzo(double prezzo, const QString& prezzoPromo)
{
    const auto p = Vb::cdbl(prezzoPromo);
    if (!p)
        return std::nullopt;
    return Vb::money(prezzo - *p);
}

int codiceAvviso(const QDate& oggi)
{
    const Letto<Articoli::OfferteDelGiorno> g = Articoli::offerteDelGiorno(oggi);
    if (!g.ok) {
        // No notice rather than a wrong one; the failure is in the log.
        ScriviErrore(kModulo, QStringLiteral("AvvisoPromozioni"), VbErr::DatabaseError, g.errore);
        return 0;
    }
    return (g.valore->iniziano ? 1 : 0) + (g.valore->finiscono ? 2 : 0);
}

bool avvisoAttivo()
{
    return Config::Promozioni::avvisoAttivo();
}

QString testoAvviso(int codice, int* puntiFont)
{
    int punti = 20;
    QString t;
    switch (codice) {
    case 1:
        t = QStringLiteral("INIZIANO DELLE OFFERTE - EFFETTUARE UN INVIO ALLE CASSE");
        break;
    case 2:
        t = QStringLiteral("TERMINANO DELLE OFFERTE - EFFETTUARE UN INVIO ALLE CASSE");
        break;
    case 3:
        punti = 18;
        t = QStringLiteral("INIZIANO/TERMINANO DELLE OFFERTE - EFFETTUARE UN INVIO ALLE CASSE");
        break;
    default:
        break;
    }
    if (puntiFont)
        *puntiFont = t.isEmpty() ? 0 : punti;
    return t;
}

} // namespace Offerte
