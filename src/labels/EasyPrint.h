#pragma once
// The label-sheet engine: the geometry of one sheet of labels (page, margins, rows, columns, gap),
// the number of labels, the label every cell copies and the articles that fill the cells.
// Pages are found by number: the first label of page p is (p - 1) x rows x columns.
#include "core/Read.h"
#include "core/store/Etichette.h"
#include "labels/FormatoEtichetta.h"

#include <QImage>
#include <QList>
#include <QPageLayout>
#include <QRectF>
#include <QSizeF>
#include <QVariant>
#include <array>

// What the barcode element shows ([Etichetta] VediBARCODE and ConvertiCodFornitoreInEAN8).
struct OpzioniBarcode
{
    bool mostraBarcode = false;
    bool convertiInEAN8 = false;
};

// The article window's choice of articles: its "Invio PLU Modificati" and "x Frontalini" boxes.
struct SceltaArticoli
{
    bool modificati = false;
    bool perFrontalini = false;
};

// The label every cell copies: the designer's captions, places and fonts and its icon.
struct ModelloEtichetta
{
    std::array<QString, kElementiTesto> didascalia;
    FormatoEtichetta formato;
    QSizeF dimensioneIcona{510, 510}; // twips
    QImage icona;
    bool conIcona = true;
};

class EasyPrint
{
public:
    enum Scala { Twips = 1, Pollici = 5, Millimetri = 6, Centimetri = 7 };
    static constexpr int kMaxEtichettePerFoglio = 255;

    static double toTwips(int scala, double v);
    static double fromTwips(int scala, double v);

    EasyPrint();

    // The printer's page from the paper edge (ReadPageMetrics); A4 until one is set.
    void setPagina(const QSizeF& twips);
    void setPagina(const QPageLayout& layout);
    QSizeF pagina() const { return m_pagina; }

    void setScaleMode(int scala);
    int scaleMode() const { return m_scala; }
    void setMarginLeft(double v) { margine(m_margini[0], v); }
    void setMarginRight(double v) { margine(m_margini[1], v); }
    void setMarginTop(double v) { margine(m_margini[2], v); }
    void setMarginBottom(double v) { margine(m_margini[3], v); }
    double marginLeft() const { return fromTwips(m_scala, m_margini[0]); }
    double marginTop() const { return fromTwips(m_scala, m_margini[2]); }

    // Columns and rows: false, and no change, for 0 or less, above 255, a sheet of more than 255
    // labels, or a grid whose labels would have no width or height.
    bool setMaxCol(int n) { return impostaGriglia(n, m_righe); }
    bool setMaxRow(int n) { return impostaGriglia(m_colonne, n); }
    bool impostaGriglia(int colonne, int righe);
    int maxCol() const { return m_colonne; }
    int maxRow() const { return m_righe; }
    int etichettePerFoglio() const { return m_colonne * m_righe; }

    void setLabelDistance(double v) { m_distanza = v; }
    double labelDistance() const { return m_distanza; }
    void setLabelCopies(int n) { m_copie = n < 0 ? 0 : n; }
    int labelCopies() const { return m_copie; }
    void setLabelInitCounter(int n) { m_contatoreIniziale = n; }
    int labelInitCounter() const { return m_contatoreIniziale; }

    // One label's size in the current unit.
    double labelWidth() const { return fromTwips(m_scala, larghezzaTwips()); }
    double labelHeigth() const { return fromTwips(m_scala, altezzaTwips()); }
    double larghezzaTwips() const;
    double altezzaTwips() const;
    // Sheets for all the labels: 0 labels give 0 sheets.
    int pages() const;
    // Printable area inside the margins, twips.
    QSizeF stampabile() const;
    // The cell of the label at `indice` (0 = first cell, along the rows), twips from the paper edge.
    QRectF cella(int indice) const;
    // Index of the first label of page `pagina` (from 1).
    int primaEtichetta(int pagina) const { return (pagina - 1) * etichettePerFoglio(); }

    // What the cells show.
    ModelloEtichetta modello;
    QList<ArticoloEtichetta> articoli;
    bool modoGriglia = false; // every label repeats the designer's captions
    OpzioniBarcode opzioni;

private:
    void margine(double& twips, double v);
    bool misureValide(int colonne, int righe) const;

    QSizeF m_pagina;
    int m_scala = Twips;
    std::array<double, 4> m_margini{}; // left, right, top, bottom, twips
    int m_colonne = 1;
    int m_righe = 1;
    double m_distanza = 0; // in the unit of the current ScaleMode
    int m_copie = 1;
    int m_contatoreIniziale = 1;
};

namespace ArticoliEtichette {

// The articles to label, by the label count's rules: the mode and [Etichetta] SelezioneStandard
// pick the query; `modo` may turn to "TOOLBAR". Nothing when the mode opens no query.
Letto<QList<ArticoloEtichetta>> seleziona(QString& modo, const SceltaArticoli& scelta);

// How many labels: the selection's size when it has rows, else `richieste` unchanged.
int conteggio(const Letto<QList<ArticoloEtichetta>>& selezione, int richieste);

// Texts of a label for one article: price per kg, description, price and barcode element
// (the shop-name element keeps its caption, given here as `attivita`).
std::array<QString, kElementiTesto> testi(const ArticoloEtichetta& a, const OpzioniBarcode& o, const QString& attivita);
// The barcode element's text alone.
QString testoBarcode(const ArticoloEtichetta& a, const OpzioniBarcode& o);

// A symbol of the widest kind the labels of `articoli` print (an EAN-13 before an EAN-8), as
// barcode-font text; empty when none of them prints a barcode.
QString campioneBarcode(const QList<ArticoloEtichetta>& articoli, const OpzioniBarcode& o);

// "€ 5,00/Kg o LT" for a price and a pack quantity, or empty when either is not a number or
// the quantity is 0.
QString prezzoAlKg(const QVariant& costo, const QVariant& quantita);
QString prezzo(const QVariant& costo);

} // namespace ArticoliEtichette
