// Token lists.
#include "front/LexList.h"

#include <algorithm>

namespace varno {

TLexList::TLexList(std::string source) : m_source(std::move(source)) {}

std::string_view TLexList::text(const TLexElem& token) const {
    return std::string_view(m_source).substr(token.start(), token.end() - token.start());
}

void TLexList::add(const TGrammarNode* kind, int32_t start, int32_t end) { m_tokens.emplace_back(kind, start, end); }

int32_t TLexList::removeKind(const TGrammarNode* kind) {
    const auto from = std::remove_if(m_tokens.begin(), m_tokens.end(),
                                     [kind](const TLexElem& token) { return token.kind() == kind; });
    const auto removed = static_cast<int32_t>(m_tokens.end() - from);
    m_tokens.erase(from, m_tokens.end());
    return removed;
}

}  // namespace varno
