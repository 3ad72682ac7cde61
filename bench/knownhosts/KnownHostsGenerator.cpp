#include "KnownHostsGenerator.h"

#include <QFile>
#include <QMessageAuthenticationCode>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {
    QByteArray sshString(const QByteArray &bytes)
    {
        QByteArray out(4, '\0');
        const auto n = quint32(bytes.size());
        out[0] = char(n >> 24);
        out[1] = char(n >> 16);
        out[2] = char(n >> 8);
        out[3] = char(n);
        return out + bytes;
    }

    QByteArray randomBytes(QRandomGenerator &random, int n)
    {
        QByteArray out(n, Qt::Uninitialized);
        for (char &c : out)
            c = char(random.bounded(256));
        return out;
    }

    QByteArray hostName(QRandomGenerator &random)
    {
        static const char *roles[] = {"web", "db", "cache", "build", "git", "mail", "vpn", "k8s-node", "api", "ci"};
        static const char *zones[] = {"prod", "staging", "dev", "eu-west", "us-east", "lab"};
        static const char *domains[] = {"example.com", "corp.example.net", "internal.example.org", "example.io"};
        return QByteArray(roles[random.bounded(10)]) + '-' + QByteArray::number(random.bounded(1000)) + '.'
               + zones[random.bounded(6)] + '.' + domains[random.bounded(4)];
    }

    QByteArray address(QRandomGenerator &random)
    {
        return "10." + QByteArray::number(random.bounded(256)) + '.' + QByteArray::number(random.bounded(256)) + '.'
               + QByteArray::number(1 + random.bounded(254));
    }
} // namespace

KnownHostsGenerator::KnownHostsGenerator(quint32 seed, QStringList ecdsaKeys)
    : m_ecdsaKeys(std::move(ecdsaKeys))
    , m_seed(seed)
{}

QStringList KnownHostsGenerator::makeEcdsaKeys(const QString &keygen, int count)
{
    QStringList keys;
    QTemporaryDir dir;
    for (int i = 0; i < count; ++i) {
        const QString path = dir.filePath(u"k%1"_s.arg(i));
        if (QProcess::execute(keygen, {u"-q"_s, u"-t"_s, u"ecdsa"_s, u"-N"_s, QString(), u"-f"_s, path}) != 0)
            return {};
        QFile pub(path + u".pub"_s);
        if (!pub.open(QIODevice::ReadOnly))
            return {};
        const QList<QByteArray> fields = pub.readAll().split(' ');
        if (fields.size() >= 2)
            keys << QString::fromLatin1(fields.at(1));
    }
    return keys;
}

QByteArray KnownHostsGenerator::generate(int lines)
{
    QRandomGenerator random(m_seed);
    m_plainHosts.clear();
    QByteArray out;
    out.reserve(qsizetype(lines) * 300);
    for (int i = 0; i < lines; ++i) {
        // Host field: 35% hashed, 30% a name, 15% name,address, 10% [name]:port, 10% an address.
        const int kind = random.bounded(100);
        const QByteArray name = hostName(random);
        if (kind < 35) {
            const QByteArray salt = randomBytes(random, 20);
            const QByteArray hash = QMessageAuthenticationCode::hash(name, salt, QCryptographicHash::Sha1);
            out += "|1|" + salt.toBase64() + '|' + hash.toBase64();
        } else if (kind < 65) {
            out += name;
            m_plainHosts << QString::fromLatin1(name);
        } else if (kind < 80) {
            out += name + ',' + address(random);
        } else if (kind < 90) {
            out += '[' + name + "]:" + QByteArray::number(2200 + random.bounded(100));
        } else {
            out += address(random);
        }

        // Key: 50% ed25519, 20% ECDSA P-256, 30% RSA 3072.
        const int type = random.bounded(100);
        if (type < 50 || (type < 70 && m_ecdsaKeys.isEmpty())) {
            out += " ssh-ed25519 " + (sshString("ssh-ed25519") + sshString(randomBytes(random, 32))).toBase64();
        } else if (type < 70) {
            out += " ecdsa-sha2-nistp256 " + m_ecdsaKeys.at(random.bounded(int(m_ecdsaKeys.size()))).toLatin1();
        } else {
            QByteArray modulus = randomBytes(random, 384);
            modulus[0] = char(modulus[0] | 0x80);
            modulus[383] = char(modulus[383] | 1);
            out += " ssh-rsa "
                   + (sshString("ssh-rsa") + sshString(QByteArray("\x01\x00\x01", 3)) + sshString('\0' + modulus))
                         .toBase64();
        }
        out += '\n';
    }
    return out;
}
