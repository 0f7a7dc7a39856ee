#pragma once
// Promotions (table Offerte): an article's discounted price for a period. Plain logic first,
// then the handlers of the article window's promotion frame, written against pointers to its
// controls (the window itself belongs to the article archive).
#include "core/ErrorLog.h"
#include "core/Read.h"

#include <QDate>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QLabel;
class QLineEdit;
class QRadioButton;
class QWidget;

namespace Promotions {

struct Offerta
{
    QString articolo;
    QDate dal;
    QDate al;
    double scontoVal = 0;
    double scontoPer = 0;
    double przScnt = 0;
    bool inEuro() const { return scontoVal != 0; }
};

// The article's promotion to show: the first by DataDAL.
// The article's first promotion; a failed query is reported, never "no promotion".
Letto<Offerta> caricaOfferta(const QString& codice);

// Replaces the promotion of the same article and period and marks the article, all or nothing.
Esito salva(const Offerta& o);

// Removes every promotion of each article and marks them, all or nothing.
Esito eliminaArticoli(const QStringList& codici);

// Rows of lstOfferte from `dal` on, by DataDAL: "Cod", "CodArt", "Descrizione", "DAL", "AL",
// "Sconto Valore", "Sconto Percentuale", "Prezzo Scontato".
QList<QStringList> elenco(const QDate& dal);

// The promotional price text for a price and a discount; `azzeraSconto` when it came out below 0.
struct PrezzoScontato
{
    QString prezzo;
    bool azzeraSconto = false;
};
std::optional<PrezzoScontato> prezzoScontato(double prezzo, const QString& sconto, bool percento);
// The euro discount from a typed promotional price, two decimals.
std::optional<QString> scontoDaPrezzo(double prezzo, const QString& prezzoPromo);

// 0 none, 1 some start today, 2 some end today, 3 both.
int codiceAvviso(const QDate& oggi);
// [Promozioni] AvvisoAttivo, written "Falso" when missing or empty.
bool avvisoAttivo();
// The notice text and font size of a code; empty for 0.
QString testoAvviso(int codice, int* puntiFont = nullptr);
// The start-up notice on the article window's label.
void AvvisoPromozioni(QLabel* lblTab, const QDate& oggi = QDate::currentDate());

} // namespace Promotions

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
    QWidget* cmdConfermaPromozione = nullptr;
    QWidget* txtRicBarCode = nullptr;
    // The item text of the selected article, empty when none is selected.
    std::function<QString()> codiceSelezionato;
    // The sale-price text ("Prz. V") of the selected article; nullopt when the list has no items.
    std::function<std::optional<QString>()> prezzoSelezionato;
    // Whether the first tab of tbTAB (the article list) is selected.
    std::function<bool()> primaScheda;
};

class PromozioneFrame : public QObject
{
    Q_OBJECT
public:
    explicit PromozioneFrame(ControlliPromozione c, QObject* parent = nullptr);

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
    std::function<QDate()> oggi = [] { return QDate::currentDate(); };

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::optional<double> prezzoArticolo() const;
    void focusRicBarCode();
    ControlliPromozione m_c;
    bool m_scontoDaPrezzo = false;
};

// "Sei sicuro di voler eliminare le Offerte selezionate ?" then removes every promotion of the
// given articles. True when they were removed (the caller drops the selected rows).
bool EliminaOfferte(const QStringList& codiciArticolo);
