#include "KnownHostsSample.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>

using namespace Qt::StringLiterals;

namespace {
    QByteArray sshString(const QByteArray &bytes)
    {
        const auto n = quint32(bytes.size());
        return QByteArray(1, char(n >> 24)) + char(n >> 16) + char(n >> 8) + char(n) + bytes;
    }

    // ssh-keygen reads random ed25519 keys and RSA moduli without checking them.
    QByteArray randomKey(QRandomGenerator &random, bool rsa)
    {
        QByteArray bytes(rsa ? 257 : 32, '\0'); // a modulus with its top bit set, after a zero
        for (qsizetype i = rsa ? 1 : 0; i < bytes.size(); ++i)
            bytes[i] = char(random.bounded(256) | (i == 1 ? 0x80 : 0));
        const QByteArray type = rsa ? "ssh-rsa" : "ssh-ed25519";
        const QByteArray exponent = rsa ? sshString(QByteArray("\x01\x00\x01", 3)) : QByteArray();
        return type + ' ' + (sshString(type) + exponent + sshString(bytes)).toBase64();
    }
} // namespace

namespace KnownHostsSample {
    QByteArray run(const QStringList &args)
    {
        QProcess process;
        process.setStandardErrorFile(QProcess::nullDevice());
        process.start(keygen, args);
        process.waitForFinished(-1);
        return process.exitStatus() == QProcess::NormalExit ? process.readAllStandardOutput() : QByteArray();
    }

    QList<int> foundLines(const QByteArray &output)
    {
        QList<int> lines;
        for (const QByteArray &line : output.split('\n')) {
            if (line.startsWith("# Host "))
                lines << line.mid(line.lastIndexOf(" line ") + 6).split(' ').value(0).toInt();
        }
        return lines;
    }

    QByteArray make(const QString &dir)
    {
        // A couple of real keys of each type ssh-keygen makes: curve points must be valid.
        QList<QByteArray> keys;
        for (const QString &typeAndBits :
             {u"ed25519"_s, u"ecdsa:256"_s, u"ecdsa:384"_s, u"ecdsa:521"_s, u"rsa:1024"_s, u"dsa"_s}) {
            const QStringList type = typeAndBits.split(u':');
            for (int i = 0; i < 2; ++i) {
                const QString path = QDir(dir).filePath(u"key_%1_%2"_s.arg(type.join(u'_')).arg(i));
                QStringList args{u"-q"_s, u"-N"_s, QString(), u"-f"_s, path, u"-t"_s, type.at(0)};
                if (type.size() > 1)
                    args << u"-b"_s << type.at(1);
                run(args);
                const QList<QByteArray> fields = TestSupport::readFile(path + u".pub"_s).split(' ');
                if (fields.size() < 2)
                    return {};
                keys << fields.at(0) + ' ' + fields.at(1);
            }
        }
        QRandomGenerator random(7);
        while (keys.size() < 100)
            keys << randomKey(random, keys.size() % 2 == 0);

        const QList<QByteArray> plain = {"vault.internal",
                                         "[vault.internal]:2222",
                                         "*.internal",
                                         "db1.internal,!vault.internal",
                                         "VAULT.Internal",
                                         "web%1.example,10.0.0.%1",
                                         "@revoked vault.internal",
                                         "@cert-authority *.internal",
                                         "db?.internal",
                                         "[web%1.example]:22"};
        const QList<QByteArray> hashed = {"vault.internal", "[vault.internal]:2222", "web%1.example", "10.0.0.%1"};
        QByteArray text = "# made for the test\n\n";
        QByteArray toHash;
        for (qsizetype i = 0; i < keys.size(); ++i) {
            const QByteArray n = QByteArray::number(i % 7);
            if (i < 70)
                text += QByteArray(plain.at(i % plain.size())).replace("%1", n) + ' ' + keys.at(i) + " c" + n + '\n';
            else
                toHash += QByteArray(hashed.at(i % hashed.size())).replace("%1", n) + ' ' + keys.at(i) + '\n';
        }
        const QString hashPath = QDir(dir).filePath(u"to_hash"_s);
        TestSupport::writeFile(hashPath, toHash);
        run({u"-q"_s, u"-H"_s, u"-f"_s, hashPath});
        const QByteArray hashedLines = TestSupport::readFile(hashPath);
        return hashedLines.startsWith("|1|") ? text + hashedLines : QByteArray();
    }
} // namespace KnownHostsSample
