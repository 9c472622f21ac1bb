// One Perl-style regular-expression text, "/pattern/flags" or "s/pattern/replacement/flags",
// taken apart and compiled, with the match, substitute and split operations it supports.
#pragma once

#include "services/regex/CompiledPattern.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace varno {

enum class ERegexKind { Match, Substitute };

// A compiled command. Texts are bytes (Shift-JIS); nothing here interprets them as UTF-8.
//
// Forms: "/pattern/flags" or "m<d>pattern<d>flags", and "s<d>pattern<d>replacement<d>flags",
// where <d> is any punctuation byte other than a backslash or a bracket. Flags: g (every
// match, for substitutions), i, m, s, x as in Perl. Inside the pattern a backslash before the
// delimiter yields the delimiter itself. A double-byte character whose second byte is a
// backslash (0x5C, as in many kanji) is taken as that character, not as an escape. An empty
// pattern matches the empty text (Perl would reuse its last successful pattern instead).
//
// Replacements: $& (the match), $1 ... $n and ${n} (groups; an unset group gives nothing),
// $` and $' (the text before and after the match), and the escapes \\ \$ \n \t \r \f \e \a
// \xHH \0 and \1 ... \9; any other escaped byte stands for itself. Case-changing escapes
// (\U \L \u \l \Q \E) are refused rather than silently ignored.
class TRegexCommand {
public:
    // Throws EBRegExpError for a malformed text or a pattern the engine rejects; the message
    // names the text and carries the engine's own message.
    static std::shared_ptr<const TRegexCommand> Parse(std::string_view text);

    ERegexKind kind() const { return m_kind; }
    bool global() const { return m_global; }
    const TCompiledPattern& pattern() const { return *m_pattern; }

    // The first match in subject; false when there is none.
    bool match(std::string_view subject, std::vector<TSpan>& spans) const;

    // Replaces the first match (every match with flag g, Perl's rules for empty matches) and
    // returns the number of replacements; out receives the new text only when it is non-zero.
    int substitute(std::string_view subject, std::string& out) const;

    // Perl's split: pieces between matches, followed by the groups of each match (an unset
    // group gives an empty piece). An empty match never splits at the start of a piece, so
    // an empty pattern splits into single bytes. limit > 0: at most limit pieces, the last
    // holding the rest of the text; limit 0: as many as there are, trailing empty pieces
    // removed; limit < 0: as many as there are, all kept. An empty subject gives no piece.
    // The pattern /^/ splits at every line start, as if written /^/m.
    void split(std::string_view subject, int limit, std::vector<std::string>& pieces) const;

    // One piece of a parsed replacement.
    struct TPart {
        enum class EKind { Text, Group, Before, After };
        EKind kind = EKind::Text;
        std::string text;  // EKind::Text
        int group = 0;     // EKind::Group; 0 is the whole match
    };

private:
    TRegexCommand() = default;
    void appendReplacement(std::string_view subject, const std::vector<TSpan>& spans, std::string& out) const;

    ERegexKind m_kind = ERegexKind::Match;
    bool m_global = false;
    std::unique_ptr<TCompiledPattern> m_pattern;
    std::unique_ptr<TCompiledPattern> m_splitPattern;  // set only for "/^/": split takes it as /^/m
    std::vector<TPart> m_replacement;
};

// Escapes every byte that is not an ASCII letter, digit or underscore with a backslash, as the
// substitution "s/\W/\\$&/g" does, so that text from data can stand in a pattern literally.
std::string QuoteRegExp(std::string_view text);

}  // namespace varno
