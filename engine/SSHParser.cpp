#include "engine/SSHParser.h"

#include "engine/ConfigDocument.h"
#include "engine/ConfigFile.h"
#include "engine/ConfigSyntax.h"

using namespace Qt::StringLiterals;

namespace SSHParser {
    QList<HostBlock> parse(const QString &text)
    {
        return ConfigDocument(text).blocks();
    }

    std::optional<QString> write(const QList<HostBlock> &blocks, const QString &path)
    {
        // Refuse before touching anything: no folder, no backup, no change to the file.
        if (auto invalid = ConfigSyntax::validate(blocks))
            return invalid;
        const QString text = QString::fromUtf8(ConfigSyntax::render(blocks));
        return ConfigFile::write(path, [&text](const auto &sink) {
            sink(text);
        });
    }
} // namespace SSHParser
