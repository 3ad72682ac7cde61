#include "app/AppInfo.h"
#include "app/KorvelApp.h"

#include <QApplication>
#include <QLocale>

int main(int argc, char *argv[])
{
    // Qt takes its own options from argv; Korvel itself has no command line.
    QApplication app(argc, argv);
    // Before any window or model: texts made earlier would stay in English.
    AppInfo::installTranslations(app, QLocale());
    AppInfo::configure(app);

    KorvelApp korvel(Locations::system());
    korvel.launch();
    return app.exec();
}
