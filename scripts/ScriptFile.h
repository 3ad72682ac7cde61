#pragma once

#include <QString>
#include <QUuid>

// One visible regular file in the scripts directory. The id is new on every scan.
struct ScriptFile {
    QUuid id;
    QString name;
    QString url;
    bool isEditable = false;
};
