#pragma once

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

// The options the host editor knows: their sections, the common ones, fixed value sets and help texts.
namespace OptionCatalogue {
    struct OptionSection {
        QString title;
        QStringList keys;
    };
    const QList<OptionSection> &optionSections();
    const QSet<QString> &allKnownKeys();
    const QHash<QString, QStringList> &sectionCommonKeys();
    const QHash<QString, QStringList> &optionPickerValues();
    const QHash<QString, QString> &optionHelp();
} // namespace OptionCatalogue
