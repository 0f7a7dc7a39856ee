#pragma once
// The main window: background picture, toolbar (articles, settings, exit) and status bar.
// It lives for the whole run; the register link hangs its line objects on it.
#include "core/ui/FormBase.h"

class QLabel;
class QMdiArea;
class QStatusBar;
class QTabBar;
class QToolBar;
class QAction;

class mdiPrincipale : public FormBase
{
    Q_OBJECT
public:
    explicit mdiPrincipale(QWidget* parent = nullptr);

    QMdiArea* mdiArea = nullptr;
    QLabel* pctSfondo = nullptr;
    QLabel* Image1 = nullptr;
    QToolBar* Toolbar1 = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QTabBar* SSTab1 = nullptr;

    QAction* button(const QString& key) const;
    void Toolbar1_ButtonClick(const QString& key);
    // The exit question; true when the user confirmed and the program is ending.
    bool MDIForm_Unload();

protected:
    void formLoad() override;
    void formActivate() override;
    bool formQueryUnload() override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void MDIForm_Resize();
    QPixmap m_picture;
    bool m_sfondoNascosto = false;
    bool m_exiting = false;
};
