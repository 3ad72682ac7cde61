#include "keys/ProcessRunner.h"

#include <QFile>
#include <QProcessEnvironment>
#include <QStringDecoder>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace Qt::StringLiterals;

namespace {
    // Owns the byte strings behind an argv/envp vector.
    class CStringList
    {
    public:
        void append(QByteArray bytes)
        {
            m_storage.push_back(std::move(bytes));
        }
        char **data()
        {
            m_pointers.clear();
            for (QByteArray &bytes : m_storage)
                m_pointers.push_back(bytes.data());
            m_pointers.push_back(nullptr);
            return m_pointers.data();
        }

    private:
        std::vector<QByteArray> m_storage;
        std::vector<char *> m_pointers;
    };

    void closeFd(int &fd)
    {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }

    ProcessResult startFailure(const QString &executable, int error)
    {
        return {-1, QObject::tr("Cannot run %1: %2").arg(executable, qt_error_string(error))};
    }

    CStringList childEnvironment(const ProcessRunner::Request &request)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const auto &[name, value] : request.environment)
            env.insert(name, value);
        CStringList list;
        for (const QString &name : env.keys())
            list.append(name.toLocal8Bit() + '=' + env.value(name).toLocal8Bit());
        return list;
    }

    bool writeAll(int fd, const QByteArray &bytes)
    {
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return false;
            done += n;
        }
        return true;
    }
} // namespace

namespace ProcessRunner {
    ProcessResult run(const QString &executable, const QStringList &args, const Request &request)
    {
        const QByteArray program = QFile::encodeName(executable);
        CStringList argv;
        argv.append(program);
        for (const QString &arg : args)
            argv.append(QFile::encodeName(arg));
        CStringList envp = childEnvironment(request);

        // Close-on-exec everywhere, so a child started concurrently on another thread never holds
        // our pipe's write end open and delays our end of file.
        int output[2] = {-1, -1};
        int input[2] = {-1, -1};
        if (::pipe2(output, O_CLOEXEC) != 0)
            return startFailure(executable, errno);
        if (::pipe2(input, O_CLOEXEC) != 0) {
            const int error = errno;
            closeFd(output[0]);
            closeFd(output[1]);
            return startFailure(executable, error);
        }
        // The read end is still open here, so this cannot raise SIGPIPE; the data fits the pipe.
        const bool inputWritten = writeAll(input[1], request.input.left(PIPE_BUF * 8));
        closeFd(input[1]);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, input[0], STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, output[1], STDERR_FILENO);

        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        sigset_t noSignals;
        sigemptyset(&noSignals);
        sigset_t defaults;
        sigemptyset(&defaults);
        sigaddset(&defaults, SIGPIPE);
        posix_spawnattr_setsigmask(&attributes, &noSignals);
        posix_spawnattr_setsigdefault(&attributes, &defaults);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

        pid_t pid = -1;
        const int spawnError =
            inputWritten ? posix_spawn(&pid, program.constData(), &actions, &attributes, argv.data(), envp.data())
                         : EIO;
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
        closeFd(input[0]);
        closeFd(output[1]);
        if (spawnError != 0) {
            closeFd(output[0]);
            return startFailure(executable, spawnError);
        }

        // Drain before waiting: a child writing more than a pipe buffer would otherwise never exit.
        QByteArray collected;
        char buffer[16384];
        for (;;) {
            const ssize_t n = ::read(output[0], buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            collected.append(buffer, n);
        }
        closeFd(output[0]);

        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        int exitCode = -1;
        if (WIFEXITED(status))
            exitCode = WEXITSTATUS(status);
        else if (WIFSIGNALED(status))
            exitCode = WTERMSIG(status); // never 0, so a killed child never reads as success

        // Stateless: a sequence cut off at the end is an error, not bytes held back for a next call.
        QStringDecoder decoder(QStringConverter::Utf8,
                               QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
        QString text = decoder.decode(collected);
        if (decoder.hasError())
            text.clear();
        return {exitCode, text};
    }
} // namespace ProcessRunner
