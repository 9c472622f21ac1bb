// Tokens and the count of live tokens.
#include "front/LexElem.h"

#include "front/GrammarNode.h"

namespace varno {
namespace {
int64_t g_liveTokens = 0;
}  // namespace

TLexElem::TLexElem(const TGrammarNode* kind, int32_t start, int32_t end)
    : m_kind(kind), m_start(start), m_end(end) {
    ++g_liveTokens;
}

TLexElem::TLexElem(const TLexElem& other) : m_kind(other.m_kind), m_start(other.m_start), m_end(other.m_end) {
    ++g_liveTokens;
}

TLexElem::~TLexElem() { --g_liveTokens; }

std::string_view TLexElem::kindName() const { return m_kind ? std::string_view(m_kind->name) : std::string_view(); }

int64_t TLexElem::LiveCount() { return g_liveTokens; }

}  // namespace varno
