// The compile context, the compile error and the checked access to parse-tree items.
#include "compiler/Context.h"

#include <cassert>

#include "compiler/CmpError.h"
#include "compiler/Generators.h"
#include "runtime/RTTI.h"

namespace varno {

ECmpError::ECmpError(const std::string& message, const TContext& context)
    : EVarno((context.CurClass != nullptr ? context.CurClass->Name() : std::string()) + ":" + message) {}

TProgWriter& TContext::writer() const {
    if (!Writer) throw EVarno("code written outside a code block");
    return *Writer;
}

TResList& Sub(const TResList& node, std::int32_t i) {
    // Every list of a script parse tree is a TResList (the script grammar's node registry
    // makes nothing else), so the checked cast of TResList::node is not needed on this hot
    // path: it took a tenth of the compile time.
    TResultList* item = node.list(i);
    if (item == nullptr) throw EVarno("malformed parse tree: " + std::string(node.typeName()));
    assert(dynamic_cast<TResList*>(item) != nullptr);
    return *static_cast<TResList*>(item);
}

const TLexElem& Tok(const TResList& node, std::int32_t i) {
    const TLexElem* token = node.token(i);
    if (token == nullptr) throw EVarno("malformed parse tree: " + std::string(node.typeName()));
    return *token;
}

}  // namespace varno
