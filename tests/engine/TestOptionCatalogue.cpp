#include "engine/OptionCatalogue.h"

#include <QtTest>

using namespace Qt::StringLiterals;
using namespace OptionCatalogue;

class TestOptionCatalogue : public QObject
{
    Q_OBJECT
private slots:
    void tablesAgree();
};

void TestOptionCatalogue::tablesAgree()
{
    // Every key the editor looks up must be one it can show, and the other way round.
    QStringList all;
    QStringList titles;
    for (const OptionSection &section : optionSections()) {
        all += section.keys;
        titles.append(section.title);
        QVERIFY2(sectionCommonKeys().contains(section.title), qPrintable(section.title));
        for (const QString &key : sectionCommonKeys().value(section.title))
            QVERIFY2(section.keys.contains(key), qPrintable(key));
    }
    QCOMPARE(titles.size(), 7);
    QCOMPARE(all.size(), 46);
    QCOMPARE(allKnownKeys(), QSet<QString>(all.cbegin(), all.cend()));
    QCOMPARE(sectionCommonKeys().size(), titles.size());

    QCOMPARE(optionPickerValues().size(), 21);
    for (auto it = optionPickerValues().cbegin(); it != optionPickerValues().cend(); ++it) {
        QVERIFY2(allKnownKeys().contains(it.key()), qPrintable(it.key()));
        QVERIFY(!it->isEmpty());
        QCOMPARE(QSet<QString>(it->cbegin(), it->cend()).size(), it->size());
    }
    for (const char *freeText : {"Port", "HostName", "IdentityFile"})
        QVERIFY(!optionPickerValues().contains(QString::fromLatin1(freeText)));

    QCOMPARE(QSet<QString>(optionHelp().keyBegin(), optionHelp().keyEnd()), allKnownKeys());
    for (const QString &text : optionHelp())
        QVERIFY(!text.trimmed().isEmpty());
    QVERIFY(!optionHelp().contains(u"hostname"_s));
    QVERIFY(optionHelp().value(u"ProxyJump"_s).contains(u"bastion.example.com"_s));
    QVERIFY(optionHelp().value(u"ProxyCommand"_s).contains(u"bastion.example.com"_s));
}

QTEST_GUILESS_MAIN(TestOptionCatalogue)
#include "TestOptionCatalogue.moc"
