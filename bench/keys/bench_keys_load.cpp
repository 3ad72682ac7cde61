// Scanning 50 key pairs with load() against 50 plain "ssh-keygen -l -f" runs one after another,
// both measured in the same run. load() returns at once; the scan is timed up to the list it
// delivers. Prints median figures over several rounds.
#include "keys/SSHKeysModel.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {
    constexpr int pairCount = 50;
    constexpr int rounds = 7;

    double median(QList<double> values)
    {
        std::sort(values.begin(), values.end());
        return values.at(values.size() / 2);
    }
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString keygen = app.arguments().value(1, u"/usr/bin/ssh-keygen"_s);
    QTextStream out(stdout);
    QTemporaryDir dir;
    QStringList paths;
    for (int i = 0; i < pairCount; ++i) {
        const QString path = dir.filePath(u"key_%1"_s.arg(i, 2, 10, QChar(u'0')));
        const ProcessResult r = SSHKeysModel::runProcessStatic(
            keygen,
            {u"-q"_s, u"-t"_s, u"ed25519"_s, u"-f"_s, path, u"-C"_s, u"bench"_s, u"-N"_s, QString()});
        if (r.exitCode != 0) {
            out << "cannot generate " << path << ": " << r.output << r.failure << Qt::endl;
            return 1;
        }
        paths << path;
    }

    SSHKeysModel model(dir.path(), keygen);
    QList<double> plainTimes;
    QList<double> loadTimes;
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        for (const QString &path : std::as_const(paths)) {
            if (SSHKeysModel::runProcessStatic(keygen, {u"-l"_s, u"-f"_s, path}).exitCode != 0)
                return 1;
        }
        plainTimes << timer.nsecsElapsed() / 1e6;

        QEventLoop loop;
        QObject::connect(&model, &SSHKeysModel::keyPairsChanged, &loop, &QEventLoop::quit);
        timer.restart();
        model.load();
        loop.exec();
        loadTimes << timer.nsecsElapsed() / 1e6;
        if (model.keyPairs().size() != pairCount || model.statusMessage() != u"Found 50 key pairs"_s
            || model.keyPairs().first().name != u"key_00"_s
            || !model.keyPairs().last().fingerprint.contains(u"SHA256:"_s))
            return 1;
    }

    const double plain = median(plainTimes);
    const double load = median(loadTimes);
    out << "50 plain ssh-keygen -l -f runs: " << plain << " ms (median of " << rounds << ")" << Qt::endl;
    out << "load() of 50 pairs:            " << load << " ms (median of " << rounds << ")" << Qt::endl;
    out << "ratio load/plain:              " << load / plain << Qt::endl;
    return load <= plain ? 0 : 2;
}
