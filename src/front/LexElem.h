// One token: which top-level lexical node matched and which bytes of the source it covers.
#pragma once

#include <cstdint>
#include <string_view>

#include "front/Forward.h"

namespace varno {

class TLexElem {
public:
    TLexElem(const TGrammarNode* kind, int32_t start, int32_t end);
    TLexElem(const TLexElem& other);
    TLexElem& operator=(const TLexElem& other) = default;
    ~TLexElem();

    // The top-level lexical node the token matched; its name tells the kind ("SYMBOL", "while").
    const TGrammarNode* kind() const { return m_kind; }
    std::string_view kindName() const;
    // Byte offsets into the source: start inclusive, end exclusive.
    int32_t start() const { return m_start; }
    int32_t end() const { return m_end; }

    // Tokens alive in the process; a leak indicator.
    static int64_t LiveCount();

private:
    const TGrammarNode* m_kind;
    int32_t m_start;
    int32_t m_end;
};

}  // namespace varno
