#pragma once

#include <QString>
#include <QStringList>

#include <optional>

enum class KeyType {
    ed25519,
    rsa,
    ecdsa
};

namespace KeyTypes {
    // Every key type, in the order the generation sheet offers them.
    inline constexpr KeyType all[] = {KeyType::ed25519, KeyType::rsa, KeyType::ecdsa};

    QString rawValue(KeyType type);
    std::optional<KeyType> fromRawValue(const QString &raw);
    QString pickerLabel(KeyType type);
    // "-b" and the bit count, or nothing when the type has a fixed size.
    QStringList sizeArguments(KeyType type);
} // namespace KeyTypes

struct KeyGenOptions {
    KeyType keyType = KeyType::ed25519;
    QString filename;
    QString comment;
    QString passphrase;
    bool usePassphrase = false;
};
