#include "app/AppInfo.h"

#include "ui/SymbolIcon.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QIcon>

using namespace Qt::StringLiterals;

static void initResources()
{
    // Resources of a static library need an explicit start.
    Q_INIT_RESOURCE(korvel_app);
}

namespace AppInfo {
    void configure(QApplication &app)
    {
        initResources();
        app.setApplicationName(u"Korvel"_s);
        app.setApplicationDisplayName(u"Korvel"_s);
        app.setApplicationVersion(QStringLiteral(KORVEL_VERSION));
        app.setDesktopFileName(u"korvel"_s);
        SymbolIcon::ensureIconTheme();
        // An installed theme icon wins, so the window matches the launcher; the built-in art otherwise.
        app.setWindowIcon(QIcon::fromTheme(u"korvel"_s, QIcon(u":/korvel/korvel.svg"_s)));
    }

    QString appVersion()
    {
        const QString version = QCoreApplication::applicationVersion();
        return version.isEmpty() ? u"1.1"_s : version;
    }

    QString buildNumber()
    {
        return QStringLiteral(KORVEL_BUILD_NUMBER);
    }

    QString readmePath()
    {
        // Relative to the binary first, so a package moved to another prefix still finds its own copy.
        const QString appDir = QCoreApplication::applicationDirPath();
        const QStringList candidates = {
            QDir(appDir).filePath(QStringLiteral(KORVEL_RELATIVE_README)),
            QStringLiteral(KORVEL_INSTALLED_README),
            QStringLiteral(KORVEL_SOURCE_README),
        };
        for (const QString &path : candidates) {
            if (QFileInfo(path).isFile())
                return QFileInfo(path).absoluteFilePath();
        }
        return {};
    }
} // namespace AppInfo
