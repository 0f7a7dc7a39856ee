#pragma once
// The import window "Importazione dati - Aggiornamento": the technician picks the separator,
// the column positions, optionally a supplier and the spreadsheet switch, then "&Procedi" asks
// for the file and hands it to an engine of the logic library. The engine's progress shows in
// lblTab and a progress bar with its count; the window may be closed while it runs. Unloading reloads the article list.
#include "core/ui/FormBase.h"
#include "import/Listini.h"

#include <array>
#include <memory>

class Interaction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

// The article list that an import refreshes when its window unloads.
class ElencoArticoli
{
public:
    virtual ~ElencoArticoli() = default;
    virtual void ricarica() = 0;
    // Expires with the article window that gives this list: what goes on after the password
    // window, or closes later, checks it first.
    std::weak_ptr<const bool> vita() const { return m_vita; }

private:
    std::shared_ptr<const bool> m_vita = std::make_shared<const bool>(true);
};

class frmImporta : public FormBase
{
    Q_OBJECT
public:
    frmImporta(Interaction& ui, ElencoArticoli& elenco, QWidget* parent = nullptr);

    // The default instance, created and loaded on first use; null when it was closed while it
    // loaded (the load waits with events running).
    static frmImporta* apri(Interaction& ui, ElencoArticoli& elenco);

    QLineEdit* txtPercorso = nullptr;
    QCheckBox* ckFileExcel = nullptr;
    QGroupBox* frFornitore = nullptr;
    QComboBox* cbFornitore = nullptr;
    QGroupBox* frSeparatore = nullptr;
    std::array<QRadioButton*, 6> optSeparatore{};
    QGroupBox* frPosizioni = nullptr;
    QComboBox* cbPDes = nullptr;
    QComboBox* cbPQta = nullptr;
    QComboBox* cbPBC = nullptr;
    QComboBox* cbPRep = nullptr;
    QComboBox* cbPPV = nullptr;
    QComboBox* cbPACQ = nullptr;
    QComboBox* cbIVA = nullptr;
    QComboBox* cbCFOR = nullptr;
    QComboBox* cbFOR = nullptr;
    QPushButton* cmdValPredef = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* cmdProcedi = nullptr;
    QPushButton* cmdChiudi = nullptr;
    QLabel* lblTab = nullptr;
    // How far a running import is: the bar and its count ("1.500 di 100.000"), shown while it runs.
    QProgressBar* pbAvanzamento = nullptr;
    QLabel* lblConteggio = nullptr;

    QString Separatore() const { return m_separatore; }
    bool importazioneInCorso() const { return m_inCorso; }

    void optSeparatore_Click(int index);
    void cmdValPredef_Click();
    void Command1_Click();
    void cmdProcedi_Click();
    void cmdChiudi_Click();
    void CaricaComboFornitori();
    // A folder chosen by the user for the updated data, or empty when cancelled.
    QString SceltaPerc(const QString& testo);
    // What the controls say now.
    ImpostazioniImport impostazioni() const;

protected:
    void formLoad() override;
    void formUnload() override;
    void showEvent(QShowEvent* e) override;

private:
    QString ScegliFileImport(const QString& titolo);
    Interaction& m_ui;
    ElencoArticoli& m_elenco;
    std::weak_ptr<const bool> m_vitaElenco;
    QString m_separatore = QStringLiteral(";");
    bool m_inCorso = false;
};

// The article window's "&Importa da FileDati": the technician's password, then the import
// window, modally; the article window skips its next refresh only while the password is asked.
void ImportaDaFileDati(Interaction& ui, ElencoArticoli& elenco);
