#pragma once
// The hourglass for the length of one operation, put back however the operation ends.
#include <QApplication>

class Clessidra
{
public:
    Clessidra() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~Clessidra() { QApplication::restoreOverrideCursor(); }
    Clessidra(const Clessidra&) = delete;
    Clessidra& operator=(const Clessidra&) = delete;
};
