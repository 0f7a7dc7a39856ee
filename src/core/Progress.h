#pragma once
// Where long operations (imports, sends, label and report jobs) report how far they are:
// a range, a value in it and a status text. Windows show it; tests record it.
#include <QString>

class ProgressSink
{
public:
    virtual ~ProgressSink() = default;
    virtual void setRange(int minimum, int maximum) = 0;
    virtual void setValue(int value) = 0;
    virtual void setStatus(const QString& text) = 0;
};

// For callers that have nobody to tell.
class NoProgress final : public ProgressSink
{
public:
    void setRange(int, int) override {}
    void setValue(int) override {}
    void setStatus(const QString&) override {}
};
