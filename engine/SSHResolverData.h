#pragma once

#include "engine/SSHResolver.h"

#include <QHash>

#include <vector>

// The configuration as the resolver keeps it: every line ssh acts on, in reading order, with the
// included files spliced in and every pattern split once, so a resolve only walks and compares.
struct SSHResolver::Data {
    // How a keyword takes its values.
    enum class Takes : quint8 {
        First, // the first value wins
        Raw, // the first wins, and the rest of the line is taken as written (commands)
        Each, // every distinct value, in order (IdentityFile, LocalForward, ...)
        SendEnv, // every name, in order; "-pattern" removes the names before it
        SetEnv, // the first line wins, one value per variable
    };
    struct Keyword {
        QString name; // as `ssh -G` prints it
        Takes takes = Takes::First;
        int slot = 0; // keywords sharing a slot share "first wins" (ProxyCommand, ProxyJump)
        bool known = true; // false for a keyword this ssh does not know
    };
    struct Pattern {
        QString text;
        bool negated = false;
        bool literal = false; // no * or ?
    };
    struct Criterion {
        enum Type : quint8 {
            All,
            Canonical,
            Final,
            Host,
            OriginalHost,
            User,
            LocalUser,
            Exec
        };
        Type type = All;
        bool negated = false;
        QList<Pattern> patterns; // the argument split at commas
        QString argument; // as written (the command of exec)
    };
    struct Option {
        int keyword = 0;
        int file = 0;
        int line = 0;
        QString value;
        QStringList words; // SendEnv, SetEnv
    };
    struct HostLine {
        QList<Pattern> patterns;
    };
    struct MatchLine {
        QList<Criterion> criteria;
        bool valid = true; // ssh refuses the line: nothing in it matches
    };
    enum class Kind : quint8 {
        Option,
        Host,
        Match,
        Enter,
        Leave,
        Top
    };
    struct Item {
        Kind kind;
        int index = 0; // into options, hosts or matches
        int next = 0; // Host, Match: the next item that is no option; Enter: the one after its Leave
    };

    QStringList texts; // the text of every file, [0] the main config
    QStringList files; // their paths
    std::vector<Item> items;
    std::vector<Option> options;
    std::vector<HostLine> hosts;
    std::vector<MatchLine> matches;
    std::vector<Keyword> keywords;
    QHash<QString, int> keywordIds; // every spelling ssh takes, lower-case
    int slotCount = 0;
    int hostNameKeyword = -1;
    int userKeyword = -1;
    int canonicalizeKeyword = -1;
    QList<IncludedHostBlock> includedBlocks;
    QStringList includedFiles;
    QStringList includeErrors;
    bool wantsFinal = false; // a Match line names final: ssh reads everything a second time
    bool runsCommands = false;

    QString homeDir;
    QString sshDir; // where relative Include paths of the file being read start

    // ssh folds keywords and host names with tolower(): ASCII letters only.
    static QString asciiLower(QStringView text)
    {
        QString lower = text.toString();
        for (QChar &c : lower) {
            if (c >= u'A' && c <= u'Z')
                c = QChar(c.unicode() + 32);
        }
        return lower;
    }

    // A line's keyword: an index into keywords, or one of these.
    enum LineKind {
        Host = -1,
        Match = -2,
        Include = -3,
        Ignored = -4
    };
    QList<std::pair<QString, int>> spellings; // keywords as written, and what they are
    int classify(QStringView spelling);

    void readTopLevel(const QString &text, const QString &path, const QString &includeDir);
    void read(int file, int depth);
    void readInclude(const QString &argument, int depth);
    int keywordId(const QString &lowerName);
};
