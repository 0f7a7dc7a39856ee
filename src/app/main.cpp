// Tavrino: back-office program for a retail shop.
#include "archive/Magazzino.h"
#include "core/Database.h"
#include "core/ui/Startup.h"
#include "core/ui/Ui.h"
#include "import/ExternalDatabase.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication a(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tavrino"));
    QApplication::setQuitOnLastWindowClosed(false);

    hooks().gestisciTabelleCollegate = [] { return GestisciTabelleCollegate(); };
    hooks().importaDaDatabaseEsterno = ImportaDaDatabaseEsterno;
    hooks().mostraMagazzinoModale = [] { Forms::get<Magazzino>().showModal(); };
    hooks().mostraMagazzino = [] { Forms::get<Magazzino>().showModeless(); };
    hooks().terminaProgramma = [] {
        QApplication::closeAllWindows();
        QCoreApplication::exit(0);
    };

    if (!Startup::Main()) {
        Startup::rilasciaIstanza();
        return 0;
    }
    const int rc = QApplication::exec();
    Db::ChiudiDatabase();
    Startup::rilasciaIstanza();
    return rc;
}
