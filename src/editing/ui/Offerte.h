#pragma once
// The article window's promotion frame: its handlers, written against pointers to its controls
// (the window itself belongs to the article archive). The Offerte work is in editing/Offerte.
#include "editing/Offerte.h"

#include <QDate>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class QLabel;
class QLineEdit;
class QRadioButton;
class QWidget;

namespace Offerte {

// The start-up notice on the article window's label.
void AvvisoPromozioni(QLabel* lblTab, const QDate& oggi = QDate::currentDate());

} // namespace Offerte

// The controls of the article window's promotion frame.
struct ControlliPromozione
{
    QWidget* frPromozione = nullptr;
    QLineEdit* MaskDal = nullptr;
    QLineEdit* MaskAl = nullptr;
    QLineEdit* txtSconto = nullptr;
    QRadioButton* optEuro = nullptr;     // optTipoSconto(0)
    QRadioButton* optPercento = nullptr; // optTipoSconto(1)
    QLabel* Label5_2 = nullptr;          // "di quanti €" / "quanta %"
    QLineEdit* txtPrezzoScontato = nullptr;
    QLabel* lblMotivo = nullptr; // under the price box: why there is no valid price, whole
    QWidget* cmdConfermaPromozione = nullptr;
    QWidget* txtRicBarCode = nullptr;
};

// What the frame needs of the article list it works on. Every method is required.
class ListaPromozione
{
public:
    virtual ~ListaPromozione() = default;
    // The item text of the selected article, empty when none is selected.
    virtual QString codiceSelezionato() const = 0;
    // The sale-price text ("Prz. V") of the selected article; nullopt when the list has no items.
    virtual std::optional<QString> prezzoSelezionato() const = 0;
    // Whether the first tab of tbTAB (the article list) is selected.
    virtual bool primaScheda() const = 0;
};

class PromozioneFrame : public QObject
{
    Q_OBJECT
public:
    PromozioneFrame(ControlliPromozione c, std::unique_ptr<ListaPromozione> lista, QObject* parent = nullptr);

    // Connects the handlers and key rules to the controls.
    void collega();

    void cmdPromozioni_Click();
    void CaricaOffertaArticolo(const QString& codice);
    void optTipoSconto_Click(int index);
    void txtSconto_Change();
    void txtPrezzoScontato_LostFocus();
    void CalcolaPrezzoScontato();
    void CalcolaSconto();
    // True when the promotion was saved.
    bool cmdConfermaPromozione_Click();
    void cmdAnnullaPromozione_Click();

    bool scontoDaPrezzo() const { return m_scontoDaPrezzo; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::optional<double> prezzoArticolo() const;
    void focusRicBarCode();
    void mostraMotivo(const QString& motivo);
    ControlliPromozione m_c;
    std::unique_ptr<ListaPromozione> m_lista;
    bool m_scontoDaPrezzo = false;
    bool m_opzioneCambiata = false; // the option pressed last was selected by that press
};

// "Sei sicuro di voler eliminare le Offerte selezionate ?" then removes the given promotions,
// each its own period only. True when they were removed (the caller drops the selected rows).
bool EliminaOfferte(const QList<Offerte::Offerta>& offerte);
