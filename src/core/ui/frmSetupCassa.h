#pragma once
// Settings window "Impostazioni Periferiche" (being built).
#include "core/ui/FormBase.h"

class frmSetupCassa : public FormBase
{
    Q_OBJECT
public:
    explicit frmSetupCassa(QWidget* parent = nullptr);
};
