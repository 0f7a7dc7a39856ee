#include "core/ui/frmSetupCassa.h"

frmSetupCassa::frmSetupCassa(QWidget* parent) : FormBase(parent)
{
    setObjectName(QStringLiteral("frmSetupCassa"));
    setWindowTitle(QStringLiteral("Impostazioni Periferiche"));
}
