#include "keys/SSHKeysModel.h"

#include "keys/ProcessRunner.h"
#include "ui/Locations.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QGuiApplication>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QThread>
#include <QtConcurrent>

#include <algorithm>
#include <dirent.h>
#include <memory>
#include <numeric>

using namespace Qt::StringLiterals;

namespace {
    bool isBlank(QChar c)
    {
        return c == u'\t' || c.category() == QChar::Separator_Space;
    }

    // Splits at every single blank: two blanks in a row leave an empty field between them.
    QStringList splitAtBlanks(const QString &text)
    {
        QStringList fields;
        qsizetype start = 0;
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (isBlank(text.at(i))) {
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

    // Answers every passphrase prompt of the key tool from the environment that only the tool and
    // this helper see, so the passphrase never appears in a process's argument list. printf is a
    // shell builtin, so the value is not passed on to another program either.
    constexpr char askpassScript[] = "#!/bin/sh\nprintf '%s\\n' \"$KORVEL_KEY_PASSPHRASE\"\n";

    std::shared_ptr<QTemporaryDir> writeAskpassHelper(QString *helperPath)
    {
        auto dir = std::make_shared<QTemporaryDir>(QDir::tempPath() + u"/korvel-askpass-XXXXXX"_s);
        if (!dir->isValid())
            return nullptr;
        QFile::setPermissions(dir->path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QFile script(dir->filePath(u"askpass"_s));
        if (!script.open(QIODevice::WriteOnly) || script.write(askpassScript) != qint64(sizeof askpassScript - 1))
            return nullptr;
        script.close();
        if (!script.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner))
            return nullptr;
        *helperPath = script.fileName();
        return dir;
    }
} // namespace

SSHKeysModel::SSHKeysModel(QObject *parent)
    : SSHKeysModel(Locations::system().sshDir, Locations::system().keygenPath, parent)
{}

SSHKeysModel::SSHKeysModel(const QString &sshDir, const QString &keygenPath, QObject *parent)
    : QObject(parent)
    , m_sshDir(sshDir)
    , m_keygenPath(keygenPath)
{
    m_fingerprintPool.setMaxThreadCount(std::max(1, QThread::idealThreadCount()));
}

SSHKeysModel::~SSHKeysModel() = default;

void SSHKeysModel::setErrorMessage(std::optional<QString> message)
{
    if (message == m_errorMessage)
        return;
    m_errorMessage = std::move(message);
    emit errorMessageChanged();
}

void SSHKeysModel::setStatusMessage(const QString &message)
{
    if (message == m_statusMessage)
        return;
    m_statusMessage = message;
    emit statusMessageChanged();
}

ProcessResult SSHKeysModel::runProcessStatic(const QString &executable, const QStringList &args)
{
    return ProcessRunner::run(executable, args);
}

QString SSHKeysModel::fingerprint(const QString &privatePath) const
{
    const ProcessResult result = runProcessStatic(m_keygenPath, {u"-l"_s, u"-f"_s, privatePath});
    if (result.exitCode != 0)
        return tr("Unable to read fingerprint");
    return result.output.trimmed();
}

void SSHKeysModel::load()
{
    const std::optional<QStringList> names = listDirectory(m_sshDir);
    if (!names) {
        setStatusMessage(tr("Cannot read ~/.ssh/"));
        return;
    }

    QList<SSHKeyPair> pairs;
    for (const QString &entry : *names) {
        // The extension is what follows the last dot, and a leading dot alone starts no extension.
        const qsizetype dot = entry.lastIndexOf(u'.');
        if (dot <= 0 || QStringView(entry).mid(dot + 1) != u"pub")
            continue;
        const QString name = entry.left(dot);
        // "..pub" would make the key directory itself the "private key".
        if (name == "."_L1)
            continue;
        const QString privatePath = m_sshDir + u'/' + name;
        if (!QFileInfo::exists(privatePath))
            continue;
        const QString publicPath = m_sshDir + u'/' + entry;
        const std::optional<QString> text = readUtf8File(publicPath);
        if (!text)
            continue;

        SSHKeyPair pair;
        pair.id = QUuid::createUuid();
        pair.name = name;
        pair.privateURL = privatePath;
        pair.publicURL = publicPath;
        pair.publicKeyContent = text->trimmed(); // QChar::isSpace: Zs, Zl, Zp, U+0009..U+000D, U+0085
        const QStringList fields = splitAtBlanks(pair.publicKeyContent);
        pair.keyType = fields.isEmpty() ? u"unknown"_s : fields.first();
        pair.comment = fields.size() >= 3 ? fields.mid(2).join(u' ') : QString();
        pairs << pair;
    }

    // One key tool run per pair, spread over the cores; each result goes back to its own pair.
    if (pairs.size() == 1) {
        pairs.first().fingerprint = fingerprint(pairs.first().privateURL);
    } else if (!pairs.isEmpty()) {
        QStringList paths;
        for (const SSHKeyPair &pair : std::as_const(pairs))
            paths << pair.privateURL;
        const QStringList prints =
            QtConcurrent::blockingMapped<QStringList>(&m_fingerprintPool, paths, [this](const QString &path) {
                return fingerprint(path);
            });
        for (qsizetype i = 0; i < pairs.size(); ++i)
            pairs[i].fingerprint = prints.at(i);
    }

    // Code-point order of the canonically composed names, without case folding.
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

    m_keyPairs = sorted;
    emit keyPairsChanged();
    const qsizetype count = m_keyPairs.size();
    setStatusMessage(count == 1 ? tr("Found %1 key pair").arg(count) : tr("Found %1 key pairs").arg(count));
}

void SSHKeysModel::deleteKeyPair(const SSHKeyPair &pair)
{
    for (const QString &path : {pair.privateURL, pair.publicURL}) {
        if (!existsOrDangles(path))
            continue;
        QFile file(path);
        if (!file.remove()) {
            setErrorMessage(tr("Cannot delete %1: %2").arg(path, file.errorString()));
            return;
        }
    }
    load();
    setStatusMessage(tr("Deleted: %1").arg(pair.name));
}

void SSHKeysModel::copyPublicKey(const SSHKeyPair &pair)
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(pair.publicKeyContent);
    setStatusMessage(tr("Public key copied to clipboard"));
}

void SSHKeysModel::generateKey(const KeyGenOptions &options)
{
    ++m_runningGenerations;
    if (m_runningGenerations == 1)
        emit isGeneratingChanged();

    // The name is used as typed: "/" inside it addresses a subdirectory, "~" is not expanded.
    const QString keyPath = m_sshDir + u'/' + options.filename;
    QStringList args{u"-t"_s, KeyTypes::rawValue(options.keyType)};
    args << KeyTypes::sizeArguments(options.keyType);
    args << u"-f"_s << keyPath << u"-C"_s << options.comment;

    ProcessRunner::Request request;
    std::shared_ptr<QTemporaryDir> helperDir;
    if (options.usePassphrase && !options.passphrase.isEmpty()) {
        QString helper;
        helperDir = writeAskpassHelper(&helper);
        if (!helperDir) {
            // Fail on the main thread's next turn, like any other generation outcome.
            QMetaObject::invokeMethod(
                this,
                [this, filename = options.filename] {
                    finishGeneration({-1, tr("Cannot prepare the passphrase helper.")}, filename);
                },
                Qt::QueuedConnection);
            return;
        }
        // Without -N the tool asks for the passphrase twice; "force" makes it ask the helper even
        // without a display.
        request.environment = {{u"SSH_ASKPASS"_s, helper},
                               {u"SSH_ASKPASS_REQUIRE"_s, u"force"_s},
                               {u"KORVEL_KEY_PASSPHRASE"_s, options.passphrase}};
    } else {
        args << u"-N"_s << QString();
    }
    // The tool asks "Overwrite (y/n)?" on standard input when the key file exists; the sheet has
    // already warned about the overwrite, so say yes.
    if (existsOrDangles(keyPath))
        request.input = "y\n";

    auto *watcher = new QFutureWatcher<ProcessResult>(this);
    connect(watcher, &QFutureWatcher<ProcessResult>::finished, this, [this, watcher, filename = options.filename] {
        watcher->deleteLater();
        finishGeneration(watcher->result(), filename);
    });
    // The helper directory lives until the tool has finished, even if the model goes first.
    const bool protect = bool(helperDir);
    watcher->setFuture(QtConcurrent::run([program = m_keygenPath, args, request, helperDir, protect, keyPath] {
        ProcessResult result = ProcessRunner::run(program, args, request);
        // If the passphrase never reached the tool (helper not runnable, an older tool reading an
        // empty answer), it saves the key unencrypted and still succeeds; do not call that success.
        if (result.exitCode == 0 && protect
            && ProcessRunner::run(program, {u"-y"_s, u"-P"_s, QString(), u"-f"_s, keyPath}).exitCode == 0) {
            result = {1,
                      QCoreApplication::translate("SSHKeysModel",
                                                  "The new key %1 was saved without its passphrase: the "
                                                  "passphrase could not be handed to ssh-keygen.")
                          .arg(keyPath)};
        }
        return result;
    }));
}

void SSHKeysModel::finishGeneration(const ProcessResult &result, const QString &filename)
{
    if (result.exitCode == 0) {
        load();
        setStatusMessage(tr("Generated: %1").arg(filename));
    } else if (!result.output.isEmpty()) {
        setErrorMessage(result.output);
    } else {
        setErrorMessage(tr("ssh-keygen failed (exit %1)").arg(result.exitCode));
    }
    --m_runningGenerations;
    if (m_runningGenerations == 0)
        emit isGeneratingChanged();
    emit generationFinished();
}
