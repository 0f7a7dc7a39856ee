#pragma once
// The department window "Reparti": the table's rows, one department shown, edited or reset.
// Departments are never created or deleted here.
#include "core/ErrorLog.h"
#include "core/ui/FormBase.h"
#include "editing/ui/ArchivioCallbacks.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QStatusBar;
class QTableWidget;
struct Reparto;

class RepartiWindow : public FormBase
{
    Q_OBJECT
public:
    // `archivio`: the article window that opens it; it outlives it (the window is modal).
    explicit RepartiWindow(ArchivioCallbacks& archivio, QWidget* parent = nullptr);

    void CaricaReparti();
    void MostraReparto();
    void PreparaPerModifica();
    bool ControllaCampi();
    Esito SalvaReparto();
    void AzzeraReparto();
    void ModoVisualizza();

    void Command1_Click(int index);
    void Conferma_Click();
    void Annulla_Click();
    void Uscita_Click();
    void ListReparti_Click();
    void File1_Click(const QString& file);
    bool inModifica() const;

    QLabel* Reparti = nullptr; // header
    QLabel* Label3 = nullptr;
    QTableWidget* ListReparti = nullptr;
    QGroupBox* Frame1 = nullptr;
    QLineEdit* NomeReparto = nullptr;
    QLineEdit* Iva = nullptr;
    QLineEdit* txtValoreReparto = nullptr;
    QCheckBox* ckPrezzoZero = nullptr;
    QCheckBox* Fiscale = nullptr;
    QPushButton* Conferma = nullptr;
    QPushButton* Annulla = nullptr;
    QPushButton* Command1[3] = {nullptr, nullptr, nullptr};
    QPushButton* Uscita = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    // Built hidden; still filled and read.
    QLineEdit* Prezzo = nullptr;
    QCheckBox* Check1 = nullptr;
    QLineEdit* Sconto = nullptr;
    QCheckBox* Check2 = nullptr;
    QCheckBox* Check3 = nullptr;
    QGroupBox* FrameIcona = nullptr;
    QLineEdit* Dir1 = nullptr; // the folder shown in File1
    QListWidget* File1 = nullptr;
    QLabel* Image1 = nullptr;
    QLineEdit* EsistenzaFigura = nullptr;
    QGroupBox* frAvviso = nullptr;
    QLabel* lblAvviso = nullptr;

protected:
    void formLoad() override;
    void formActivate() override;
    // Refused while the departments are being sent: the send works through this window and
    // would lose the register's port, which the unload closes.
    bool formQueryUnload() override;
    void formUnload() override;

private:
    int codiceSelezionato(bool* ok) const;
    bool mostraIcona(const QString& path);
    void aggiornaFile1();
    // The name, VAT, fixed price and discount boxes (with their ticks) from the stored row.
    void mostraCampi(const Reparto& r);
    // Nothing shown: what a failed read leaves.
    void svuotaCampi();
    // A value refused: `testo` said, the box emptied and focused. Always false.
    bool rifiuta(QLineEdit* casella, const QString& testo);
    // A ticked optional number ("Prezzo Prefissato", "Sconto Automatico"): an empty box unticks
    // it; one that is not a number is refused.
    bool numeroFacoltativo(QCheckBox* spunta, QLineEdit* casella, const QString& campo);

    ArchivioCallbacks& m_archivio;
    std::weak_ptr<const bool> m_vitaArchivio;
    QString m_nuovaCartella;
    QString m_nuovoFile;
    bool m_caricamento = false;
};

// The article window's department button: the window "Reparti", modally.
void Generi_Click(ArchivioCallbacks& cb);
