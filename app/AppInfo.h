#pragma once

#include <QString>

class QApplication;
class QCoreApplication;
class QLocale;

// The application's identity (name, version, icon) and the files installed beside it.
namespace AppInfo {
    // Names the application, its version and desktop entry, and sets the window icon and icon theme.
    void configure(QApplication &app);
    // Installs Korvel's translation for the locale, and Qt's own for the standard buttons and
    // dialogs where it is installed. Call it before any window or model exists.
    void installTranslations(QCoreApplication &app, const QLocale &locale);
    // The short version string, "1.1" when the application carries none.
    QString appVersion();
    QString buildNumber();
    // The README installed with Korvel, else a copy of the one built in; empty when neither can be had.
    QString readmePath();
} // namespace AppInfo
