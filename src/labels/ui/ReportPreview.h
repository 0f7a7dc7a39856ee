#pragma once
// The modal print preview of a report, on the program's current printer: the user looks at the
// pages and prints them from there.
#include "labels/ReportRenderer.h"

class QWidget;

namespace ReportPreview {

// Shows `r` in the print preview and returns when it closes.
void mostra(const Report& r, QWidget* parent);

} // namespace ReportPreview
