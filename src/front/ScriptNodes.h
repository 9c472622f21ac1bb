// The script's parse-tree node classes, one per grammar name, and the registry that picks them.
#pragma once

#include <memory>
#include <string_view>

#include "front/ResList.h"
#include "front/Yup.h"

namespace varno {

// G_Program, G_Extends, ... G_VarDecl: no fields of their own; Generate runs the generator the
// compiler installed for the kind (see SetGenerator).
#define VARNO_DECLARE_NODE(name)                                                                                \
    class G_##name final : public TResList {                                                                   \
    public:                                                                                                     \
        static constexpr GKind kKind = GKind::name;                                                            \
        GKind kind() const override { return kKind; }                                                          \
        std::unique_ptr<TResultList> makeEmpty() const override { return std::make_unique<G_##name>(); }       \
        std::string_view typeName() const override { return "G_" #name; }                                      \
        int32_t Generate(TContext& context) override { return CallGenerator(*this, context); }                  \
    };
VARNO_SCRIPT_NODES(VARNO_DECLARE_NODE)
#undef VARNO_DECLARE_NODE

// An unnamed group ("[]", "{}", "[}" lines) or any name without a class of its own. Its
// Generate is reached only by a generator that walks into a group, which is a defect.
class G_Err final : public TResList {
public:
    static constexpr GKind kKind = GKind::Err;
    GKind kind() const override { return kKind; }
    std::unique_ptr<TResultList> makeEmpty() const override { return std::make_unique<G_Err>(); }
    std::string_view typeName() const override { return "G_Err"; }
    // Shows "Error!? Usrsub" and returns 0.
    int32_t Generate(TContext& context) override;
};

// A new node of the class for a grammar name: G_<name> for the script's names, TResList for
// "Comment", G_Err for everything else. Names compare case-sensitively.
std::unique_ptr<TResultList> CreateScriptNode(std::string_view name);

// The OnCreateList handler that wires a TYup to the node classes above.
void CreateScriptList(TResListGetter& p);

}  // namespace varno
