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
    for (const OptionSection &section : optionSections()) {
        all += section.keys;
        QVERIFY2(sectionCommonKeys().contains(section.title), qPrintable(section.title));
        for (const QString &key : sectionCommonKeys().value(section.title))
            QVERIFY2(section.keys.contains(key), qPrintable(key));
    }
    QCOMPARE(sectionCommonKeys().size(), optionSections().size());
    // Not UseKeychain, which the OpenSSH of Linux refuses.
    QVERIFY(!allKnownKeys().contains(u"UseKeychain"_s));
    QCOMPARE(allKnownKeys(), QSet<QString>(all.cbegin(), all.cend()));

    for (auto it = optionPickerValues().cbegin(); it != optionPickerValues().cend(); ++it) {
        QVERIFY2(allKnownKeys().contains(it.key()), qPrintable(it.key()));
        QVERIFY(!it->isEmpty() && QSet<QString>(it->cbegin(), it->cend()).size() == it->size());
    }

    QCOMPARE(QSet<QString>(optionHelp().keyBegin(), optionHelp().keyEnd()), allKnownKeys());
    for (const QString &text : optionHelp())
        QVERIFY(!text.trimmed().isEmpty());
}

QTEST_GUILESS_MAIN(TestOptionCatalogue)
#include "TestOptionCatalogue.moc"
