#pragma once
// "Accesso Area/Funzione Protetta": the technician's password lock in front of the reception,
// file-generation and import buttons. The caller sets Tag "TCN", shows it modally and goes on only
// when app().tecnicoAbilitato is 1.
#include "core/ui/FormBase.h"

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

class frmPswd : public FormBase
{
    Q_OBJECT
public:
    explicit frmPswd(QWidget* parent = nullptr);

    // Loads the window afresh, asks for the password; true when it was accepted.
    static bool chiediTecnico();

    QFrame* Frame1 = nullptr;
    QLabel* lblCodice = nullptr;
    QLineEdit* TxtCodice = nullptr;
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdEsci = nullptr;

protected:
    void formLoad() override;
    void formActivate() override;

private:
    void cmdOk_Click();
    void cmdEsci_Click();
};
