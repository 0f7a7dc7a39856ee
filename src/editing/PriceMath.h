#pragma once
// The editor's price fields kept consistent while the user types: purchase price, VAT, purchase
// price with VAT, public price and mark-up. The model holds the field texts and runs each field's
// change rule when a text changes, as the boxes' change events did; the window mirrors the texts.
#include <QString>
#include <optional>

namespace PriceMath {

// Two decimals with Italian grouping ("1.234,50").
QString dueDecimali(double x);
// A field's number as the Italian locale reads it; nullopt for empty or not-a-number text.
std::optional<double> numero(const QString& text);
// Mark-up percent of public price P over cost C, full precision ("50", "33,3333333333333").
// nullopt when C is 0.
std::optional<QString> ricarico(double p, double c);
// Public price from mark-up R over cost C, two decimals.
QString prezzoDaRicarico(double r, double c);
// Purchase price with VAT: A + A x I / 100, two decimals.
QString conIva(double a, double iva);

} // namespace PriceMath

class CalcoloPrezzi
{
public:
    enum class Campo { Acquisto, Iva, AcquistoConIva, PrezzoPubblico, RicaricoCalcolato, Ricarico, Costo };

    // What the model needs of the window that shows its boxes.
    class Vista
    {
    public:
        virtual ~Vista() = default;
        // Every text the model writes, so the window shows it.
        virtual void scritto(Campo c, const QString& text) = 0;
        // "IMPOSTARE ALIQUOTA IVA - Verificare": the purchase price changed with no VAT shown.
        virtual void ivaMancante() = 0;
    };

    explicit CalcoloPrezzi(Vista& vista) : m_vista(vista) {}

    // A box's text changed (typed or set by code): stores it and runs the box's change rule.
    void cambia(Campo c, const QString& text);
    QString testo(Campo c) const;
    void azzera();

private:
    void scrivi(Campo c, const QString& text);
    void dopoCambio(Campo c);
    void calcolaPrezzi();
    void aggiornaRicarico();

    Vista& m_vista;
    QString m_testi[7];
    bool m_calcoloPrezziInCorso = false;
    bool m_calcoloPrezzoPubblico = false;
    bool m_calcoloRicarico = false;
};
