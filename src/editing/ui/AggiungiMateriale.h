#pragma once
// The article editor: one Magazzino row created or changed, with its price arithmetic, its extra
// barcodes and the barcode scanner on its own serial line. Always shown modally over the
// article window, which opens it through Aggiungi_Click, Modifica_Click and IntercettaBarCode.
#include "core/ErrorLog.h"
#include "core/ui/FormBase.h"
#include "editing/PriceMath.h"
#include "editing/ScannerLine.h"
#include "editing/ui/ArchivioCallbacks.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSerialPort;
class QTableWidget;

class AggiungiMateriale : public FormBase, private CalcoloPrezzi::Vista
{
    Q_OBJECT
public:
    // `archivio`: the article window that opens the editor; it outlives it (the editor is modal).
    explicit AggiungiMateriale(ArchivioCallbacks& archivio, QWidget* parent = nullptr);

    // What an opening came to: the editor is filled, the article is not (or no longer) there, or
    // a read failed (already told to the user, and logged).
    enum class [[nodiscard]] Preparazione{Pronta, Assente, NonLetta};
    // Both openings fill the editor from the stored row, so nothing shown is lost or changed.
    Preparazione PreparaPerModifica(const QString& codice);
    Preparazione PreparaPerModificaDaRecordset(const QString& codice);
    // The department and supplier lists were read at the load. When not, the failure was told
    // and the editor must not open: it would offer empty lists as if there were none.
    bool elenchiLetti() const { return m_elenchiLetti; }

    void CaricaUnitaMisura();
    // False (told and logged) when the list could not be read.
    bool CaricaGeneri();
    bool CaricaFornitori();
    void CaricaIvaReparto();

    // "Ok" when the boxes may be saved; "NOK" or empty otherwise (the focus is left on the culprit).
    QString ControlloCampi();
    Esito SalvaDatiMateriale();
    void CmdConferma_Click();
    void cmdAccetta_Click();
    void cmdAnnulla_Click();
    void cmdTastieraVirtual_Click();

    void cmdBCAlternativi_Click();
    void cmdNascondi_Click();
    void AggiungiBarCodeAlternativo(const QString& code);
    void ScaricaCaselleTesto();
    QStringList celleBarCode() const;

    // The scanner line's data: every complete code lands in LbLBarCode.
    void MSComm1_OnComm();
    void ricevutiDalloScanner(const QString& dati);

    bool isModifica() const;

    QGroupBox* Frame1 = nullptr;
    QLabel* Label9 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* TxtDesc = nullptr;
    QLineEdit* LbLBarCode = nullptr;
    QLineEdit* txtCodArtFornitore = nullptr;
    QComboBox* CboGenere = nullptr;
    QComboBox* CboFornitore = nullptr;
    QComboBox* txtUm = nullptr;
    QLineEdit* TxtQTA = nullptr;
    QLineEdit* TxtCosto = nullptr;
    QLineEdit* txtAcquisto = nullptr;
    QLineEdit* txtIVA = nullptr;
    QLineEdit* txtAcquistoConIVA = nullptr;
    QLineEdit* txtPrezzoPubblico = nullptr;
    QLineEdit* txtRicaricoCalcolato = nullptr;
    QLineEdit* txtPesoConf = nullptr;
    QLineEdit* AppCodeModifica = nullptr;
    QLineEdit* txtRicarico = nullptr;
    QComboBox* cbTaglie = nullptr;
    QComboBox* cbColore = nullptr;
    QPushButton* CmdConferma = nullptr;
    QPushButton* cmdAccetta = nullptr;
    QPushButton* cmdAnnulla = nullptr;
    QPushButton* cmdAggiungi = nullptr;
    QPushButton* cmdBCAlternativi = nullptr;
    QPushButton* cmdTastieraVirtual = nullptr;
    QGroupBox* frBarCodeAlternativi = nullptr;
    QTableWidget* lstElencoBarCode = nullptr;
    QLineEdit* lblCercaBarCode = nullptr;
    QPushButton* cmdNascondi = nullptr;
    QSerialPort* MSComm1 = nullptr;

protected:
    void formLoad() override;
    void formActivate() override;
    void formUnload() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Preparazione riempi(const QString& codice);
    QLineEdit* casella(CalcoloPrezzi::Campo c) const;
    void collegaPrezzi();
    void collegaTasti();

    // The price boxes as the price model writes them.
    void scritto(CalcoloPrezzi::Campo c, const QString& text) override;
    void ivaMancante() override;

    ArchivioCallbacks& m_archivio;
    CalcoloPrezzi m_prezzi{*this};
    BufferScanner m_bufferScanner;
    bool m_scriveModello = false;
    bool m_riempimento = false;
    bool m_barCodeLetti = false; // the grid holds what BarCodeUlteriori had: only then may it be saved
    bool m_elenchiLetti = false;
};

// The article window's buttons.
// New article: the editor in new mode, then the list reloaded.
void Aggiungi_Click(ArchivioCallbacks& cb);
// Edit or delete the selected article (`codiceSelezionato` empty when no row is selected).
void Modifica_Click(const QString& codiceSelezionato, ArchivioCallbacks& cb);
