#include "keys/SSHKeysModel.h"

#include "core/Locations.h"
#include "core/TextRules.h"
#include "core/Uuid.h"
#include "keys/Askpass.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QStringDecoder>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <numeric>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {
    // Fingerprint runs of one scan at a time: enough to hide each run's start-up cost, few enough
    // not to swamp a small machine.
    constexpr int maxFingerprintRuns = 4;

    // Splits at every single blank: two blanks in a row leave an empty field between them.
    QStringList splitAtBlanks(const QString &text)
    {
        QStringList fields;
        qsizetype start = 0;
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (TextRules::isBlank(text.at(i))) {
                fields << text.mid(start, i - start);
                start = i + 1;
            }
        }
        fields << text.mid(start);
        return fields;
    }

    // Entry names in the order the directory lists them; nullopt when it cannot be listed.
    std::optional<QStringList> listDirectory(const QString &path)
    {
        DIR *dir = ::opendir(QFile::encodeName(path).constData());
        if (!dir)
            return std::nullopt;
        QStringList names;
        while (const dirent *entry = ::readdir(dir)) {
            const QString name = QFile::decodeName(entry->d_name);
            if (name != "."_L1 && name != ".."_L1)
                names << name;
        }
        ::closedir(dir);
        return names;
    }

    std::optional<QString> readUtf8File(const QString &path)
    {
        // Regular files only: opening a FIFO would wait for a writer.
        if (!QFileInfo(path).isFile())
            return std::nullopt;
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return std::nullopt;
        // Stateless: a sequence cut off at the end is an error, not bytes held back for a next call.
        QStringDecoder decoder(QStringConverter::Utf8,
                               QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
        QString text = decoder.decode(file.readAll());
        if (decoder.hasError() || file.error() != QFileDevice::NoError)
            return std::nullopt;
        return text;
    }

    bool existsOrDangles(const QString &path)
    {
        const QFileInfo info(path);
        return info.exists() || info.isSymLink();
    }

    // The pairs of one directory listing, sorted by the code points of their canonically composed
    // names, without case folding.
    QList<SSHKeyPair> readPairs(const QString &sshDir, const QStringList &names)
    {
        QList<SSHKeyPair> pairs;
        for (const QString &entry : names) {
            // The extension is what follows the last dot, and a leading dot alone starts no extension.
            const qsizetype dot = entry.lastIndexOf(u'.');
            if (dot <= 0 || QStringView(entry).mid(dot + 1) != u"pub")
                continue;
            const QString name = entry.left(dot);
            // "..pub" would make the key directory itself the "private key".
            if (name == "."_L1)
                continue;
            const QString privatePath = sshDir + u'/' + name;
            if (!QFileInfo::exists(privatePath))
                continue;
            const QString publicPath = sshDir + u'/' + entry;
            const std::optional<QString> text = readUtf8File(publicPath);
            if (!text)
                continue;

            SSHKeyPair pair;
            pair.id = Uuid::create();
            pair.name = name;
            pair.privateURL = privatePath;
            pair.publicURL = publicPath;
            pair.publicKeyContent = text->trimmed(); // QChar::isSpace: Zs, Zl, Zp, U+0009..U+000D, U+0085
            const QStringList fields = splitAtBlanks(pair.publicKeyContent);
            pair.keyType = fields.isEmpty() ? u"unknown"_s : fields.first();
            pair.comment = fields.size() >= 3 ? fields.mid(2).join(u' ') : QString();
            pairs << pair;
        }

        QList<QList<uint>> keys;
        for (const SSHKeyPair &pair : std::as_const(pairs))
            keys << pair.name.normalized(QString::NormalizationForm_C).toUcs4();
        QList<qsizetype> order(pairs.size());
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(), [&keys](qsizetype a, qsizetype b) {
            return std::lexicographical_compare(keys[a].begin(), keys[a].end(), keys[b].begin(), keys[b].end());
        });
        QList<SSHKeyPair> sorted;
        sorted.reserve(pairs.size());
        for (qsizetype i : order)
            sorted << pairs.at(i);
        return sorted;
    }

    QString systemError(int error)
    {
        return QString::fromLocal8Bit(std::strerror(error));
    }

    // Copies a file to a name that must not exist yet, with the source's permission bits.
    // Nothing on success; *taken tells a name someone else holds from any other failure.
    std::optional<QString> copyToNewFile(const QString &from, const QString &to, bool *taken)
    {
        *taken = false;
        QFile source(from);
        if (!source.open(QIODevice::ReadOnly))
            return source.errorString();
        struct stat st;
        if (::fstat(source.handle(), &st) != 0)
            return systemError(errno);
        const mode_t mode = st.st_mode & 07777;
        // Created with the source's bits (less the umask) at once, so a private key is never
        // readable by others, not even for a moment; O_EXCL never replaces anything.
        const QByteArray target = QFile::encodeName(to);
        const int fd = ::open(target.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode & 0777);
        if (fd < 0) {
            *taken = errno == EEXIST;
            return systemError(errno);
        }
        QString failure;
        const QByteArray bytes = source.readAll();
        if (source.error() != QFileDevice::NoError)
            failure = source.errorString();
        for (qsizetype done = 0; failure.isEmpty() && done < bytes.size();) {
            const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                failure = systemError(n < 0 ? errno : ENOSPC);
            else
                done += n;
        }
        if (failure.isEmpty() && (::fchmod(fd, mode) != 0 || ::fsync(fd) != 0))
            failure = systemError(errno);
        if (::close(fd) != 0 && failure.isEmpty())
            failure = systemError(errno);
        if (failure.isEmpty())
            return std::nullopt;
        ::unlink(target.constData());
        return failure;
    }

    // Keeps the files a new key at sshDir/name would replace as <file>.bak.<yyyyMMdd_HHmmss>, with
    // one suffix for both; a name taken for either moves both on to -2, -3, ... The first backup's
    // name as the user knows it (name.bak...) goes to *kept, empty when there was nothing to keep.
    std::optional<QString> backUpPair(const QString &sshDir, const QString &name, QString *kept)
    {
        const QString keyPath = sshDir + u'/' + name;
        kept->clear();
        QStringList sources;
        // Regular files only: reading a FIFO would wait for a writer, and a dangling link holds nothing.
        for (const QString &path : {keyPath, keyPath + u".pub"_s}) {
            if (QFileInfo(path).isFile())
                sources << path;
        }
        if (sources.isEmpty())
            return std::nullopt;
        const QString stamp = u".bak."_s + QDateTime::currentDateTime().toString(u"yyyyMMdd_HHmmss"_s);
        for (int n = 1;; ++n) {
            const QString suffix = n == 1 ? stamp : stamp + u'-' + QString::number(n);
            if (std::any_of(sources.cbegin(), sources.cend(), [&suffix](const QString &source) {
                    return existsOrDangles(source + suffix);
                }))
                continue;
            QStringList made;
            bool taken = false;
            for (const QString &source : std::as_const(sources)) {
                if (const auto failure = copyToNewFile(source, source + suffix, &taken)) {
                    for (const QString &copy : std::as_const(made))
                        QFile::remove(copy);
                    if (taken)
                        break; // made in the meantime: try the next suffix
                    return SSHKeysModel::tr("Cannot back up %1: %2").arg(source, *failure);
                }
                made << source + suffix;
            }
            if (taken)
                continue;
            *kept = name + (sources.first() == keyPath ? QString() : u".pub"_s) + suffix;
            return std::nullopt;
        }
    }
} // namespace

