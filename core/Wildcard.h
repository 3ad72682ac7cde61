#pragma once

#include <QtGlobal>

// ssh's match_pattern(): "*" stands for any run of characters, "?" for any one, every other
// character for itself. It keeps one point to come back to, the last star, so a pattern with many
// stars costs at most text × pattern steps instead of the exponential time of plain recursion.
namespace Wildcard {
    // `fold` maps each pattern character before it is compared (to lower-case it, say).
    template <typename View, typename Fold>
    bool matches(View text, View pattern, Fold fold)
    {
        qsizetype t = 0;
        qsizetype p = 0;
        qsizetype starP = -1;
        qsizetype starT = 0;
        while (t < text.size()) {
            if (p < pattern.size() && pattern[p] == u'*') {
                starP = p++;
                starT = t;
            } else if (p < pattern.size() && (pattern[p] == u'?' || fold(pattern[p]) == text[t])) {
                ++t;
                ++p;
            } else if (starP >= 0) {
                p = starP + 1;
                t = ++starT;
            } else {
                return false;
            }
        }
        while (p < pattern.size() && pattern[p] == u'*')
            ++p;
        return p == pattern.size();
    }

    template <typename View>
    bool matches(View text, View pattern)
    {
        return matches(text, pattern, [](auto c) {
            return c;
        });
    }
} // namespace Wildcard
