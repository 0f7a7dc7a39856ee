#include "labels/EasyPrint.h"

#include "core/VbConvert.h"
#include "core/config/Etichetta.h"
#include "labels/ModuloEAN.h"

#include <cmath>

namespace {

// A4 from the paper edge.
constexpr double kA4Larghezza = 210.0 / 25.4 * 1440.0;
constexpr double kA4Altezza = 297.0 / 25.4 * 1440.0;

} // namespace

double EasyPrint::toTwips(int scala, double v)
{
    switch (scala) {
    case Twips:
        return v;
    case Pollici:
        return v * 1440.0;
    case Millimetri:
        return v * 56.7;
    case Centimetri:
        return v * 567.0;
    default:
        return 0;
    }
}

double EasyPrint::fromTwips(int scala, double v)
{
    switch (scala) {
    case Twips:
        return v;
    case Pollici:
        return v / 1440.0;
    case Millimetri:
        return v / 56.7;
    case Centimetri:
        return v / 567.0;
    default:
        return 0;
    }
}

EasyPrint::EasyPrint() : m_pagina(kA4Larghezza, kA4Altezza) {}

void EasyPrint::setPagina(const QSizeF& twips)
{
    if (twips.width() > 0 && twips.height() > 0)
        m_pagina = twips;
}

void EasyPrint::setPagina(const QPageLayout& layout)
{
    const QRectF punti = layout.fullRect(QPageLayout::Point);
    setPagina(QSizeF(punti.width() * 20.0, punti.height() * 20.0));
}

void EasyPrint::setScaleMode(int scala)
{
    // Margins keep their twips; the gap keeps its number, read in the new unit.
    m_scala = scala;
}

void EasyPrint::margine(double& twips, double v)
{
    if (std::isfinite(v))
        twips = toTwips(m_scala, v);
}

QSizeF EasyPrint::stampabile() const
{
    return {m_pagina.width() - m_margini[0] - m_margini[1], m_pagina.height() - m_margini[2] - m_margini[3]};
}

bool EasyPrint::misureValide(int colonne, int righe) const
{
    if (colonne < 1 || righe < 1 || colonne > kMaxEtichettePerFoglio || righe > kMaxEtichettePerFoglio)
        return false;
    if (colonne * righe > kMaxEtichettePerFoglio)
        return false;
    const double gap = toTwips(m_scala, m_distanza);
    const QSizeF s = stampabile();
    return (s.width() - (colonne - 1) * gap) / colonne > 0 && (s.height() - (righe - 1) * gap) / righe > 0;
}

bool EasyPrint::impostaGriglia(int colonne, int righe)
{
    if (!misureValide(colonne, righe))
        return false;
    m_colonne = colonne;
    m_righe = righe;
    return true;
}

double EasyPrint::larghezzaTwips() const
{
    return (stampabile().width() - (m_colonne - 1) * toTwips(m_scala, m_distanza)) / m_colonne;
}

double EasyPrint::altezzaTwips() const
{
    return (stampabile().height() - (m_righe - 1) * toTwips(m_scala, m_distanza)) / m_righe;
}

int EasyPrint::pages() const
{
    const int perFoglio = etichettePerFoglio();
    return perFoglio > 0 ? (m_copie + perFoglio - 1) / perFoglio : 0;
}

QRectF EasyPrint::cella(int indice) const
{
    const int perFoglio = etichettePerFoglio();
    const int n = perFoglio > 0 ? indice % perFoglio : 0;
    const double gap = toTwips(m_scala, m_distanza);
    const double w = larghezzaTwips();
    const double h = altezzaTwips();
    const int r = n / m_colonne;
    const int c = n % m_colonne;
    return {m_margini[0] + c * (w + gap), m_margini[2] + r * (h + gap), w, h};
}

namespace ArticoliEtichette {
namespace {

using Articoli::SceltaEtichette;
const auto leggi = Articoli::articoliEtichetta;
const auto numero = Articoli::numeroEtichetta;

} // namespace

Letto<QList<ArticoloEtichetta>> seleziona(QString& modo, const SceltaArticoli& scelta)
{
    if (Config::Etichetta::selezioneStandard()) {
        if (modo == QLatin1String("TOOLBAR"))
            return leggi(scelta.modificati ? SceltaEtichette::Modificati : SceltaEtichette::Tutti);
        if (modo == QLatin1String("GRIGLIA"))
            return leggi(SceltaEtichette::Modificati);
        return Letto<QList<ArticoloEtichetta>>::assente();
    }
    if (scelta.perFrontalini)
        return leggi(SceltaEtichette::Frontalini);
    auto marcati = leggi(SceltaEtichette::FrontaliniOModificati);
    if (!marcati.ok)
        return marcati;
    if (marcati.valore->isEmpty())
        return leggi(SceltaEtichette::Tutti);
    modo = QStringLiteral("TOOLBAR");
    return marcati;
}

int conteggio(const Letto<QList<ArticoloEtichetta>>& selezione, int richieste)
{
    if (selezione.trovatoValore() && !selezione.valore->isEmpty())
        return int(selezione.valore->size());
    return richieste;
}

QString prezzo(const QVariant& costo)
{
    const auto c = numero(costo);
    return QStringLiteral("€ ") + (c ? Vb::money(*c) : QString());
}

QString prezzoAlKg(const QVariant& costo, const QVariant& quantita)
{
    const auto c = numero(costo);
    const auto q = numero(quantita);
    if (!c || !q || *q == 0)
        return {};
    return QStringLiteral("€ ") + Vb::money(*c * 1000.0 / *q) + QStringLiteral("/Kg o LT");
}

std::array<QString, kElementiTesto> testi(const ArticoloEtichetta& a, const OpzioniBarcode& o, const QString& attivita)
{
    std::array<QString, kElementiTesto> t;
    const QVariant costo = a.costo ? QVariant(*a.costo) : QVariant();
    t[eliPrezzoKg] = prezzoAlKg(costo, a.tipoMateriale);
    t[eliDescrizione] = a.descrizione.left(24).toUpper();
    t[eliPrezzo] = prezzo(costo);
    t[eliAttivita] = attivita;
    t[eliBarcode] = testoBarcode(a, o);
    return t;
}

QString testoBarcode(const ArticoloEtichetta& a, const OpzioniBarcode& o)
{
    if (o.mostraBarcode)
        return ModuloEAN::testoPerCodice(a.barCode);
    if (o.convertiInEAN8)
        return ModuloEAN::testoPerCodice(a.codProdottoFornitore);
    return a.codProdottoFornitore;
}

QString campioneBarcode(const QList<ArticoloEtichetta>& articoli, const OpzioniBarcode& o)
{
    QString ean8;
    for (const ArticoloEtichetta& a : articoli) {
        const QString t = testoBarcode(a, o);
        const qsizetype cifre = ModuloEAN::decodifica(t).size();
        if (cifre == 13)
            return t;
        if (cifre == 8 && ean8.isEmpty())
            ean8 = t;
    }
    return ean8;
}

} // namespace ArticoliEtichette
