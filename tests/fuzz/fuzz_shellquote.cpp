// Shell quoting of the scripts' elevated command lines. Property: /bin/sh reading the quoted word
// gets back the original text as one word. Every input is checked structurally (single-quoted
// runs joined by \' only); a sample goes through the shell.
#include "FuzzSupport.h"
#include "scripts/BinScriptsModel.h"

#include <QProcess>

using namespace Qt::StringLiterals;

namespace {
    // The text a POSIX shell makes of a word built only of '...' runs and \' escapes; nullopt
    // when the word holds anything else (an unquoted character the shell would interpret).
    std::optional<QString> unquoteStrictly(const QString &word)
    {
        QString text;
        qsizetype i = 0;
        while (i < word.size()) {
            if (word[i] == u'\'') {
                const qsizetype end = word.indexOf(u'\'', i + 1);
                if (end < 0)
                    return std::nullopt;
                text += QStringView(word).sliced(i + 1, end - i - 1);
                i = end + 1;
            } else if (word[i] == u'\\' && i + 1 < word.size() && word[i + 1] == u'\'') {
                text += u'\'';
                i += 2;
            } else {
                return std::nullopt;
            }
        }
        return text;
    }

    // Runs the command with its paths replaced by our probe, which prints its arguments.
    QByteArray shellWords(const QString &command)
    {
        QProcess sh;
        sh.start(u"/bin/sh"_s, {u"-c"_s, u"p() { printf '%s\\0' \"$#\" \"$@\"; }; "_s + command});
        if (!sh.waitForFinished(10000))
            FuzzSupport::fail("shell finished", command);
        return sh.readAllStandardOutput();
    }
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString quoted = BinScriptsModel::shellQuote(text);
    const auto back = unquoteStrictly(quoted);
    FUZZ_CHECK(back && *back == text, quoted);

    // The command lines are built from the same quoting: each path stays one argument.
    const QString copy = BinScriptsModel::copyCommand(text, text);
    FUZZ_CHECK(copy == u"cp "_s + quoted + u' ' + quoted + u" && chmod 755 "_s + quoted, copy);
    FUZZ_CHECK(BinScriptsModel::removeCommand(text) == u"rm "_s + quoted, BinScriptsModel::removeCommand(text));

    // A zero byte cannot be in a command line at all; file names never hold one.
    // Starting a shell is slow: one input in 64, or one in 8 when it holds a quote or backslash.
    static unsigned counter = 0;
    const bool tricky = text.contains(u'\'') || text.contains(u'\\');
    if (text.contains(QChar(0)) || ++counter % (tricky ? 8 : 64) != 0)
        return 0;
    const QByteArray words = shellWords(u"p "_s + quoted);
    FUZZ_CHECK(words == "1\0"_ba + text.toUtf8() + '\0', QString::fromUtf8(words));
    return 0;
}
