#pragma once
// The standard dialogs and buttons in Italian whatever the system's language: the Italian locale
// as the default and Qt's own Italian translations, installed for as long as this object lives.
#include <QTranslator>
#include <memory>
#include <vector>

class Traduzioni
{
public:
    Traduzioni();
    ~Traduzioni();
    Traduzioni(const Traduzioni&) = delete;
    Traduzioni& operator=(const Traduzioni&) = delete;

private:
    std::vector<std::unique_ptr<QTranslator>> m_installate;
};
