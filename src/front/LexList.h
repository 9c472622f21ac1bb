// A token list: the tokens Lex cut from one source text, the text itself, and the parser's cursor.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "front/LexElem.h"

namespace varno {

class TLexList {
public:
    // Keeps its own copy of the scanned text, so a token's bytes stay readable as long as the list.
    explicit TLexList(std::string source);

    TLexList(const TLexList&) = delete;
    TLexList& operator=(const TLexList&) = delete;

    int32_t count() const { return static_cast<int32_t>(m_tokens.size()); }
    const TLexElem& operator[](int32_t i) const { return m_tokens[i]; }
    const TLexElem& at(int32_t i) const { return m_tokens.at(i); }

    // The scanned bytes (the source up to its first zero byte, if any).
    const std::string& source() const { return m_source; }
    std::string_view text(const TLexElem& token) const;

    void add(const TGrammarNode* kind, int32_t start, int32_t end);
    void reserve(int32_t tokens) { m_tokens.reserve(static_cast<size_t>(tokens)); }

    // Removes (and destroys) every token of the given kind, keeping the order of the rest.
    // Tokens move: never call this while a parse tree built from the list is alive.
    int32_t removeKind(const TGrammarNode* kind);

    // The index of the next token the parser matches.
    int32_t cursor() const { return m_cursor; }
    void setCursor(int32_t cursor) { m_cursor = cursor; }

    // Start of the most recently matched token; -1 until a token has been matched.
    int32_t lastMatched() const { return m_lastMatched; }
    void setLastMatched(int32_t start) { m_lastMatched = start; }
    // Where a syntax error is reported: the most recently matched start, or 0 when none.
    int32_t errorOffset() const { return m_lastMatched < 0 ? 0 : m_lastMatched; }

private:
    std::string m_source;
    std::vector<TLexElem> m_tokens;
    int32_t m_cursor = 0;
    int32_t m_lastMatched = -1;
};

}  // namespace varno
