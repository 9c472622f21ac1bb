// Resource nodes and markup elements as script objects, made and notified through evaluation.
#include "resources/ScriptObjects.h"

#include "base/Error.h"
#include "resources/Element.h"
#include "resources/ResourceTree.h"
#include "runtime/Hooks.h"
#include "runtime/Log.h"
#include "runtime/Resource.h"
#include "runtime/ValueOps.h"

namespace varno {

void MakeResourceScriptObject(TResource& node) {
    SetGlobal("$_1", TValue::Native(node.ref()));
    SetGlobal("$_2", TValue::Null());  // a failed evaluation must not leave an older object behind
    EvaluateScript("$_2=new BuiltInResource($_1);");
    const TValue* made = GlobalCell("$_2");
    if (made != nullptr && made->tag == tvObject) Assign(node.ScriptValue(), *made);
}

void DestroyResourceScriptObject(TResource& node) {
    try {
        SetGlobal("$_1", node.ScriptValue());
        EvaluateScript("$_1.onDestroy();");
    } catch (const EVarno& e) {
        Log(e.what());
    }
}

TValue MakeCMMLObject(TfElement& element) {
    SetGlobal("$_tmp_cmml2", TValue::Native(element.ref()));
    SetGlobal("$_tmp_cmml", TValue::Null());
    EvaluateScript("$_tmp_cmml=new CMML($_tmp_cmml2);");
    const TValue* made = GlobalCell("$_tmp_cmml");
    return made != nullptr ? *made : TValue::Null();
}

void InstallScriptObjectHooks() {
    RuntimeHooks().makeScriptObject = MakeResourceScriptObject;
    RuntimeHooks().destroyScriptObject = DestroyResourceScriptObject;
}

}  // namespace varno
