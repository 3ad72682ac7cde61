#include "app/AppInfo.h"

#include "core/AtomicFile.h"
#include "ui/SymbolIcon.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QStandardPaths>
#include <QTranslator>

#include <utility>

using namespace Qt::StringLiterals;

static void initResources()
{
    // Resources of a static library need an explicit start.
    Q_INIT_RESOURCE(korvel_app);
    Q_INIT_RESOURCE(korvel_guide);
}

static void initTranslationResources()
{
    Q_INIT_RESOURCE(korvel_about_translations);
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

    void installTranslations(QCoreApplication &app, const QLocale &locale)
    {
        initTranslationResources();
        // Installed last, Korvel's own is asked first.
        const std::pair<QString, QString> catalogues[] = {
            {u"qtbase"_s, QLibraryInfo::path(QLibraryInfo::TranslationsPath)},
            {u"korvel"_s, u":/i18n"_s},
        };
        for (const auto &[name, dir] : catalogues) {
            auto *translator = new QTranslator(&app);
            if (translator->load(locale, name, u"_"_s, dir))
                QCoreApplication::installTranslator(translator);
            else
                delete translator;
        }
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
        // The installed guide, relative to the binary first so a package moved to another prefix
        // still finds its own copy, then where this build installs it.
        const QString appDir = QCoreApplication::applicationDirPath();
        for (const QString &path :
             {QDir(appDir).filePath(QStringLiteral(KORVEL_RELATIVE_README)), QStringLiteral(KORVEL_INSTALLED_README)}) {
            if (QFileInfo(path).isFile())
                return QFileInfo(path).absoluteFilePath();
        }
        // Not installed (run from a build directory): the copy built into the binary, written
        // out once per run so the desktop can open it as a file.
        static const QString extracted = [] {
            const QString dir = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
            const QString path = dir + u"/README.md"_s;
            QFile resource(u":/korvel/README.md"_s);
            if (!QDir().mkpath(dir) || !resource.open(QIODevice::ReadOnly))
                return QString();
            AtomicFile::Options options;
            options.mode = 0644;
            return AtomicFile::write(path, resource.readAll(), options) ? QString() : path;
        }();
        return extracted;
    }
} // namespace AppInfo
