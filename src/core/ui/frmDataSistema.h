#pragma once
// Asked at start-up when the computer's clock shows a day before the last start: the user
// types the right date, which is stored as the last start date.
#include "core/ui/FormBase.h"

#include <QDate>

class QLabel;
class QLineEdit;
class QPushButton;

class frmDataSistema : public FormBase
{
    Q_OBJECT
public:
    explicit frmDataSistema(QWidget* parent = nullptr);
    QLabel* lblAvviso = nullptr;
    QLineEdit* txtNewData = nullptr;
    QPushButton* cmdOk = nullptr;

    void setDataMemorizzata(const QString& stored);
    void cmdOk_Click();

protected:
    bool formQueryUnload() override { return m_scelta.isValid(); }

private:
    QDate m_scelta;
};
