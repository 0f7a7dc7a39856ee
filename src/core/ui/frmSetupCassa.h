#pragma once
// Settings window "Impostazioni Periferiche": register lines and address, register model,
// PLU acquisition method, interchange folders, label shop name, external database, interface
// colour and picture, and the two system printers. Unsaved changes = CmdApplica enabled.
#include "core/AppState.h"
#include "core/ui/FormBase.h"

#include <QColor>
#include <functional>

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

class frmSetupCassa : public FormBase
{
    Q_OBJECT
public:
    explicit frmSetupCassa(QWidget* parent = nullptr);

    QTabWidget* SSTab1 = nullptr;
    QComboBox* cbPortaComCassa = nullptr;
    QComboBox* cbPortaComCassa1 = nullptr;
    QComboBox* cbPortaComCassa2 = nullptr;
    QComboBox* cbVelocitaComCassa = nullptr;
    QComboBox* cbBitDatiComCassa = nullptr;
    QComboBox* cbParitaComCassa = nullptr;
    QComboBox* cbBitStopComCassa = nullptr;
    QComboBox* cbFlussoComCassa = nullptr;
    QLineEdit* txtIP[4] = {}; // txtIP1 .. txtIP4
    QCheckBox* ckTipoST = nullptr;
    QCheckBox* ckPrendiPLU[2] = {};
    QLineEdit* txtInterscambioIN = nullptr;
    QPushButton* cmdCartellaIN = nullptr;
    QLineEdit* txtInterscambioOUT = nullptr;
    QPushButton* cmdCartellaOUT = nullptr;
    QLineEdit* txtNomeAttivita = nullptr;
    QLineEdit* txtDatabaseEsterno = nullptr;
    QPushButton* cmdSelezionaDBEsterno = nullptr;
    QFrame* PicColore = nullptr;
    QPushButton* CmdColore = nullptr;
    QLabel* imgSfondo = nullptr;
    QPushButton* cmdCambiaSfondo = nullptr;
    QLineEdit* txtStA4 = nullptr;
    QLineEdit* txtStFR = nullptr;
    QPushButton* cmdCambiaST[2] = {};
    QPushButton* CmdApplica = nullptr;
    QPushButton* Command1 = nullptr;

    // Handlers.
    bool CmdApplica_Click(); // false when nothing was saved
    void Command1_Click();
    void ckTipoST_Click();
    void cmdCartellaIN_Click();
    void cmdCartellaOUT_Click();
    void cmdCambiaSfondo_Click();
    void CmdColore_Click();
    void cmdSelezionaDBEsterno_Click();
    void cmdCambiaST_Click(int index);

    VbColor colore() const { return m_colore; }

    // A VB dialog filter ("Testo|*.A;*.B|...") in Qt's syntax ("Testo (*.A *.B *.a *.b);;...").
    static QString filtroQt(const QString& vbFilter);

protected:
    void formLoad() override;
    void formActivate() override;
    bool formQueryUnload() override;

private:
    void CaricaImpostazioniCassa();
    bool RegistraImpostazioniCassa();
    QString SelezionaFile(const QString& title);
    QString cartellaScelta(const QString& title);
    void modificato();
    void mostraColore(VbColor c);

    bool m_chiusuraConsentita = false;
    int m_attivazioni = 0;
    VbColor m_colore = kColoreButtonFace;
};
