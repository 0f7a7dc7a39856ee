#pragma once
// "Configurazione Etichetta - Frontalino": one label at its print size, whose elements the user
// moves and gives fonts; the sheet grid; the layout's save; the preview of the label sheets.
#include "core/Interaction.h"
#include "core/store/RigaElenco.h"
#include "core/ui/FormBase.h"
#include "labels/EasyPrint.h"

#include <QPointer>
#include <array>
#include <memory>
#include <optional>

class QCheckBox;
class QFrame;
class QLineEdit;
class QPushButton;
class QScrollArea;
class frmPreview;

// The font dialog, opened with its previous choice; nullopt on Cancel.
class ScegliFont
{
public:
    virtual ~ScegliFont() = default;
    virtual std::optional<FontEtichetta> scegli(QWidget* parent, const FontEtichetta& precedente) = 0;
};

// The program's font dialog (QFontDialog: it offers no colour, so the element keeps its own).
class DialogoFont final : public ScegliFont
{
public:
    std::optional<FontEtichetta> scegli(QWidget* parent, const FontEtichetta& precedente) override;
};

// One element of the label, drawn by the label painter itself.
class ElementoEtichetta : public QWidget
{
    Q_OBJECT
public:
    ElementoEtichetta(QWidget* parent, const QString& nome);
    void imposta(const QString& testo, const FontEtichetta& font);
    // A barcode-font text drawn instead of the caption (none when empty); the caption stays the
    // element's text.
    void mostraCampione(const QString& testoFont);
    QString testo() const { return m_testo; }
    FontEtichetta font() const { return m_font; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    const QString& disegnato() const { return m_campione.isEmpty() ? m_testo : m_campione; }
    void dimensiona();

    QString m_testo;
    QString m_campione;
    FontEtichetta m_font;
};

class frmConfiguraLabel : public FormBase
{
    Q_OBJECT
public:
    frmConfiguraLabel(Interaction& interazione, ScegliFont& font, SceltaArticoli scelta,
                      std::optional<Articoli::ArticoloElencato> riga, QWidget* parent = nullptr);
    ~frmConfiguraLabel() override;

    QScrollArea* areaEtichetta = nullptr;
    QWidget* superficie = nullptr; // the label surface: its top-left is the label's top-left
    QFrame* Shape1 = nullptr;
    std::array<ElementoEtichetta*, kElementiTesto> lblRigaEti{};
    QWidget* Picture1 = nullptr;
    QLineEdit* txtNumCol = nullptr;
    QLineEdit* txtNumRighe = nullptr;
    QPushButton* cmdAnteprima = nullptr;
    QPushButton* cmdSalva = nullptr;
    QPushButton* cmdChiudi = nullptr;
    QCheckBox* chkAllowDragging = nullptr;
    QCheckBox* Check1 = nullptr;

    void CaricaDatiEtichetta();
    void CaricaFormatoEtichetta();
    void ImpostaStampaEtichette();
    void cmdSalva_Click();
    void cmdAnteprima_Click();
    void cmdChiudi_Click();
    void Check1_Click();
    void lblRigaEti_Click(int indice);

    // The layout as the window holds it now (positions, fonts, grid boxes).
    FormatoEtichetta formato() const;
    // The label sheet the preview and the print use (null before the first set-up).
    EasyPrint* documento() const { return m_foglio.get(); }
    frmPreview* anteprima() const;

protected:
    void formLoad() override;
    void formUnload() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void costruisci();
    void applica(const FormatoEtichetta& f);
    void posiziona(QWidget* w, const QPoint& twips);
    QPoint twipsDi(const QPoint& px) const;
    void conteggioCambiato(QLineEdit* box);
    void aggiornaModello();
    void trascinaFine(QWidget* elemento, const QPoint& globale);
    double pxPerTwip() const;

    Interaction& m_interazione;
    ScegliFont& m_sceltaFont;
    SceltaArticoli m_scelta;
    std::optional<Articoli::ArticoloElencato> m_riga; // the article list's selected row
    OpzioniBarcode m_opzioni;
    std::array<QString, kElementiTesto> m_didascalie;
    std::array<QPoint, kElementiTesto> m_posizioni{};
    QPoint m_posizioneIcona;
    std::unique_ptr<EasyPrint> m_foglio;
    std::optional<FontEtichetta> m_ultimoFont;
    QPointer<QWidget> m_trascinato;
    QPoint m_presa; // twips inside the dragged element
    QPointer<frmPreview> m_anteprima;
    bool m_chiuso = false;
};
