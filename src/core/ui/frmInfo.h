#pragma once
// The timed notice: the caller sets lblMsg and shows it modally; it closes itself after 2.5 s.
#include "core/ui/FormBase.h"

class QLabel;

class frmInfo : public FormBase
{
    Q_OBJECT
public:
    explicit frmInfo(QWidget* parent = nullptr);
    QLabel* lblMsg = nullptr;

    // Shows `text` for about 2.5 s and returns; `wait` false returns at once.
    static void mostra(const QString& text, bool wait = true);

protected:
    void formActivate() override;
    void showEvent(QShowEvent* e) override;

private:
    // The notice closes itself once, from its activation or, where the window system never
    // activates it (no window manager), from a short timer started when it is shown.
    void chiudiDopoAttesa();
    bool m_inAttesa = false;
};
