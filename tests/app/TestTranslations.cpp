#include "app/AppInfo.h"
#include "engine/OptionCatalogue.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTranslator>
#include <QXmlStreamReader>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {
    struct Message {
        QString shown, source, translation;
        bool finished = false;
    };

    // The messages of a catalogue, keyed as lupdate tells them apart.
    QHash<QString, Message> readCatalogue(const QString &path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        QHash<QString, Message> messages;
        QString context, comment;
        Message current;
        QXmlStreamReader xml(&file);
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            const QStringView name = xml.name();
            if (name == u"name") {
                context = xml.readElementText();
            } else if (name == u"message") {
                comment.clear();
            } else if (name == u"source") {
                current.source = xml.readElementText();
                current.shown = u"[%1] %2"_s.arg(context, current.source);
            } else if (name == u"comment") {
                comment = xml.readElementText();
            } else if (name == u"translation") {
                // "unfinished", "vanished" and "obsolete" all mean nobody has checked the text.
                current.finished = xml.attributes().value("type"_L1).isEmpty();
                current.translation = xml.readElementText(QXmlStreamReader::IncludeChildElements);
                messages.insert(current.shown + u'\x1f' + comment, current);
            }
        }
        return messages;
    }

    QSet<QString> placeholders(const QString &text)
    {
        static const QRegularExpression marker(u"%[1-9]"_s);
        QSet<QString> found;
        for (const QRegularExpressionMatch &match : marker.globalMatch(text))
            found.insert(match.captured());
        return found;
    }
} // namespace

class TestTranslations final : public QObject
{
    Q_OBJECT
private slots:
    void everySourceTextIsTranslated();
    void applicationLoadsTheCatalogueForTheLocale();
    void cleanup();
};

void TestTranslations::everySourceTextIsTranslated()
{
    // The same files and options as the update_translations target.
    const QDir root(QStringLiteral(KORVEL_SOURCE_DIR));
    QStringList args{u"-I"_s, root.path()};
    for (const QString &dir : QStringLiteral(KORVEL_TRANSLATED_DIRS).split(u',')) {
        for (const QString &file : QDir(root.filePath(dir)).entryList({u"*.cpp"_s, u"*.h"_s}, QDir::Files))
            args << root.filePath(dir + u'/' + file);
    }
    QTemporaryDir temp;
    const QString fresh = temp.filePath(u"fresh_de.ts"_s);
    args << u"-no-obsolete"_s << u"-locations"_s << u"none"_s << u"-ts"_s << fresh;
    QProcess run;
    run.setProcessChannelMode(QProcess::MergedChannels);
    run.start(QStringLiteral(KORVEL_LUPDATE), args);
    QVERIFY(run.waitForFinished(120000));
    QVERIFY2(run.exitCode() == 0, run.readAll().constData());

    const auto committed = readCatalogue(root.filePath(u"translations/korvel_de.ts"_s));
    const auto current = readCatalogue(fresh);
    QVERIFY(current.size() > 300);
    QStringList faults;
    for (const auto &[key, m] : current.asKeyValueRange()) {
        if (!committed.contains(key))
            faults << u"missing from korvel_de.ts: "_s + m.shown;
    }
    for (const auto &[key, m] : committed.asKeyValueRange()) {
        if (!current.contains(key))
            faults << u"no longer in the sources: "_s + m.shown;
        else if (!m.finished || m.translation.trimmed().isEmpty())
            faults << u"not translated: "_s + m.shown;
        else if (placeholders(m.translation) != placeholders(m.source))
            faults << u"placeholders differ: %1 -> %2"_s.arg(m.shown, m.translation);
    }
    QVERIFY2(faults.isEmpty(),
             qPrintable(faults.join(u'\n') + u"\nRun: cmake --build <build dir> --target update_translations"_s));
}

void TestTranslations::applicationLoadsTheCatalogueForTheLocale()
{
    // The catalogue's tables are built once; built before the translator, they must still show German.
    const OptionCatalogue::OptionSection &first = OptionCatalogue::optionSections().constFirst();
    QCOMPARE(OptionCatalogue::sectionTitle(first), u"Connection"_s);

    AppInfo::installTranslations(*QCoreApplication::instance(), QLocale(QLocale::English, QLocale::UnitedStates));
    QCOMPARE(QCoreApplication::translate("SSHConfigModel", "Ready"), u"Ready"_s);
    cleanup();

    AppInfo::installTranslations(*QCoreApplication::instance(), QLocale(QLocale::German, QLocale::Austria));
    QCOMPARE(QCoreApplication::translate("SSHConfigModel", "Ready"), u"Bereit"_s);
    QCOMPARE(OptionCatalogue::sectionTitle(first), u"Verbindung"_s);
    QVERIFY(OptionCatalogue::helpText(u"HostName"_s).startsWith(u"Der echte Hostname"_s));
    // The privileged runner finds the system's reason after the translated prefix.
    QVERIFY(QCoreApplication::translate("ProcessRunner", "Cannot run %1: %2").endsWith(u": %2"_s));
    // Qt's own buttons follow where Qt's German is installed.
    const QDir qtTranslations(QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    if (qtTranslations.exists(u"qtbase_de.qm"_s))
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), u"Abbrechen"_s);
}

void TestTranslations::cleanup()
{
    for (QTranslator *translator : QCoreApplication::instance()->findChildren<QTranslator *>()) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
}

QTEST_GUILESS_MAIN(TestTranslations)
#include "TestTranslations.moc"
