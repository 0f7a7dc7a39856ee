#pragma once
// A read-only viewer of a Windows-1252 text file, shown modally: the program's stand-in for
// opening a file in a text editor and waiting for it to close.
#include <QString>

class QWidget;

namespace TextViewer {
// Shows the file modally; returns false when it cannot be read.
bool mostra(const QString& path, QWidget* parent = nullptr);
} // namespace TextViewer
