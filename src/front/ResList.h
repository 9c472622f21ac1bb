// The base of the script's parse-tree nodes: typed item access and code generation by node kind.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "front/ResultList.h"

namespace varno {

// Every grammar name that has a node class of its own, in the order of the class list.
#define VARNO_SCRIPT_NODES(X)                                                                                   \
    X(Program) X(Extends) X(Sentence) X(ExprS) X(Expr) X(RVal) X(OrEx) X(AndEx) X(CompEx) X(IsEx) X(ASEx)     \
    X(IncEx) X(MDEx) X(Una) X(Par) X(Const) X(This) X(NewObj) X(ResourceVal) X(LVal) X(LValE) X(ArgList)      \
    X(Block) X(While) X(For) X(Forin) X(If) X(Break) X(Return) X(FuncDecl) X(NativeDecl) X(VArgList)          \
    X(VarBlock) X(VarDecl)

// The class of a node: one value per G_ class, Err for unnamed groups, ResList for TResList itself.
enum class GKind : uint8_t {
#define VARNO_KIND_VALUE(name) name,
    VARNO_SCRIPT_NODES(VARNO_KIND_VALUE)
#undef VARNO_KIND_VALUE
    Err,
    ResList,
};
constexpr int kGKindCount = static_cast<int>(GKind::ResList) + 1;

// The grammar name of a kind ("While"; "Err"; "ResList").
std::string_view KindName(GKind kind);

class TResList : public TResultList {
public:
    static constexpr GKind kKind = GKind::ResList;

    virtual GKind kind() const { return kKind; }
    std::unique_ptr<TResultList> makeEmpty() const override;
    std::string_view typeName() const override;

    // Item i as a node; nullptr when it is a token, a list of another family, or missing.
    TResList* node(int32_t i) const;
    // Item i as a node of class T; nullptr when it is anything else.
    template <typename T>
    T* nodeAs(int32_t i) const {
        TResList* n = node(i);
        return n && n->kind() == T::kKind ? static_cast<T*>(n) : nullptr;
    }

    // Writes the code of this node through the compile context. Returns 0 except where a node
    // class defines a value (the argument count of G_ArgList). TResList itself does nothing.
    virtual int32_t Generate(TContext& context);
};

// The code generator of one node kind; the compiler installs them at start-up.
using TGenerator = int32_t (*)(TResList& node, TContext& context);

// Installs (or, with nullptr, removes) the generator of a kind; returns the previous one.
TGenerator SetGenerator(GKind kind, TGenerator generator);
TGenerator Generator(GKind kind);

// Runs the generator installed for node.kind(); 0 when none is installed.
int32_t CallGenerator(TResList& node, TContext& context);

}  // namespace varno
