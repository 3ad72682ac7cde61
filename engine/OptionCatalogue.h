#pragma once

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

// The options the host editor knows: their sections, the common ones, fixed value sets and help texts.
namespace OptionCatalogue {
    struct OptionSection {
        QString title; // the English source text, which also keys sectionCommonKeys()
        QStringList keys;
    };
    const QList<OptionSection> &optionSections();
    const QSet<QString> &allKnownKeys();
    const QHash<QString, QStringList> &sectionCommonKeys();
    const QHash<QString, QStringList> &optionPickerValues();
    const QHash<QString, QString> &optionHelp(); // English source texts
    // The section's title and an option's help in the user's language; helpText is empty for
    // options without help.
    QString sectionTitle(const OptionSection &section);
    QString helpText(const QString &key);
    // The catalogue's spelling of a name written in any letter case ("hostname" gives "HostName").
    std::optional<QString> knownKey(QStringView name);
    // Options ssh takes from every line, not only the first (IdentityFile, LocalForward, ...).
    bool acceptsRepeats(QStringView name);
} // namespace OptionCatalogue
