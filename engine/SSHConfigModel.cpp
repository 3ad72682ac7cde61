#include "engine/SSHConfigModel.h"

#include "engine/ConfigDocument.h"
#include "engine/SSHParser.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {
    // The home directory from the user record, not from $HOME.
    QString userHomeDirectory()
    {
        if (const passwd *entry = ::getpwuid(::getuid()); entry && entry->pw_dir)
            return QFile::decodeName(entry->pw_dir);
        return {};
    }

    // The whole file decoded as UTF-8; the bytes are released before the caller parses.
    std::optional<QString> readText(const QString &path, QString *error)
    {
        // Opening a FIFO would block until some writer appears; a device could be endless.
        struct stat st;
        if (::stat(QFile::encodeName(path).constData(), &st) == 0 && !S_ISREG(st.st_mode)) {
            *error = SSHConfigModel::tr("It is not a regular file.");
            return std::nullopt;
        }
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            *error = file.errorString();
            return std::nullopt;
        }
        const QByteArray bytes = file.readAll();
        if (file.error() != QFileDevice::NoError) {
            *error = file.errorString();
            return std::nullopt;
        }
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString text = decoder.decode(bytes);
        if (decoder.hasError()) {
            *error = SSHConfigModel::tr("The file is not valid UTF-8 text.");
            return std::nullopt;
        }
        return text;
    }
} // namespace

struct SSHConfigModel::Private {
    QString configPath;
    QList<HostBlock> blocks;
    CarriedLines carried;
    bool dirty = false;
    // Set while the file exists but could not be read: a save would replace it with an empty list.
    bool readFailed = false;
    QString statusMessage;
    std::optional<QString> errorMessage;
};

SSHConfigModel::SSHConfigModel(QObject *parent)
    : SSHConfigModel(userHomeDirectory() + u"/.ssh/config"_s, parent)
{}

SSHConfigModel::SSHConfigModel(const QString &configPath, QObject *parent)
    : QObject(parent)
    , d(std::make_unique<Private>())
{
    d->configPath = configPath;
    d->statusMessage = tr("Ready");
    load();
}

SSHConfigModel::~SSHConfigModel() = default;

const QList<HostBlock> &SSHConfigModel::blocks() const
{
    return d->blocks;
}

bool SSHConfigModel::isDirty() const
{
    return d->dirty;
}

QString SSHConfigModel::statusMessage() const
{
    return d->statusMessage;
}

std::optional<QString> SSHConfigModel::errorMessage() const
{
    return d->errorMessage;
}

QString SSHConfigModel::configURL() const
{
    return d->configPath;
}

void SSHConfigModel::load()
{
    // Drop the old list first, so a reload of a large file never holds two copies.
    d->blocks.clear();
    d->carried = {};
    d->readFailed = false;
    if (QFileInfo::exists(d->configPath)) {
        QString error;
        if (const auto text = readText(d->configPath, &error)) {
            ParsedConfig parsed = SSHParser::parseDocument(*text);
            d->blocks = std::move(parsed.blocks);
            d->carried = std::move(parsed.carried);
        } else {
            d->readFailed = true;
            setErrorMessage(tr("Cannot read %1: %2").arg(d->configPath, error));
        }
    }
    emit blocksChanged();
    setDirty(false);
    const qsizetype count = d->blocks.size();
    setStatusMessage(count == 1 ? tr("Loaded %1 host").arg(count) : tr("Loaded %1 hosts").arg(count));
}

void SSHConfigModel::save()
{
    if (d->readFailed) {
        setErrorMessage(tr("Failed to save %1: %2")
                            .arg(d->configPath,
                                 tr("The file could not be read, so saving would replace what it "
                                    "holds. Reload it first.")));
        return;
    }
    if (const auto failure = SSHParser::write(d->blocks, d->carried, d->configPath)) {
        setErrorMessage(tr("Failed to save %1: %2").arg(d->configPath, *failure));
        return;
    }
    setDirty(false);
    setStatusMessage(tr("Saved — backup created in ~/.ssh/"));
}

