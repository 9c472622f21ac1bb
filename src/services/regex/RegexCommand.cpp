// Match, substitute and split with Perl's rules, on top of a compiled pattern.
#include "services/regex/RegexCommand.h"

#include <algorithm>

namespace varno {

bool TRegexCommand::match(std::string_view subject, std::vector<TSpan>& spans) const {
    return m_pattern->search(subject, 0, ESearchMode::Normal, spans);
}

void TRegexCommand::appendReplacement(std::string_view subject, const std::vector<TSpan>& spans,
                                      std::string& out) const {
    for (const TPart& part : m_replacement) {
        switch (part.kind) {
        case TPart::EKind::Text:
            out += part.text;
            break;
        case TPart::EKind::Group:
            if (part.group < static_cast<int>(spans.size()) && spans[part.group].matched()) {
                const TSpan span = spans[part.group];
                out.append(subject.substr(span.start, span.end - span.start));
            }
            break;
        case TPart::EKind::Before:
            out.append(subject.substr(0, spans[0].start));
            break;
        case TPart::EKind::After:
            out.append(subject.substr(spans[0].end));
            break;
        }
    }
}

int TRegexCommand::substitute(std::string_view subject, std::string& out) const {
    std::vector<TSpan> spans;
    std::string result;
    int replaced = 0;
    std::size_t copied = 0;  // subject bytes up to here are in result
    std::size_t start = 0;
    ESearchMode mode = ESearchMode::Normal;
    while (start <= subject.size()) {
        if (!m_pattern->search(subject, start, mode, spans)) {
            if (mode == ESearchMode::Normal || start >= subject.size()) break;
            // No non-empty match where the last empty one was: go on one byte further.
            ++start;
            mode = ESearchMode::Normal;
            continue;
        }
        const auto from = static_cast<std::size_t>(std::max<std::ptrdiff_t>(spans[0].start, static_cast<std::ptrdiff_t>(copied)));
        result.append(subject.substr(copied, from - copied));
        appendReplacement(subject, spans, result);
        copied = std::max(copied, static_cast<std::size_t>(spans[0].end));
        ++replaced;
        if (!m_global) break;
        // After an empty match, the next one may not be empty at the same place (else the
        // loop would stand still); Perl then tries a non-empty match there first.
        mode = spans[0].start == spans[0].end ? ESearchMode::NotEmptyAtStartAnchored : ESearchMode::Normal;
        start = static_cast<std::size_t>(spans[0].end);
    }
    if (replaced == 0) return 0;
    result.append(subject.substr(copied));
    out = std::move(result);
    return replaced;
}

void TRegexCommand::split(std::string_view subject, int limit, std::vector<std::string>& pieces) const {
    pieces.clear();
    if (subject.empty()) return;
    const TCompiledPattern& pattern = m_splitPattern ? *m_splitPattern : *m_pattern;
    std::vector<TSpan> spans;
    std::size_t start = 0;                // start of the piece being cut
    long long splitsLeft = limit > 0 ? static_cast<long long>(limit) - 1 : -1;  // -1: no bound
    while (start < subject.size() && splitsLeft != 0) {
        // A separator must end after the piece's start: no empty match at the very start.
        if (!pattern.search(subject, start, ESearchMode::NotEmptyAtStart, spans)) break;
        const auto matchStart = static_cast<std::size_t>(spans[0].start);
        const auto matchEnd = static_cast<std::size_t>(spans[0].end);
        if (matchStart < start || matchEnd <= start) break;  // cannot happen; guards the loop
        pieces.emplace_back(subject.substr(start, matchStart - start));
        for (std::size_t g = 1; g < spans.size(); ++g) {
            pieces.emplace_back(spans[g].matched() ? subject.substr(spans[g].start, spans[g].length()) : std::string_view());
        }
        start = matchEnd;
        if (splitsLeft > 0) --splitsLeft;
    }
    pieces.emplace_back(subject.substr(start));
    if (limit == 0) {
        while (!pieces.empty() && pieces.back().empty()) pieces.pop_back();
    }
}

std::string QuoteRegExp(std::string_view text) {
    std::string quoted;
    quoted.reserve(text.size() * 2);
    for (const char c : text) {
        const bool word = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
        if (!word) quoted += '\\';
        quoted += c;
    }
    return quoted;
}

}  // namespace varno
