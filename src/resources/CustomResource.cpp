// Custom resources: the object made from a tag, its onInit passes and its string fields.
#include "resources/CustomResource.h"

#include "base/Error.h"
#include "base/MessageBox.h"
#include "resources/ResourceTree.h"
#include "resources/SGML.h"
#include "resources/SystemPath.h"
#include "runtime/Log.h"
#include "runtime/Messages.h"
#include "runtime/RTTI.h"
#include "runtime/String.h"
#include "runtime/Symbols.h"
#include "runtime/ValueOps.h"

namespace varno {
namespace {

// How many times an onInit has asked for another pass (it only grows).
std::int64_t g_passRequests = 0;

}  // namespace

bool InitializeInPasses(TResource& node) {
    std::int32_t previous = -1;
    for (int pass = 1;; ++pass) {
        TInitContext context;
        const std::int64_t requestsBefore = g_passRequests;
        node.InitStep(context);
        if (context.Failed > 0) {
            const std::string message = GetMsg("Initialization Failed");
            Log(message);
            throw EVarno(message);
        }
        const bool asked = g_passRequests != requestsBefore && pass < kMaxInitPasses;
        if (context.Done == previous && !asked) throw EVarno(GetMsg("Recursive Inheritance"));
        previous = context.Done;
        if (context.Pending == 0) return true;
    }
}

bool TCustomResource::Initialize() { return InitializeInPasses(*this); }

TCustomResource::TCustomResource(const TSGML& element, std::string name, std::string src)
    : TResource(std::move(name), std::move(src)), m_tagName(element.GetTagName()) {
    if (m_tagName == "Ranking" && !element.GetAttr("browserURL").empty()) {
        ShowMessage(GetMsg("This page are created by older version of Varno: Ranking on the Net disabled."));
        return;
    }
    TRTTI* cls = dynamic_cast<TRTTI*>(FindResource(m_tagName));
    if (cls == nullptr) return;
    TfObject* object = nullptr;
    try {
        object = NewInstance(*cls);
    } catch (const EVarno& e) {
        Log(e.what());  // a class that is not compiled makes no object
        return;
    }
    SetObject(ScriptValue(), object);
    std::int32_t cache = -1;
    const int generator = cls->FindMember(kSymGenerator, cache);
    if (generator >= 0) SetNative(object->member(generator), ref());
    for (int i = 0; i < element.ChildCount(); ++i) {
        const TSGML& child = element.Child(i);
        if (child.GetTagName() != "resinst" || child.GetAttr("type") != "string") continue;
        const std::int32_t symbol = FindSymbol(child.GetAttr("name"));
        std::int32_t memberCache = -1;
        const int field = symbol < 0 ? -1 : cls->FindMember(symbol, memberCache);
        if (field < 0) continue;  // a field the class does not have sets nothing
        TValue text;
        MakeStringValue(child.GetAttr("value"), text);
        Assign(object->member(field), text);
    }
}

TfObject* TCustomResource::Object() {
    const TValue& value = ScriptValue();
    return value.tag == tvObject ? AsObject(value) : nullptr;
}

void TCustomResource::InitStep(TInitContext& context) {
    TfObject* object = Object();
    if (object == nullptr) {
        ++context.Done;
        return;
    }
    SetGlobal("$_tmp_val1", ScriptValue());
    EvaluateScript("$_tmp_val2=$_tmp_val1.onInit();");
    SetGlobal("$_tmp_val1", TValue::Int(0));
    const TValue* answer = GlobalCell("$_tmp_val2");
    const std::int32_t state = answer != nullptr ? ToInt(*answer) : -1;
    switch (state) {
        case 0:
        case 1:
            ++context.Pending;
            ++g_passRequests;
            break;
        case 2: ++context.Done; break;
        case 3: ++context.Failed; break;
        default: break;
    }
}

void TCustomResource::WriteTo(TLines& lines, const std::string&) {
    TfObject* object = Object();
    TSGML element(object != nullptr ? object->rtti()->Name() : m_tagName);
    element.SetAttr("name", Name());
    element.SetAttr("src", RelativePath(Src(), ResourceBaseDir()));
    if (object != nullptr) {
        const TRapidStringList& members = object->rtti()->Members();
        for (int i = 0; i < members.count(); ++i) {
            const TValue& field = object->member(i);
            if (!IsStringValue(field)) continue;
            auto resinst = std::make_unique<TSGML>("resinst");
            resinst->SetAttr("type", "string");
            resinst->SetAttr("name", members.nameAt(i));
            resinst->SetAttr("value", StringText(AsObject(field)));
            element.AddChild(std::move(resinst));
        }
    }
    lines.push_back(element.WriteElement());
}

}  // namespace varno
