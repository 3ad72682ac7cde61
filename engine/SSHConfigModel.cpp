#include "engine/SSHConfigModel.h"

#include "core/AtomicFile.h"
#include "core/Locations.h"
#include "core/TextRules.h"
#include "engine/ConfigDocument.h"
#include "engine/ConfigFile.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>

using namespace Qt::StringLiterals;

struct SSHConfigModel::Private {
    QString configPath;
    ConfigDocument document;
    bool dirty = false;
    // Set while the file exists but could not be read: a save would replace it with an empty list.
    bool readFailed = false;
    // The file as last read or written; anything else on disk came from another program.
    mutable ConfigFile::Stamp stamp;
    bool outsideChange = false;
    // The change on disk the user chose to keep their edits over; the bar comes back only for a newer one.
    std::optional<ConfigFile::Stamp> keptOver;
    QFileSystemWatcher watcher;
    std::unique_ptr<SSHCheck> check;
    std::unique_ptr<QTemporaryDir> checkCopy; // what ssh reads while it checks a save
    std::optional<SSHRejection> rejection;
    // Editors write a file in several steps; look once they are done.
    QTimer settle;
};

SSHConfigModel::SSHConfigModel(QObject *parent)
    : SSHConfigModel(Locations::system().configFile, parent)
{}

SSHConfigModel::SSHConfigModel(const QString &configPath, QObject *parent)
    : StatusModel(parent)
    , d(std::make_unique<Private>())
{
    d->configPath = configPath;
    setStatusMessage(tr("Ready"));
    d->settle.setSingleShot(true);
    d->settle.setInterval(150);
    connect(&d->watcher, &QFileSystemWatcher::fileChanged, &d->settle, qOverload<>(&QTimer::start));
    connect(&d->watcher, &QFileSystemWatcher::directoryChanged, &d->settle, qOverload<>(&QTimer::start));
    connect(&d->settle, &QTimer::timeout, this, &SSHConfigModel::checkDisk);
    load();
}

SSHConfigModel::~SSHConfigModel() = default;

const QList<HostBlock> &SSHConfigModel::blocks() const
{
    return d->document.blocks();
}

bool SSHConfigModel::isDirty() const
{
    return d->dirty;
}

QString SSHConfigModel::configURL() const
{
    return d->configPath;
}

void SSHConfigModel::load()
{
    // Drop the old document first, so a reload of a large file never holds two copies.
    d->document = ConfigDocument();
    d->readFailed = false;
    ConfigFile::ReadResult read = ConfigFile::read(d->configPath);
    d->stamp = read.stamp;
    if (read.text) {
        d->document = ConfigDocument(std::move(*read.text));
    } else {
        d->readFailed = true;
        setErrorMessage(tr("Cannot read %1: %2").arg(d->configPath, read.error));
    }
    watch();
    d->keptOver.reset();
    setOutsideChange(false);
    stopSshCheck();
    setSshRejection(std::nullopt);
    emit blocksChanged();
    setDirty(false);
    const qsizetype count = blocks().size();
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
    // Refuse before touching anything: no folder, no backup, no change to the file.
    std::optional<QString> failure = d->document.validate();
    QString backup;
    if (!failure) {
        failure = ConfigFile::write(
            d->configPath,
            [this](const auto &sink) {
                d->document.forEachPiece(sink);
            },
            &d->stamp,
            &backup);
    }
    watch();
    if (failure) {
        setErrorMessage(tr("Failed to save %1: %2").arg(d->configPath, *failure));
        return;
    }
    d->keptOver.reset();
    setOutsideChange(false);
    setDirty(false);
    setStatusMessage(tr("Saved — backup created in ~/.ssh/"));
    checkWithSsh(backup);
}

bool SSHConfigModel::ignoresUnknown(const QUuid &id, const QString &name) const
{
    const qsizetype index = d->document.indexOf(id);
    return index >= 0 && d->document.ignoresUnknown(index, name);
}

void SSHConfigModel::setSshPath(const QString &path)
{
    d->check.reset(path.isEmpty() ? nullptr : new SSHCheck(path));
}

std::optional<SSHRejection> SSHConfigModel::sshRejection() const
{
    return d->rejection;
}

