#include "app/AppInfo.h"
#include "app/KorvelApp.h"
#include "app/ResolveCommand.h"

#include <QApplication>
#include <QLocale>
#include <QTextStream>

#include <cstdio>

using namespace Qt::StringLiterals;

int main(int argc, char *argv[])
{
    // The command-line answers need no display, so they run before any window system is asked for.
    if (ResolveCommand::wanted(argc, argv)) {
        QCoreApplication app(argc, argv);
        app.setApplicationName(u"korvel"_s);
        AppInfo::installTranslations(app, QLocale());
        QTextStream out(stdout);
        QTextStream err(stderr);
        return ResolveCommand::run(app.arguments(), Locations::system(), out, err);
    }
    // Qt takes its own options from argv.
    QApplication app(argc, argv);
    // Before any window or model: texts made earlier would stay in English.
    AppInfo::installTranslations(app, QLocale());
    AppInfo::configure(app);

    KorvelApp korvel(Locations::system());
    korvel.launch();
    return app.exec();
}
