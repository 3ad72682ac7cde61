#include "app/AppInfo.h"
#include "app/KorvelApp.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    // Qt takes its own options from argv; Korvel itself has no command line.
    QApplication app(argc, argv);
    AppInfo::configure(app);

    KorvelApp korvel(Locations::system());
    korvel.launch();
    return app.exec();
}
