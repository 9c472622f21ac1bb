// TYup: builds its two grammars on the first Lex, then scans texts and parses token lists.
#include "front/Yup.h"

#include <limits>

#include "base/Error.h"
#include "front/GrammarReader.h"
#include "front/Parser.h"
#include "front/Scanner.h"

namespace varno {
namespace {

int64_t g_parsesInFlight = 0;

// Gives each top-level sequence of the syntax tree a row in the parser's memo.
int32_t assignMemoRows(TGrammarNode& root) {
    int32_t rows = 0;
    for (int32_t i = 0; i < root.childCount; ++i) {
        TGrammarNode& node = root.child(i);
        if (node.kind == TNodeKind::Sequence && node.link == &node) node.memoRow = rows++;
    }
    return rows;
}

}  // namespace

TYup::TYup() = default;
TYup::~TYup() = default;

void TYup::build() {
    m_built = false;
    m_gramRoot.reset();
    m_lexRoot = ReadGrammarTree(m_lexLines, TTreeType::Lexical, nullptr, nullptr);
    LinkReferences(*m_lexRoot);
    ComputeFirstSets(*m_lexRoot);
    for (auto& kinds : m_candidates) kinds.clear();
    for (int32_t i = 0; i < m_lexRoot->childCount && m_lexRoot->child(i).name != "*Stop"; ++i) {
        const TGrammarNode& kind = m_lexRoot->child(i);
        for (int c = 0; c < 256; ++c) {
            if (kind.first->has(static_cast<uint8_t>(c))) m_candidates[c].push_back(&kind);
        }
    }

    m_gramRoot = ReadGrammarTree(m_gramLines, TTreeType::Syntax, &m_onCreateList, m_lexRoot.get());
    LinkReferences(*m_gramRoot);
    m_memoRows = assignMemoRows(*m_gramRoot);
    m_built = true;
}

std::unique_ptr<TLexList> TYup::Lex(std::string_view text) {
    if (!m_built) build();
    const size_t terminator = text.find('\0');
    if (terminator != std::string_view::npos) text = text.substr(0, terminator);
    if (text.size() >= static_cast<size_t>(std::numeric_limits<int32_t>::max())) {
        throw EVarno("source text of " + std::to_string(text.size()) + " bytes is too large to scan");
    }
    auto list = std::make_unique<TLexList>(std::string(text));
    const auto* bytes = reinterpret_cast<const uint8_t*>(list->source().c_str());
    const auto end = static_cast<int32_t>(text.size());
    list->reserve(end / 4 + 16);  // script sources run at three to four bytes per token

    int32_t pos = 0;
    while (pos < end) {
        const TGrammarNode* best = nullptr;
        int32_t bestEnd = pos;
        for (const TGrammarNode* kind : m_candidates[bytes[pos]]) {
            int32_t p = pos;
            if (MatchLexical(*kind->link, bytes, p) && p > bestEnd) {
                best = kind;
                bestEnd = p;
            }
        }
        if (best) {
            list->add(best, pos, bestEnd);
            pos = bestEnd;
        } else {
            ++pos;
        }
    }
    return list;
}

std::unique_ptr<TResultList> TYup::Parse(TLexList& tokens, TParseMode mode) {
    if (!m_built) build();
    ++g_parsesInFlight;
    tokens.setCursor(0);
    tokens.setLastMatched(-1);
    if (m_gramRoot->childCount == 0) return nullptr;
    TParser parser(tokens, mode, m_memoRows);
    return parser.parse(m_gramRoot->child(0));
}

const TGrammarNode* TYup::tokenKind(std::string_view name) {
    if (!m_built) build();
    return FindTopLevel(*m_lexRoot, name);
}

int64_t TYup::ParsesInFlight() { return g_parsesInFlight; }

void TYup::EndParse() { --g_parsesInFlight; }

}  // namespace varno