std::optional<QUuid> SSHConfigModel::addBlock(const QString &pattern)
{
    const QString trimmed = SSHParser::trimmed(pattern).toString();
    if (trimmed.isEmpty())
        return std::nullopt;
    for (const HostBlock &block : std::as_const(d->blocks)) {
        if (block.pattern == trimmed)
            return std::nullopt;
    }
    // ssh takes the first value it finds, so a new host goes before a trailing run of "*"
    // blocks; appended after them, every option they set would override the host's own.
    qsizetype at = d->blocks.size();
    if (trimmed != u"*"_s) {
        while (at > 0 && d->blocks.at(at - 1).pattern == u"*"_s)
            --at;
    }
    const QUuid id = SSHParser::newBlockId();
    d->blocks.insert(at, HostBlock{id, trimmed, {}});
    emit blocksChanged();
    setDirty(true);
    setStatusMessage(tr("Added: %1").arg(trimmed));
    return id;
}

void SSHConfigModel::removeBlock(const QUuid &id)
{
    const qsizetype index = indexOf(id);
    if (index < 0)
        return;
    const QString name = d->blocks.at(index).displayName();
    // Carried Match lines stay in the file: they move to the block before, or to the top.
    if (const QStringList lines = d->carried.after.take(id); !lines.isEmpty()) {
        if (index > 0)
            d->carried.after[d->blocks.at(index - 1).id] += lines;
        else
            d->carried.leading += lines;
    }
    d->blocks.removeAt(index);
    emit blocksChanged();
    setDirty(true);
    setStatusMessage(tr("Removed: %1").arg(name));
}

std::optional<QUuid> SSHConfigModel::duplicateBlock(const QUuid &id)
{
    const qsizetype index = indexOf(id);
    if (index < 0)
        return std::nullopt;
    const HostBlock source = d->blocks.at(index);
    auto taken = [this](const QString &pattern) {
        return std::any_of(d->blocks.cbegin(), d->blocks.cend(), [&pattern](const HostBlock &block) {
            return block.pattern == pattern;
        });
    };
    QString pattern = source.pattern + u"-copy"_s;
    for (int n = 2; taken(pattern); ++n)
        pattern = source.pattern + u"-copy"_s + QString::number(n);

    const QUuid copyId = SSHParser::newBlockId();
    d->blocks.insert(index + 1, HostBlock{copyId, pattern, source.options});
    emit blocksChanged();
    setDirty(true);
    setStatusMessage(tr("Duplicated: %1").arg(source.displayName()));
    return copyId;
}

void SSHConfigModel::setPattern(const QUuid &id, const QString &pattern)
{
    const qsizetype index = indexOf(id);
    if (index < 0 || d->blocks.at(index).pattern == pattern)
        return;
    d->blocks[index].pattern = pattern;
    emit blockChanged(id);
    setDirty(true);
}

void SSHConfigModel::setOption(const QUuid &id, const QString &key, const QString &value)
{
    const qsizetype index = indexOf(id);
    if (index < 0)
        return;
    // Blanks only: a line break is kept, so that the save refuses it rather than losing it silently.
    const QString trimmed = SSHParser::trimmed(value).toString();
    QHash<QString, QString> &options = d->blocks[index].options;
    if (trimmed == options.value(key))
        return;
    if (trimmed.isEmpty())
        options.remove(key);
    else
        options.insert(key, trimmed);
    emit blockChanged(id);
    setDirty(true);
}

void SSHConfigModel::setErrorMessage(std::optional<QString> message)
{
    if (message == d->errorMessage)
        return;
    d->errorMessage = std::move(message);
    emit errorMessageChanged();
}

void SSHConfigModel::setDirty(bool dirty)
{
    if (dirty == d->dirty)
        return;
    d->dirty = dirty;
    emit isDirtyChanged();
}

void SSHConfigModel::setStatusMessage(const QString &message)
{
    if (message == d->statusMessage)
        return;
    d->statusMessage = message;
    emit statusMessageChanged();
}

qsizetype SSHConfigModel::indexOf(const QUuid &id) const
{
    for (qsizetype i = 0; i < d->blocks.size(); ++i) {
        if (d->blocks.at(i).id == id)
            return i;
    }
    return -1;
}
