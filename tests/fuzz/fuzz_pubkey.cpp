// Public key file reader of the key scan, fed through a key directory of its own. Properties: a
// file that is valid UTF-8 gives exactly one pair and one that is not gives none; the content
// is trimmed of white space; the type is the content's first field and the comment its end.
#include "FuzzSupport.h"
#include "core/TextRules.h"
#include "keys/SSHKeysModel.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QTimer>

using namespace Qt::StringLiterals;

using TextRules::isBlank;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    static const QString dir = [] {
        const QString path = FuzzSupport::scratchDir() + u"/keys"_s;
        QDir().mkpath(path);
        FuzzSupport::writeFile(path + u"/id_fuzz"_s, "private");
        return path;
    }();
    FuzzSupport::writeFile(dir + u"/id_fuzz.pub"_s, input);

    // No key tool: the fingerprint run fails and the pair is still listed. The scan finishes
    // later, so wait for its list (or for nothing to come, when the folder cannot be read).
    static int argc = 1;
    static char *argv[] = {const_cast<char *>("fuzz_pubkey"), nullptr};
    static QCoreApplication app(argc, argv);
    SSHKeysModel model(dir, dir + u"/no-such-keygen"_s);
    QEventLoop loop;
    QObject::connect(&model, &SSHKeysModel::keyPairsChanged, &loop, &QEventLoop::quit);
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    model.load();
    loop.exec();
    FUZZ_CHECK(model.statusMessage().startsWith(u"Found "_s), model.statusMessage());
    if (!FuzzSupport::isValidUtf8(input)) {
        FUZZ_CHECK(model.keyPairs().isEmpty(), model.keyPairs().constFirst().publicKeyContent);
        return 0;
    }
    FUZZ_CHECK(model.keyPairs().size() == 1, model.statusMessage());
    const SSHKeyPair &pair = model.keyPairs().constFirst();
    const QString &content = pair.publicKeyContent;
    FUZZ_CHECK(pair.name == u"id_fuzz"_s && pair.privateURL == dir + u"/id_fuzz"_s, pair.name);
    FUZZ_CHECK(content.isEmpty() || (!content.front().isSpace() && !content.back().isSpace()), content);
    FUZZ_CHECK(content.startsWith(pair.keyType), pair.keyType);
    FUZZ_CHECK(std::none_of(pair.keyType.begin(), pair.keyType.end(), isBlank), pair.keyType);
    const qsizetype typeEnd = pair.keyType.size();
    FUZZ_CHECK(typeEnd == content.size() || isBlank(content[typeEnd]), content);

    // The comment is the content after the second blank, with every blank written as a space.
    QString spaced = content;
    std::replace_if(spaced.begin(), spaced.end(), isBlank, u' ');
    const qsizetype second = spaced.indexOf(u' ', spaced.indexOf(u' ') + 1);
    const qsizetype first = spaced.indexOf(u' ');
    FUZZ_CHECK(pair.comment == (first >= 0 && second > first ? spaced.mid(second + 1) : QString()),
               pair.comment + u" | "_s + content);
    return 0;
}
