#pragma once
// "Cambia la Stampante di sistema": picks one of the installed printers as the A4 printer
// (Tag "0", [STdiSISTEMA] Predefinita) or the label printer (any other Tag, xFrontalini).
#include "core/ui/FormBase.h"

class QLabel;
class QListWidget;
class QPushButton;

class frmChangeST : public FormBase
{
    Q_OBJECT
public:
    explicit frmChangeST(QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;
    QListWidget* List1 = nullptr;
    QPushButton* cmdApplicaST = nullptr;
    QPushButton* cmdAnnullaImpo = nullptr;

    void cmdApplicaST_Click();
    void cmdAnnullaImpo_Click();

    // Makes `nome` the system's default printer and the program's current printer; a failure
    // shows its error code. `chiave` names the settings key the caller read the name from.
    static bool EseguiAssegnazioneST(const QString& nome, const QString& chiave = {});
    static bool ScriviInSetupLaST(const QString& nome, const QString& chiave);

protected:
    void formLoad() override;
};