std::optional<SSHConfigModel::RejectedLine> SSHConfigModel::rejectedLine() const
{
    if (!d->rejection || d->rejection->line <= 0
        || QFileInfo(d->rejection->file).absoluteFilePath() != QFileInfo(d->configPath).absoluteFilePath())
        return std::nullopt;
    const auto place = d->document.placeOfLine(d->rejection->line);
    if (!place)
        return std::nullopt;
    const HostBlock &block = blocks().at(place->block);
    return RejectedLine{block.id, place->option < 0 ? QString() : block.options.at(place->option).name};
}

void SSHConfigModel::stopSshCheck()
{
    if (d->check)
        d->check->cancel();
    d->checkCopy.reset();
}

void SSHConfigModel::checkWithSsh(const QString &backup)
{
    stopSshCheck();
    setSshRejection(std::nullopt);
    if (!d->check)
        return;
    // ssh reads a private copy of what was saved: the file itself may change under it, for
    // example gain a Match exec line, between the look for such lines and ssh's reading.
    d->checkCopy = std::make_unique<QTemporaryDir>();
    const QString copy = d->checkCopy->filePath(u"config"_s);
    AtomicFile::Options options;
    options.mode = 0600;
    if (!d->checkCopy->isValid()
        || AtomicFile::writeText(
            copy,
            [this](const auto &sink) {
                d->document.forEachPiece(sink);
            },
            options)
        || SSHCheck::runsCommands(copy, Locations::userHomeDirectory())) {
        d->checkCopy.reset();
        return;
    }
    QStringList patterns;
    for (const HostBlock &block : blocks())
        patterns.append(block.pattern);
    d->check->disconnect(this);
    connect(d->check.get(), &SSHCheck::finished, this, [this, backup, copy](std::optional<SSHRejection> rejection) {
        d->checkCopy.reset();
        if (rejection && rejection->file == copy)
            rejection->file = d->configPath;
        // A later edit does not make the refusal of the saved file any less true; a reload does.
        setSshRejection(rejection);
        if (!rejection)
            return;
        QString where;
        if (rejection->line > 0 && rejection->file == d->configPath)
            where = tr(" (line %1)").arg(rejection->line);
        else if (rejection->line > 0)
            where = tr(" (%1, line %2)").arg(rejection->file).arg(rejection->line);
        const QString kept =
            backup.isEmpty() ? QString() : u' ' + tr("The file as it was before is kept as %1.").arg(backup);
        setErrorMessage(tr("ssh does not accept the saved file: %1%2.").arg(rejection->message, where) + kept);
    });
    d->check->checkConfig(copy, SSHCheck::firstLiteralAlias(patterns));
}

void SSHConfigModel::setSshRejection(std::optional<SSHRejection> rejection)
{
    if (rejection == d->rejection)
        return;
    d->rejection = std::move(rejection);
    emit sshRejectionChanged();
}

QByteArray SSHConfigModel::text() const
{
    return d->document.toUtf8();
}

std::optional<QUuid> SSHConfigModel::addBlock(const QString &pattern)
{
    const QString trimmed = TextRules::trimmed(pattern);
    if (trimmed.isEmpty())
        return std::nullopt;
    const QList<HostBlock> &all = blocks();
    if (std::any_of(all.cbegin(), all.cend(), [&trimmed](const HostBlock &block) {
            return block.pattern == trimmed;
        }))
        return std::nullopt;
    const qsizetype index = d->document.insertBlock(trimmed);
    emit blocksChanged();
    setDirty(true);
    setStatusMessage(tr("Added: %1").arg(trimmed));
    return blocks().at(index).id;
}

void SSHConfigModel::removeBlock(const QUuid &id)
{
    const qsizetype index = d->document.indexOf(id);
    if (index < 0)
        return;
    const QString name = blocks().at(index).displayName();
    d->document.removeBlock(index);
    emit blocksChanged();
    setDirty(true);
    setStatusMessage(tr("Removed: %1").arg(name));
}

