#include "app/Tavrino.h"

#include "archive/ui/Magazzino.h"
#include "core/Contesto.h"
#include "core/Istanza.h"
#include "import/ExternalDatabase.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>

Tavrino::Tavrino()
{
    Contesto::installaStato(&m_stato);
    caricaTraduzioni();
    Contesto::installaInterazione(&m_interazione);
    Contesto::installaFinestre(&m_finestre);
    Contesto::installaProgramma(this);
    Contesto::installaStampanti(&m_stampanti);
    Contesto::installaCollegamento(&m_collegamento);
    Contesto::installaImportazioni(&m_importazioni);
}

Tavrino::~Tavrino()
{
    Contesto::reset();
}

// The standard dialogs and buttons speak Italian whatever the system's language.
void Tavrino::caricaTraduzioni()
{
    const QLocale italiano(QLocale::Italian, QLocale::Italy);
    QLocale::setDefault(italiano);
    const QString cartella = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    for (const QString& nome : {QStringLiteral("qtbase"), QStringLiteral("qt")}) {
        auto t = std::make_unique<QTranslator>();
        if (t->load(italiano, nome, QStringLiteral("_"), cartella) && QCoreApplication::installTranslator(t.get()))
            m_traduzioni.push_back(std::move(t));
    }
}

void Tavrino::mostraMagazzinoModale()
{
    Forms::get<Magazzino>().showModal();
}

void Tavrino::mostraMagazzino()
{
    Forms::get<Magazzino>().showModeless();
}

void Tavrino::terminaProgramma()
{
    QApplication::closeAllWindows();
    QCoreApplication::exit(0);
}

void Tavrino::terminaPerErroreGrave()
{
    Istanza::terminaPerErroreGrave();
}

Esito Tavrino::gestisciTabelleCollegate(ProgressSink& progresso, bool& collegate)
{
    return GestisciTabelleCollegate(progresso, collegate);
}

Esito Tavrino::importaDaDatabaseEsterno(ProgressSink& progresso)
{
    return ImportaDaDatabaseEsterno(progresso);
}
