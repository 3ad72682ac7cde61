#pragma once

#include <QString>
#include <QUuid>

// One usable line of the known-hosts file, as shown in the pane.
struct KnownHostEntry {
    QUuid id;
    QString rawLine;
    QString host;
    QString algorithm;
    QString keyPreview;
    bool isHashed = false;
    int lineIndex = 0;
};
