// The code generators of the parse-tree nodes, installed by kind into the front end's table.
#pragma once

#include <cstdint>

#include "compiler/Context.h"
#include "front/ResList.h"

namespace varno {

// Classes, declarations and statements.
void InstallStatementGenerators();
// Operators, constants, new, is, resource names and argument lists.
void InstallExpressionGenerators();
// Member chains (LVal, LValE).
void InstallChainGenerators();

// Item i of node as a node / a token. A tree that lacks it does not have the shape the
// grammar gives it, which is a defect: EVarno is raised rather than crashing.
TResList& Sub(const TResList& node, std::int32_t i);
const TLexElem& Tok(const TResList& node, std::int32_t i);

// Generates item i of node.
inline std::int32_t Gen(const TResList& node, std::int32_t i, TContext& context) {
    return Sub(node, i).Generate(context);
}

// Restores AddrMode when it leaves scope (normally; after an exception the context is
// thrown away anyway).
class TAddrModeScope {
public:
    TAddrModeScope(TContext& context, bool mode) : m_context(context), m_saved(context.AddrMode) {
        context.AddrMode = mode;
    }
    ~TAddrModeScope() { m_context.AddrMode = m_saved; }
    TAddrModeScope(const TAddrModeScope&) = delete;
    TAddrModeScope& operator=(const TAddrModeScope&) = delete;

private:
    TContext& m_context;
    bool m_saved;
};

}  // namespace varno
