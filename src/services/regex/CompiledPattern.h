// A pattern compiled by the regular-expression engine; the engine itself stays behind this type.
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

namespace varno {

// Byte offsets of one group of a match; both are -1 when the group took no part in it.
struct TSpan {
    std::ptrdiff_t start = -1;
    std::ptrdiff_t end = -1;

    bool matched() const { return start >= 0; }
    std::ptrdiff_t length() const { return matched() ? end - start : 0; }
};

struct TPatternOptions {
    bool caseless = false;   // flag i
    bool multiline = false;  // flag m: ^ and $ at every line
    bool dotAll = false;     // flag s: . matches a line feed too
    bool extended = false;   // flag x: blanks and #-comments in the pattern are ignored
};

enum class ESearchMode {
    Normal,
    NotEmptyAtStart,          // an empty match at the start offset does not count
    NotEmptyAtStartAnchored,  // ... and the match must begin at the start offset
};

// Patterns are matched byte by byte (never as UTF-8), so Shift-JIS text and byte ranges such
// as [\x80-\x9f] work as written. A compiled pattern is immutable and may be shared.
class TCompiledPattern {
public:
    // Throws EBRegExpError with the engine's message (and the offset of the fault) when the
    // pattern does not compile.
    TCompiledPattern(std::string_view pattern, TPatternOptions options);
    ~TCompiledPattern();
    TCompiledPattern(const TCompiledPattern&) = delete;
    TCompiledPattern& operator=(const TCompiledPattern&) = delete;

    // Capturing groups of the pattern, group 0 (the whole match) not counted.
    int groupCount() const { return m_groupCount; }

    // Looks for the first match at or after `start` (a byte offset into subject; text before it
    // is still seen by lookbehinds and \b). On a match, spans holds groupCount() + 1 entries,
    // group 0 first, and the result is true. Throws EBRegExpError when the engine gives up
    // (for instance when a pattern backtracks beyond the engine's match limit).
    bool search(std::string_view subject, std::size_t start, ESearchMode mode, std::vector<TSpan>& spans) const;

private:
    struct TEngine;
    std::unique_ptr<TEngine> m_engine;
    int m_groupCount = 0;
};

}  // namespace varno
