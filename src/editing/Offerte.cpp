#include "editing/Offerte.h"

#include "core/Articoli.h"
#include "core/VbConvert.h"
#include "core/config/Generali.h"

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
