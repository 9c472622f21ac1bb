// The regular-expression service's state: the last command, the mode and what it found.
#include "services/regex/BRegExp.h"

#include "services/regex/BRegExpError.h"
#include "services/regex/PatternCache.h"
#include "services/regex/RegexCommand.h"

namespace varno {

TBRegExp::TBRegExp() = default;
TBRegExp::~TBRegExp() = default;

const TRegexCommand& TBRegExp::command(std::string_view pattern) {
    if (!m_command || pattern != m_commandText) {
        m_command = TPatternCache::Shared().get(pattern);
        m_commandText.assign(pattern);
    }
    return *m_command;
}

void TBRegExp::forgetResults(EMode mode) {
    m_mode = mode;
    m_text.clear();
    m_spans.clear();
    m_pieces.clear();
}

bool TBRegExp::match(std::string_view pattern, std::string_view text) {
    forgetResults(EMode::None);  // a failing call leaves no stale results behind
    const TRegexCommand& re = command(pattern);
    if (re.kind() != ERegexKind::Match) {
        throw EBRegExpError(std::string(pattern) + ": a substitution cannot be used to match");
    }
    std::vector<TSpan> spans;
    const bool found = re.match(text, spans);
    m_mode = EMode::AfterMatch;
    if (found) {
        m_text.assign(text);
        m_spans = std::move(spans);
    }
    return found;
}

int TBRegExp::substitute(std::string_view pattern, std::string& text) {
    forgetResults(EMode::None);
    const TRegexCommand& re = command(pattern);
    if (re.kind() != ERegexKind::Substitute) {
        throw EBRegExpError(std::string(pattern) + ": not a substitution (expected s/pattern/replacement/)");
    }
    std::string result;
    const int replaced = re.substitute(text, result);
    if (replaced != 0) text = std::move(result);
    return replaced;
}

int TBRegExp::split(std::string_view pattern, std::string_view text, int limit) {
    forgetResults(EMode::None);
    const TRegexCommand& re = command(pattern);
    if (re.kind() != ERegexKind::Match) {
        throw EBRegExpError(std::string(pattern) + ": a substitution cannot be used to split");
    }
    std::vector<std::string> pieces;
    re.split(text, limit, pieces);
    m_mode = EMode::AfterSplit;
    m_pieces = std::move(pieces);
    return static_cast<int>(m_pieces.size());
}

int TBRegExp::count() const {
    switch (m_mode) {
    case EMode::None:
        throw EBRegExpError("no count now");
    case EMode::AfterSplit:
        return static_cast<int>(m_pieces.size());
    case EMode::AfterMatch:
        break;
    }
    int leading = 0;
    for (const TSpan& span : m_spans) {
        if (!span.matched() || span.start >= span.end) break;
        ++leading;
    }
    return leading;
}

std::string TBRegExp::item(int i) const {
    if (m_mode == EMode::None) throw EBRegExpError("no strings now");
    if (i < 0 || i >= count()) throw EBRegExpError("index out of range");
    if (m_mode == EMode::AfterSplit) return m_pieces[static_cast<std::size_t>(i)];
    const TSpan span = m_spans[static_cast<std::size_t>(i)];
    return m_text.substr(static_cast<std::size_t>(span.start), static_cast<std::size_t>(span.length()));
}

TSpan TBRegExp::span(int i) const {
    if (m_mode != EMode::AfterMatch || i < 0 || i >= static_cast<int>(m_spans.size())) return {};
    return m_spans[static_cast<std::size_t>(i)];
}

TBRegExp& SharedRegExp() {
    static TBRegExp shared;
    return shared;
}

}  // namespace varno
