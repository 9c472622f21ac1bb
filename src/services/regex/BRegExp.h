// The regular-expression service: Perl-style match, substitute and split on Shift-JIS bytes.
#pragma once

#include "services/regex/CompiledPattern.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace varno {

class TRegexCommand;

// Runs one command at a time and keeps what the last match or split found, for count() and
// item(). Patterns are "/pattern/flags" (match, split) and "s/pattern/replacement/flags"
// (substitute), as described at TRegexCommand; compiled patterns come from the shared
// TPatternCache and the last one is kept for the next call. Every failure (a malformed or
// rejected pattern, an engine failure, count/item at the wrong time) is an EBRegExpError.
// The results are copies: the caller's text may change or go away after a call.
class TBRegExp {
public:
    enum class EMode { None, AfterMatch, AfterSplit };

    TBRegExp();
    virtual ~TBRegExp();
    TBRegExp(const TBRegExp&) = delete;
    TBRegExp& operator=(const TBRegExp&) = delete;

    // True when pattern matches somewhere in text; the mode becomes after-match and the group
    // spans of the first match are kept (none after a failed match). Flag g changes nothing.
    virtual bool match(std::string_view pattern, std::string_view text);

    // Replaces the first match (every one with flag g) and returns how many were replaced;
    // text changes only when that is non-zero. The mode becomes none.
    virtual int substitute(std::string_view pattern, std::string& text);

    // Splits text at the matches of a "/pattern/" (see TRegexCommand::split for the pieces and
    // the limit: > 0 at most that many pieces, 0 all with trailing empty pieces dropped, < 0
    // all). Returns the number of pieces; the mode becomes after-split.
    virtual int split(std::string_view pattern, std::string_view text, int limit);

    // After a match: the number of leading groups, group 0 first, that are non-empty. After a
    // split: the number of pieces. In mode none: EBRegExpError "no count now".
    int count() const;

    // After a match: group i, when it and every group before it are non-empty. After a split:
    // piece i, 0 <= i < count(). Otherwise "index out of range"; in mode none "no strings now".
    std::string item(int i) const;

    EMode mode() const { return m_mode; }

    // After a successful match: the byte offsets of group i in the matched text; unset when the
    // group took no part, i is no group, or no match was made. Unlike item(), an empty group
    // that took part gives its (empty) span.
    TSpan span(int i) const;

    // The number of spans span() can give: the pattern's groups plus one after a successful
    // match, else 0.
    int spanCount() const { return static_cast<int>(m_spans.size()); }

protected:
    // Drops the kept results and sets the mode, as a call that found nothing would.
    void forgetResults(EMode mode);

private:
    const TRegexCommand& command(std::string_view pattern);

    std::string m_commandText;                      // text of the last command used
    std::shared_ptr<const TRegexCommand> m_command;  // and that command, kept from call to call
    EMode m_mode = EMode::None;
    std::string m_text;            // the subject of the last match
    std::vector<TSpan> m_spans;    // its groups, empty after a failed match
    std::vector<std::string> m_pieces;  // the pieces of the last split
};

// The shared instance of the process (the resource markup's and most other callers').
TBRegExp& SharedRegExp();

}  // namespace varno
