// Parse-tree node base and the table of code generators by node kind.
#include "front/ResList.h"

#include <array>

namespace varno {
namespace {

std::array<TGenerator, kGKindCount>& generators() {
    static std::array<TGenerator, kGKindCount> table{};
    return table;
}

}  // namespace

std::string_view KindName(GKind kind) {
    static constexpr std::string_view kNames[] = {
#define VARNO_KIND_NAME(name) #name,
        VARNO_SCRIPT_NODES(VARNO_KIND_NAME)
#undef VARNO_KIND_NAME
        "Err",
        "ResList",
    };
    static_assert(std::size(kNames) == kGKindCount);
    const auto index = static_cast<size_t>(kind);
    return index < std::size(kNames) ? kNames[index] : std::string_view("?");
}

std::unique_ptr<TResultList> TResList::makeEmpty() const { return std::make_unique<TResList>(); }

std::string_view TResList::typeName() const { return "TResList"; }

TResList* TResList::node(int32_t i) const { return dynamic_cast<TResList*>(list(i)); }

int32_t TResList::Generate(TContext&) { return 0; }

TGenerator SetGenerator(GKind kind, TGenerator generator) {
    TGenerator& slot = generators()[static_cast<size_t>(kind)];
    const TGenerator previous = slot;
    slot = generator;
    return previous;
}

TGenerator Generator(GKind kind) { return generators()[static_cast<size_t>(kind)]; }

int32_t CallGenerator(TResList& node, TContext& context) {
    const TGenerator generator = Generator(node.kind());
    return generator ? generator(node, context) : 0;
}

}  // namespace varno
