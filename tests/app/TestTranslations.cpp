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
        QString context, source, comment, translation;
        bool finished = false;

        QString key() const
        {
            return context + u'\x1f' + source + u'\x1f' + comment;
        }
        QString shown() const
        {
            return u"[%1] %2"_s.arg(context, source);
        }
    };

    QList<Message> readCatalogue(const QString &path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            qWarning("%s: %s", qPrintable(path), qPrintable(file.errorString()));
            return {};
        }
        QList<Message> messages;
        QString context;
        Message current;
        QXmlStreamReader xml(&file);
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            const QStringView name = xml.name();
            if (name == u"name") {
                context = xml.readElementText();
            } else if (name == u"message") {
                current = Message{context, {}, {}, {}, false};
            } else if (name == u"source") {
                current.source = xml.readElementText();
            } else if (name == u"comment") {
                current.comment = xml.readElementText();
            } else if (name == u"translation") {
                // "unfinished", "vanished" and "obsolete" all mean nobody has checked the text.
                current.finished = xml.attributes().value("type"_L1).isEmpty();
                current.translation = xml.readElementText(QXmlStreamReader::IncludeChildElements);
                messages.append(current);
            }
        }
        if (xml.hasError())
            qWarning("%s: %s", qPrintable(path), qPrintable(xml.errorString()));
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

    QString committedCatalogue()
    {
        return QStringLiteral(KORVEL_SOURCE_DIR "/translations/korvel_de.ts");
    }
} // namespace

class TestTranslations final : public QObject
{
    Q_OBJECT
private slots:
    void germanIsCompleteAndKeepsPlaceholders();
    void catalogueListsEverySourceText();
    void applicationLoadsTheCatalogueForTheLocale();
    void cleanup();
};

void TestTranslations::germanIsCompleteAndKeepsPlaceholders()
{
    const QList<Message> messages = readCatalogue(committedCatalogue());
    QVERIFY(messages.size() > 300);
    QStringList faults;
    for (const Message &m : messages) {
        if (!m.finished || m.translation.trimmed().isEmpty())
            faults << u"not translated: "_s + m.shown();
        else if (placeholders(m.translation) != placeholders(m.source))
            faults << u"placeholders differ: %1 -> %2"_s.arg(m.shown(), m.translation);
    }
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));
}

void TestTranslations::catalogueListsEverySourceText()
{
    const QString lupdate = QStringLiteral(KORVEL_LUPDATE);
    if (!QFileInfo(lupdate).isExecutable())
        QSKIP("lupdate is not installed");
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
    run.start(lupdate, args);
    QVERIFY(run.waitForFinished(120000));
    QVERIFY2(run.exitCode() == 0, run.readAll().constData());

    QSet<QString> committed;
    for (const Message &m : readCatalogue(committedCatalogue()))
        committed.insert(m.key());
    QStringList faults;
    QSet<QString> current;
    for (const Message &m : readCatalogue(fresh)) {
        current.insert(m.key());
        if (!committed.contains(m.key()))
            faults << u"missing from korvel_de.ts: "_s + m.shown();
    }
    for (const Message &m : readCatalogue(committedCatalogue())) {
        if (!current.contains(m.key()))
            faults << u"no longer in the sources: "_s + m.shown();
    }
    QVERIFY(current.size() > 300);
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
