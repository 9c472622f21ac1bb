// Test helper: scan and parse a script source with the built-in grammar, as the compiler does.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "front/ResList.h"
#include "front/ScriptGrammar.h"
#include "front/TreeDump.h"

namespace varno::test {

class TScriptParse {
public:
    explicit TScriptParse(std::string_view source, TParseMode mode = TParseMode::Memo)
        : m_tokens(ScriptYup().Lex(source)) {
        DropComments(*m_tokens);
        m_tree = ScriptYup().Parse(*m_tokens, mode);
    }
    ~TScriptParse() {
        m_tree.reset();
        TYup::EndParse();
    }
    TScriptParse(const TScriptParse&) = delete;
    TScriptParse& operator=(const TScriptParse&) = delete;

    bool ok() const { return m_tree != nullptr; }
    TResList* tree() const { return dynamic_cast<TResList*>(m_tree.get()); }
    const TLexList& tokens() const { return *m_tokens; }
    int32_t errorOffset() const { return m_tokens->errorOffset(); }

    // The full dump, or "FAIL@offset".
    std::string dump() const {
        return m_tree ? DumpTree(*m_tree, m_tokens->source()) : "FAIL@" + std::to_string(errorOffset());
    }

    // The first node of the kind in pre-order, or nullptr.
    TResList* find(GKind kind) const { return m_tree ? find(*tree(), kind) : nullptr; }

private:
    static TResList* find(TResList& node, GKind kind) {
        if (node.kind() == kind) return &node;
        for (int32_t i = 0; i < node.count(); ++i) {
            if (TResList* child = node.node(i)) {
                if (TResList* found = find(*child, kind)) return found;
            }
        }
        return nullptr;
    }

    std::unique_ptr<TLexList> m_tokens;
    std::unique_ptr<TResultList> m_tree;
};

}  // namespace varno::test
