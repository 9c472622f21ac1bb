// The PCRE2 (8-bit) adapter: the one file of the system that speaks to the regex engine.
#include "services/regex/CompiledPattern.h"

#include "services/regex/BRegExpError.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <cstdint>
#include <new>
#include <string>

namespace varno {

struct TCompiledPattern::TEngine {
    pcre2_code* code = nullptr;

    ~TEngine() { pcre2_code_free(code); }
};

namespace {

std::string engineMessage(int errorCode) {
    PCRE2_UCHAR buffer[256];
    const int length = pcre2_get_error_message(errorCode, buffer, sizeof buffer);
    if (length < 0) return "regular expression engine error " + std::to_string(errorCode);
    return std::string(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(length));
}

struct TMatchDataDeleter {
    void operator()(pcre2_match_data* data) const { pcre2_match_data_free(data); }
};

// One match block per thread, grown to the largest group count seen, so that a search
// allocates nothing. Its contents are copied out before search() returns.
pcre2_match_data* matchData(std::uint32_t pairs) {
    thread_local std::unique_ptr<pcre2_match_data, TMatchDataDeleter> data;
    thread_local std::uint32_t capacity = 0;
    if (!data || capacity < pairs) {
        const std::uint32_t wanted = pairs < 16 ? 16 : pairs;
        data.reset(pcre2_match_data_create(wanted, nullptr));
        if (!data) throw std::bad_alloc();
        capacity = wanted;
    }
    return data.get();
}

}  // namespace

TCompiledPattern::TCompiledPattern(std::string_view pattern, TPatternOptions options)
    : m_engine(std::make_unique<TEngine>()) {
    // NEVER_UTF and NEVER_UCP keep matching byte-wise even when a pattern asks for (*UTF).
    std::uint32_t flags = PCRE2_NEVER_UTF | PCRE2_NEVER_UCP;
    if (options.caseless) flags |= PCRE2_CASELESS;
    if (options.multiline) flags |= PCRE2_MULTILINE;
    if (options.dotAll) flags |= PCRE2_DOTALL;
    if (options.extended) flags |= PCRE2_EXTENDED;

    int errorCode = 0;
    PCRE2_SIZE errorOffset = 0;
    m_engine->code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(), flags,
                                   &errorCode, &errorOffset, nullptr);
    if (!m_engine->code) {
        throw EBRegExpError(engineMessage(errorCode) + " at offset " + std::to_string(errorOffset));
    }
    // The JIT is an optimisation only: where it is not available the interpreter runs.
    pcre2_jit_compile(m_engine->code, PCRE2_JIT_COMPLETE);

    std::uint32_t captures = 0;
    pcre2_pattern_info(m_engine->code, PCRE2_INFO_CAPTURECOUNT, &captures);
    m_groupCount = static_cast<int>(captures);
}

TCompiledPattern::~TCompiledPattern() = default;

bool TCompiledPattern::search(std::string_view subject, std::size_t start, ESearchMode mode,
                              std::vector<TSpan>& spans) const {
    if (start > subject.size()) return false;
    std::uint32_t flags = 0;
    if (mode != ESearchMode::Normal) flags |= PCRE2_NOTEMPTY_ATSTART;
    if (mode == ESearchMode::NotEmptyAtStartAnchored) flags |= PCRE2_ANCHORED;

    const auto pairs = static_cast<std::uint32_t>(m_groupCount) + 1;
    pcre2_match_data* data = matchData(pairs);
    const auto* bytes = reinterpret_cast<PCRE2_SPTR>(subject.data());
    int rc = pcre2_match(m_engine->code, bytes, subject.size(), start, flags, data, nullptr);
    if (rc == PCRE2_ERROR_JIT_STACKLIMIT) {
        // The JIT's small machine stack ran out; the interpreter keeps its frames on the heap.
        rc = pcre2_match(m_engine->code, bytes, subject.size(), start, flags | PCRE2_NO_JIT, data, nullptr);
    }
    if (rc == PCRE2_ERROR_NOMATCH) return false;
    if (rc < 0) throw EBRegExpError(engineMessage(rc));

    const PCRE2_SIZE* vector = pcre2_get_ovector_pointer(data);
    spans.assign(pairs, TSpan{});
    // rc is one more than the highest group that took part; the groups above it are unset
    // (0 would mean a match block too small for the groups, which matchData() rules out).
    const std::uint32_t taking = rc == 0 ? pairs : static_cast<std::uint32_t>(rc);
    for (std::uint32_t i = 0; i < pairs && i < taking; ++i) {
        if (vector[2 * i] == PCRE2_UNSET) continue;
        spans[i].start = static_cast<std::ptrdiff_t>(vector[2 * i]);
        spans[i].end = static_cast<std::ptrdiff_t>(vector[2 * i + 1]);
    }
    // \K inside a lookahead can put the reported start after the end; callers rely on
    // start <= end, so such a match counts as empty at its end.
    if (spans[0].start > spans[0].end) spans[0].start = spans[0].end;
    return true;
}

}  // namespace varno
