// Tavrino: back-office program for a retail shop.
#include "app/Tavrino.h"
#include "core/Database.h"
#include "core/ui/Startup.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication a(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tavrino"));
    QApplication::setQuitOnLastWindowClosed(false);
    Tavrino programma;

    if (!Startup::Main()) {
        Startup::rilasciaIstanza();
        return 0;
    }
    const int rc = QApplication::exec();
    Db::ChiudiDatabase();
    Startup::rilasciaIstanza();
    return rc;
}
