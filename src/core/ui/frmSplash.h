#pragma once
// The start-up window: loads the main window, runs the external-database copy when linked
// tables are configured, and hands over to the main and article windows.
#include "core/ui/FormBase.h"

class QLabel;
class QTimer;

class frmSplash : public FormBase
{
    Q_OBJECT
public:
    explicit frmSplash(QWidget* parent = nullptr);
    QLabel* lblVersion = nullptr;
    QLabel* lblCompanyProduct = nullptr;
    QLabel* lblPlatform = nullptr;
    QLabel* lblWarning = nullptr;
    QLabel* lblSottoVersione = nullptr;
    QTimer* TimerCarica = nullptr;

protected:
    void formLoad() override;
    void formActivate() override;
    void keyPressEvent(QKeyEvent* e) override;
    // The window manager's close goes on as the timer would: to the main and article windows.
    bool formQueryUnload() override;

private:
    void TimerCarica_Timer();
    // Unloads the window, shows the main window, then the article window modally. Runs once,
    // whichever of the activation, the timer or a key gets there first.
    void handover();
    bool m_handedOver = false;
    bool m_activated = false;
    bool m_closeAsked = false; // closed before the timer ran: hand over as soon as the start-up steps allow
};