// One pass over the key directory while its fingerprint runs are out.
struct SSHKeysModel::Scan {
    quint64 serial = 0;
    QList<SSHKeyPair> pairs;
    QString statusAfter; // empty: the pair count
    qsizetype next = 0;
    qsizetype done = 0;
    int running = 0;
    bool starting = false;
    QList<QPointer<ProcessRunner>> runners;
    // Owed to callers of a scan this one replaced, too.
    QList<std::function<void()>> whenDone;
};

SSHKeysModel::SSHKeysModel(QObject *parent)
    : SSHKeysModel(Locations::system().sshDir, Locations::system().keygenPath, parent)
{}

SSHKeysModel::SSHKeysModel(const QString &sshDir, const QString &keygenPath, QObject *parent)
    : StatusModel(parent)
    , m_sshDir(sshDir)
    , m_keygenPath(keygenPath)
{}

// Children still running are killed by their runners, which are children of this model.
SSHKeysModel::~SSHKeysModel() = default;

ProcessResult SSHKeysModel::runProcessStatic(const QString &executable, const QStringList &args)
{
    return ProcessRunner::run(executable, args);
}

void SSHKeysModel::load()
{
    startScan({});
}

void SSHKeysModel::reload(const QString &statusAfter)
{
    startScan(statusAfter);
}

