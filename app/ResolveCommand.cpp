#include "app/ResolveCommand.h"

#include "engine/ConfigFile.h"
#include "engine/SSHResolver.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QTextStream>

#include <cstring>

using namespace Qt::StringLiterals;

namespace ResolveCommand {
    bool wanted(int argc, char *argv[])
    {
        for (int i = 1; i < argc; ++i) {
            const char *a = argv[i];
            if (!std::strcmp(a, "--help") || !std::strcmp(a, "-h") || !std::strcmp(a, "--resolve")
                || !std::strncmp(a, "--resolve=", 10) || !std::strncmp(a, "-F", 2))
                return true;
        }
        return false;
    }

    int run(const QStringList &arguments,
            const Locations &locations,
            QTextStream &out,
            QTextStream &err,
            const QString &systemConfig)
    {
        QCommandLineParser parser;
        parser.setApplicationDescription(
            QCoreApplication::translate("ResolveCommand",
                                        "Korvel edits your OpenSSH client configuration. Without options it "
                                        "opens its window."));
        parser.addHelpOption();
        const QCommandLineOption resolveOption(
            u"resolve"_s,
            QCoreApplication::translate(
                "ResolveCommand",
                "Prints what ssh takes from the configuration for <destination>, one line per keyword with the "
                "file and line that sets it."),
            QCoreApplication::translate("ResolveCommand", "destination"));
        const QCommandLineOption configOption(
            u"F"_s,
            QCoreApplication::translate("ResolveCommand", "Reads <config> instead of ~/.ssh/config (with --resolve)."),
            QCoreApplication::translate("ResolveCommand", "config"));
        parser.addOption(resolveOption);
        parser.addOption(configOption);
        if (!parser.parse(arguments)) {
            err << parser.errorText() << Qt::endl;
            return 2;
        }
        if (parser.isSet(u"help"_s)) {
            out << parser.helpText();
            return 0;
        }
        if (!parser.positionalArguments().isEmpty()) {
            err << QCoreApplication::translate("ResolveCommand", "Unexpected argument: %1")
                       .arg(parser.positionalArguments().constFirst())
                << Qt::endl;
            return 2;
        }
        const QString destination = parser.value(resolveOption);
        const qsizetype at = destination.lastIndexOf(u'@');
        const QStringView host = QStringView(destination).sliced(at + 1);
        if (!parser.isSet(resolveOption) || host.isEmpty() || at == 0 || destination.startsWith(u'-')
            || destination.contains(u' ')) {
            err << QCoreApplication::translate("ResolveCommand",
                                               "--resolve needs a destination such as host or user@host")
                << Qt::endl;
            return 2;
        }
        // Without -F, a missing ~/.ssh/config is an empty one, as for ssh.
        const QString configPath = parser.isSet(configOption) ? parser.value(configOption) : locations.configFile;
        if (parser.isSet(configOption) && !QFileInfo(configPath).isFile()) {
            const QString why = QFileInfo(configPath).isDir()
                                    ? QCoreApplication::translate("ResolveCommand", "Cannot read %1: it is a folder")
                                    : QCoreApplication::translate("ResolveCommand", "Cannot read %1: no such file");
            err << why.arg(configPath) << Qt::endl;
            return 2;
        }
        const ConfigFile::ReadResult read = ConfigFile::read(configPath);
        if (!read.text) {
            err << QCoreApplication::translate("ResolveCommand", "Cannot read %1: %2").arg(configPath, read.error)
                << Qt::endl;
            return 2;
        }
        SSHResolver resolver(*read.text, configPath, locations.homeDir, locations.sshDir);
        if (!parser.isSet(configOption) && QFileInfo(systemConfig).isFile()) {
            const ConfigFile::ReadResult system = ConfigFile::read(systemConfig);
            if (!system.text) {
                err << QCoreApplication::translate("ResolveCommand", "Cannot read %1: %2")
                           .arg(systemConfig, system.error)
                    << Qt::endl;
                return 2;
            }
            resolver.appendSystemConfig(*system.text, systemConfig, QFileInfo(systemConfig).path());
        }
        const Resolution resolution = resolver.resolve(destination, locations.userName);
        for (const ResolvedOption &option : resolution.options)
            out << option.keyword << u' ' << option.value << u"  # "_s << option.file << u':' << option.line << u'\n';
        for (const QString &problem : resolver.includeErrors())
            out << u"# "_s << QCoreApplication::translate("ResolveCommand", "Not read: %1").arg(problem) << u'\n';
        if (!resolution.execCommands.isEmpty()) {
            out << u"# "_s
                << QCoreApplication::translate("ResolveCommand", "Not run, may change the result: Match exec %1")
                       .arg(resolution.execCommands.join(u", "_s))
                << u'\n';
            if (!resolution.execKeywords.isEmpty())
                out << u"# "_s
                    << QCoreApplication::translate("ResolveCommand", "Keywords it could set: %1")
                           .arg(resolution.execKeywords.join(u", "_s))
                    << u'\n';
        }
        out.flush();
        return 0;
    }
} // namespace ResolveCommand