std::optional<QUuid> SSHConfigModel::duplicateBlock(const QUuid &id)
{
    const qsizetype index = d->document.indexOf(id);
    if (index < 0)
        return std::nullopt;
    const QList<HostBlock> &all = blocks();
    const QString source = all.at(index).pattern;
    const QString shown = all.at(index).displayName();
    auto taken = [&all](const QString &pattern) {
        return std::any_of(all.cbegin(), all.cend(), [&pattern](const HostBlock &block) {
            return block.pattern == pattern;
        });
    };
    QString pattern = source + u"-copy"_s;
    for (int n = 2; taken(pattern); ++n)
        pattern = source + u"-copy"_s + QString::number(n);

    const qsizetype copy = d->document.duplicateBlock(index, pattern);
    emit blocksChanged();
    setDirty(true);
    setStatusMessage(tr("Duplicated: %1").arg(shown));
    return blocks().at(copy).id;
}

void SSHConfigModel::setPattern(const QUuid &id, const QString &pattern)
{
    const qsizetype index = d->document.indexOf(id);
    if (index < 0 || !d->document.setPattern(index, pattern))
        return;
    emit blockChanged(id);
    setDirty(true);
}

void SSHConfigModel::setOption(const QUuid &id, const QString &key, const QString &value)
{
    const qsizetype index = d->document.indexOf(id);
    // Blanks only are trimmed: a line break is kept, so that the save refuses it rather than
    // losing it silently.
    if (index < 0 || !d->document.setOption(index, key, value))
        return;
    emit blockChanged(id);
    setDirty(true);
}

void SSHConfigModel::setOptionValues(const QUuid &id, const QString &key, const QStringList &values)
{
    const qsizetype index = d->document.indexOf(id);
    if (index < 0 || !d->document.setOptionValues(index, key, values))
        return;
    emit blockChanged(id);
    setDirty(true);
}

bool SSHConfigModel::isChangedOnDisk() const
{
    const ConfigFile::Stamp now = ConfigFile::status(d->configPath);
    if (now.sameStatus(d->stamp))
        return false;
    if (now.exists != d->stamp.exists || now.size != d->stamp.size)
        return true;
    // Touched or replaced by an identical copy: only the content counts.
    const ConfigFile::Stamp read = ConfigFile::stamp(d->configPath);
    if (read.digest != d->stamp.digest)
        return true;
    const size_t digest = d->stamp.digest;
    d->stamp = read;
    d->stamp.digest = digest;
    return false;
}

bool SSHConfigModel::hasOutsideChange() const
{
    return d->outsideChange;
}

void SSHConfigModel::keepMine()
{
    d->keptOver = ConfigFile::status(d->configPath);
    setOutsideChange(false);
}

void SSHConfigModel::checkDisk()
{
    watch();
    if (!isChangedOnDisk())
        return;
    if (d->dirty) {
        if (!d->keptOver || !d->keptOver->sameStatus(ConfigFile::status(d->configPath)))
            setOutsideChange(true);
        return;
    }
    emit aboutToReloadFromDisk();
    load();
    emit reloadedFromDisk();
}

void SSHConfigModel::watch()
{
    // A file replaced by rename is a new file: watch the names again, and the folders, so that a
    // file created or replaced there is noticed too.
    QStringList paths{d->configPath, QFileInfo(d->configPath).absolutePath()};
    const QFileInfo info(d->configPath);
    if (info.isSymLink()) {
        const QString target = info.canonicalFilePath();
        if (!target.isEmpty())
            paths << target << QFileInfo(target).absolutePath();
    }
    QStringList missing;
    const QStringList watched = d->watcher.files() + d->watcher.directories();
    for (const QString &path : std::as_const(paths)) {
        if (!watched.contains(path) && QFileInfo::exists(path))
            missing.append(path);
    }
    if (!missing.isEmpty())
        d->watcher.addPaths(missing);
}

void SSHConfigModel::setOutsideChange(bool changed)
{
    if (changed == d->outsideChange)
        return;
    d->outsideChange = changed;
    emit hasOutsideChangeChanged();
}

void SSHConfigModel::setDirty(bool dirty)
{
    if (dirty == d->dirty)
        return;
    d->dirty = dirty;
    emit isDirtyChanged();
}
