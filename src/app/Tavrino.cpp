#include "app/Tavrino.h"

#include "archive/ui/Magazzino.h"
#include "core/Contesto.h"
#include "core/Istanza.h"
#include "import/ExternalDatabase.h"

#include <QApplication>

Tavrino::Tavrino()
{
    Contesto::installaStato(&m_stato);
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
