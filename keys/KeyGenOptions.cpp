#include "keys/KeyGenOptions.h"

#include <QCoreApplication>

using namespace Qt::StringLiterals;

namespace KeyTypes {
    QString rawValue(KeyType type)
    {
        switch (type) {
        case KeyType::ed25519:
            return u"ed25519"_s;
        case KeyType::rsa:
            return u"rsa"_s;
        case KeyType::ecdsa:
            return u"ecdsa"_s;
        }
        return {};
    }

    std::optional<KeyType> fromRawValue(const QString &raw)
    {
        for (KeyType type : all) {
            if (rawValue(type) == raw)
                return type;
        }
        return std::nullopt;
    }

    QString pickerLabel(KeyType type)
    {
        switch (type) {
        case KeyType::ed25519:
            return QCoreApplication::translate("KeyTypes", "ED25519 (recommended)");
        case KeyType::rsa:
            return QCoreApplication::translate("KeyTypes", "RSA 4096-bit");
        case KeyType::ecdsa:
            return QCoreApplication::translate("KeyTypes", "ECDSA 521-bit");
        }
        return {};
    }

    QStringList sizeArguments(KeyType type)
    {
        switch (type) {
        case KeyType::ed25519:
            return {};
        case KeyType::rsa:
            return {u"-b"_s, u"4096"_s};
        case KeyType::ecdsa:
            return {u"-b"_s, u"521"_s};
        }
        return {};
    }
} // namespace KeyTypes
