// The node-class registry of the script grammar.
#include "front/ScriptNodes.h"

#include "base/MessageBox.h"

namespace varno {

int32_t G_Err::Generate(TContext&) {
    ShowMessage("Error!? Usrsub");
    return 0;
}

std::unique_ptr<TResultList> CreateScriptNode(std::string_view name) {
#define VARNO_MATCH_NODE(node) \
    if (name == #node) return std::make_unique<G_##node>();
    VARNO_SCRIPT_NODES(VARNO_MATCH_NODE)
#undef VARNO_MATCH_NODE
    if (name == "Comment") return std::make_unique<TResList>();
    return std::make_unique<G_Err>();
}

void CreateScriptList(TResListGetter& p) { p.list = CreateScriptNode(p.name); }

}  // namespace varno
