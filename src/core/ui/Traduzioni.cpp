#include "core/ui/Traduzioni.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>

Traduzioni::Traduzioni()
{
    const QLocale italiano(QLocale::Italian, QLocale::Italy);
    QLocale::setDefault(italiano);
    const QString cartella = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    for (const QString& nome : {QStringLiteral("qtbase"), QStringLiteral("qt")}) {
        auto t = std::make_unique<QTranslator>();
        if (t->load(italiano, nome, QStringLiteral("_"), cartella) && QCoreApplication::installTranslator(t.get()))
            m_installate.push_back(std::move(t));
    }
}

Traduzioni::~Traduzioni()
{
    for (const auto& t : m_installate)
        QCoreApplication::removeTranslator(t.get());
}