void SSHKeysModel::startScan(const QString &statusAfter, std::function<void()> whenDone)
{
    QList<std::function<void()>> owed;
    if (m_scan) {
        for (const QPointer<ProcessRunner> &runner : std::as_const(m_scan->runners)) {
            if (runner)
                runner->cancel();
        }
        owed = std::move(m_scan->whenDone);
        m_scan.reset();
    }
    if (whenDone)
        owed << std::move(whenDone);

    const std::optional<QStringList> names = listDirectory(m_sshDir);
    if (!names) {
        setStatusMessage(tr("Cannot read ~/.ssh/"));
        for (const auto &done : std::as_const(owed))
            done();
        return;
    }
    m_scan = std::make_unique<Scan>();
    m_scan->serial = ++m_scanSerial;
    m_scan->pairs = readPairs(m_sshDir, *names);
    m_scan->statusAfter = statusAfter;
    m_scan->whenDone = std::move(owed);
    startFingerprints();
}

void SSHKeysModel::startFingerprints()
{
    Scan &scan = *m_scan;
    // A run that ends while this loop starts it only counts itself done; the loop goes on.
    if (scan.starting)
        return;
    scan.starting = true;
    while (scan.running < maxFingerprintRuns && scan.next < scan.pairs.size()) {
        const qsizetype index = scan.next++;
        ++scan.running;
        auto *runner = new ProcessRunner(this);
        scan.runners << runner;
        connect(runner,
                &ProcessRunner::finished,
                this,
                [this, runner, serial = scan.serial, index](const ProcessResult &result) {
                    runner->deleteLater();
                    if (!m_scan || m_scan->serial != serial)
                        return; // a later scan replaced this one
                    m_scan->runners.removeOne(runner);
                    m_scan->pairs[index].fingerprint =
                        result.exitCode == 0 ? result.output.trimmed() : tr("Unable to read fingerprint");
                    --m_scan->running;
                    ++m_scan->done;
                    startFingerprints();
                });
        ProcessOptions options;
        // A FIFO or a stalled file system named like a key would keep ssh-keygen waiting for ever.
        options.timeoutMs = m_fingerprintTimeoutMs;
        runner->start(m_keygenPath, {u"-l"_s, u"-f"_s, scan.pairs.at(index).privateURL}, options);
    }
    scan.starting = false;
    if (scan.done == scan.pairs.size())
        finishScan();
}

void SSHKeysModel::finishScan()
{
    // Taken out first: a slot below may start the next scan.
    const std::unique_ptr<Scan> scan = std::move(m_scan);
    m_keyPairs = scan->pairs;
    emit keyPairsChanged();
    const qsizetype count = m_keyPairs.size();
    if (!scan->statusAfter.isEmpty())
        setStatusMessage(scan->statusAfter);
    else
        setStatusMessage(count == 1 ? tr("Found %1 key pair").arg(count) : tr("Found %1 key pairs").arg(count));
    for (const auto &done : std::as_const(scan->whenDone))
        done();
}

void SSHKeysModel::deleteKeyPair(const SSHKeyPair &listed)
{
    // A copy: the caller's pair may be the very element removed from the list below.
    const SSHKeyPair pair = listed;
    for (const QString &path : {pair.privateURL, pair.publicURL}) {
        if (!existsOrDangles(path))
            continue;
        QFile file(path);
        if (!file.remove()) {
            setErrorMessage(tr("Cannot delete %1: %2").arg(path, file.errorString()));
            return;
        }
    }
    // Gone from the list at once; the rescan may wait on slow fingerprint runs of other keys.
    if (m_keyPairs.removeIf([&pair](const SSHKeyPair &other) {
            return other.id == pair.id;
        }))
        emit keyPairsChanged();
    const QString status = tr("Deleted: %1").arg(pair.name);
    setStatusMessage(status);
    startScan(status);
}

void SSHKeysModel::copyPublicKey(const SSHKeyPair &pair)
{
    emit publicKeyCopyRequested(pair.publicKeyContent);
    setStatusMessage(tr("Public key copied to clipboard"));
}

void SSHKeysModel::generateKey(const KeyGenOptions &options)
{
    ++m_runningGenerations;
    if (m_runningGenerations == 1)
        emit isGeneratingChanged();
    // Fails on the main thread's next turn, like any other generation outcome.
    const auto failLater = [this, filename = options.filename](const QString &failure) {
        QMetaObject::invokeMethod(
            this,
            [this, filename, failure] {
                finishGeneration({-1, {}, failure}, filename, {});
            },
            Qt::QueuedConnection);
    };

    // The name is used as typed: "/" inside it addresses a subdirectory, "~" is not expanded.
    const QString keyPath = m_sshDir + u'/' + options.filename;
    QStringList args{u"-t"_s, KeyTypes::rawValue(options.keyType)};
    args << KeyTypes::sizeArguments(options.keyType);
    args << u"-f"_s << keyPath << u"-C"_s << options.comment;

    ProcessOptions run;
    run.timeoutMs = m_generationTimeoutMs;
    std::optional<Askpass> askpass;
    if (options.usePassphrase && !options.passphrase.isEmpty()) {
        askpass = Askpass::prepare(options.passphrase);
        if (!askpass) {
            failLater(tr("Cannot prepare the passphrase helper."));
            return;
        }
        // Without -N the tool asks for the passphrase twice.
        run.environment = askpass->environment();
    } else {
        args << u"-N"_s << QString();
    }
    // A key replaced by mistake can be put back: the old pair is copied first.
    QString kept;
    if (const auto failure = backUpPair(m_sshDir, options.filename, &kept)) {
        failLater(*failure);
        return;
    }
    // The tool asks "Overwrite (y/n)?" on standard input when the key file exists; the sheet has
    // asked already and the old pair is kept, so say yes.
    if (existsOrDangles(keyPath))
        run.input = "y\n";

    auto *runner = new ProcessRunner(this);
    // The helper lives until the tool has finished: the lambda holds it.
    connect(runner,
            &ProcessRunner::finished,
            this,
            [this, runner, askpass, keyPath, kept, filename = options.filename](const ProcessResult &result) {
                runner->deleteLater();
                if (result.exitCode != 0 || !askpass) {
                    finishGeneration(result, filename, kept);
                    return;
                }
                // If the passphrase never reached the tool (helper not runnable, an older tool
                // reading an empty answer), it saves the key unencrypted and still succeeds; do not
                // call that success.
                auto *check = new ProcessRunner(this);
                connect(check,
                        &ProcessRunner::finished,
                        this,
                        [this, check, keyPath, kept, filename](const ProcessResult &r) {
                            check->deleteLater();
                            if (r.exitCode == 0) {
                                finishGeneration({1,
                                                  {},
                                                  tr("The new key %1 was saved without its passphrase: the "
                                                     "passphrase could not be handed to ssh-keygen.")
                                                      .arg(keyPath)},
                                                 filename,
                                                 kept);
                            } else {
                                finishGeneration({0, {}, {}}, filename, kept);
                            }
                        });
                ProcessOptions checkRun;
                checkRun.timeoutMs = m_fingerprintTimeoutMs;
                check->start(m_keygenPath, {u"-y"_s, u"-P"_s, QString(), u"-f"_s, keyPath}, checkRun);
            });
    // Started on the next turn, so even a tool that cannot start reports after this returns.
    QMetaObject::invokeMethod(
        runner,
        [runner, program = m_keygenPath, args, run] {
            runner->start(program, args, run);
        },
        Qt::QueuedConnection);
}

void SSHKeysModel::finishGeneration(const ProcessResult &result, const QString &filename, const QString &kept)
{
    if (result.exitCode == 0) {
        const QString status = kept.isEmpty() ? tr("Generated: %1").arg(filename)
                                              : tr("Generated: %1 — the old pair is kept as %2").arg(filename, kept);
        // Finished once the list shows the new key.
        startScan(status, [this] {
            endGeneration();
        });
        return;
    }
    if (!result.failure.isEmpty())
        setErrorMessage(result.failure);
    else if (!result.output.isEmpty())
        setErrorMessage(result.output);
    else
        setErrorMessage(tr("ssh-keygen failed (exit %1)").arg(result.exitCode));
    endGeneration();
}

void SSHKeysModel::endGeneration()
{
    --m_runningGenerations;
    if (m_runningGenerations == 0)
        emit isGeneratingChanged();
    emit generationFinished();
}
