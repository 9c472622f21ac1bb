// Natives of resources: lookups and initialization by name, folder children, custom resources, CMML.
#include "resources/ResourceNatives.h"

#include "base/Error.h"
#include "resources/CustomResource.h"
#include "resources/Element.h"
#include "resources/ResourceList.h"
#include "resources/ResourceTree.h"
#include "resources/ScriptObjects.h"
#include "runtime/ElementList.h"
#include "runtime/NativeContract.h"
#include "runtime/Resource.h"
#include "runtime/String.h"
#include "runtime/ValueOps.h"

namespace varno {
namespace {

TValue& Arg(TValue* slot, std::int32_t i) { return *NativeArg(slot, i); }

// The node a native reference argument names, or none.
TResource* NodeOf(const TValue& value) { return NativeOf<TResource>(value); }

// A new Array holding a native reference to each child, in order: the list is built here
// and handed to the array ("$_2=new Array();$_2._setBody($_1);" with the list in $_1).
TValue ArrayOfNodes(TResourceList& folder) {
    auto* list = new TElementList();
    for (int i = 0; i < folder.Count(); ++i) list->add(TValue::Native(folder.Item(i)->ref()));
    SetGlobal("$_1", TValue::Native(list->ref()));
    SetGlobal("$_2", TValue::Null());
    EvaluateScript("$_2=new Array();$_2._setBody($_1);");
    SetGlobal("$_1", TValue::Null());
    const TValue* made = GlobalCell("$_2");
    if (made == nullptr || made->tag != tvObject) {
        delete list;  // no array took it
        return TValue::Null();
    }
    return *made;
}

// The string result of a custom-resource native: text of the node, or 0 for anything else.
template <class Text>
void CustomText(TValue* slot, std::int32_t argCount, Text text) {
    if (argCount < 1) return;
    if (TResource* node = NodeOf(Arg(slot, 1))) SetString(*slot, text(*node));
    else SetInt(*slot, 0);
}

}  // namespace

void NativeGetResource(TValue* slot, std::int32_t argCount, std::int32_t) {
    if (argCount < 1) return;
    TResource* node = FindResource(ToText(Arg(slot, 1)));
    if (node == nullptr) {
        SetInt(*slot, 0);
        return;
    }
    const TValue object = *node->ScriptObject();
    Assign(*slot, object);
}

void NativeInitResource(TValue* slot, std::int32_t argCount, std::int32_t) {
    if (argCount < 1) return;
    TResource* node = FindResource(ToText(Arg(slot, 1)));
    std::int32_t result = 1;
    if (node != nullptr) {
        try {
            node->Initialize();
        } catch (const EVarno&) {
            result = 0;
        }
    }
    SetInt(*slot, result);
}

void NativeGetSubRes(TValue* slot, std::int32_t argCount, std::int32_t) {
    if (argCount < 1) return;
    auto* folder = dynamic_cast<TResourceList*>(NodeOf(Arg(slot, 1)));
    if (folder == nullptr) {
        SetNull(*slot);
        return;
    }
    const TValue array = ArrayOfNodes(*folder);
    Assign(*slot, array);
}

void NativeGetCustomRes(TValue* slot, std::int32_t argCount, std::int32_t) {
    if (argCount < 1) return;
    auto* custom = dynamic_cast<TCustomResource*>(NodeOf(Arg(slot, 1)));
    TfObject* object = custom != nullptr ? custom->Object() : nullptr;
    if (object != nullptr) SetObject(*slot, object);
    else SetNull(*slot);
}

void NativeNothing(TValue*, std::int32_t, std::int32_t) {}

void NativeCustomGetName(TValue* slot, std::int32_t argCount, std::int32_t) {
    CustomText(slot, argCount, [](TResource& node) { return node.Name(); });
}

void NativeCustomGetURL(TValue* slot, std::int32_t argCount, std::int32_t) {
    CustomText(slot, argCount, [](TResource& node) { return node.Src(); });
}

void NativeCustomGetFullPath(TValue* slot, std::int32_t argCount, std::int32_t) {
    CustomText(slot, argCount, [](TResource& node) { return FullName(node); });
}

void NativeCMMLGetTagName(TValue* slot, std::int32_t argCount, std::int32_t) {
    if (argCount < 1) return;
    if (TfElement* e = TfElement::FromValue(Arg(slot, 1))) SetString(*slot, e->element().GetTagName());
}

void NativeCMMLGetAttr(TValue* slot, std::int32_t argCount, std::int32_t) {
    if (argCount < 2) return;
    if (TfElement* e = TfElement::FromValue(Arg(slot, 1))) SetString(*slot, e->element().GetAttr(ToText(Arg(slot, 2))));
}

void NativeCMMLSetAttr(TValue* slot, std::int32_t argCount, std::int32_t) {
    if (argCount < 3) return;
    if (TfElement* e = TfElement::FromValue(Arg(slot, 1))) e->element().SetAttr(ToText(Arg(slot, 2)), ToText(Arg(slot, 3)));
}

void NativeCMMLSetTagName(TValue* slot, std::int32_t argCount, std::int32_t) {
    if (argCount < 2) return;
    if (TfElement* e = TfElement::FromValue(Arg(slot, 1))) e->element().SetTagName(ToText(Arg(slot, 2)));
}

void NativeCMMLAddSubItem(TValue* slot, std::int32_t argCount, std::int32_t) {
    if (argCount < 2) return;
    TfElement* e = TfElement::FromValue(Arg(slot, 1));
    if (e == nullptr) return;
    std::string text(1, '<');
    text += ToText(Arg(slot, 2));
    text += "/>";
    const char* cursor = text.c_str();
    std::unique_ptr<TSGML> child = TSGML::ParseElement(cursor);  // "Tag Error" ends the run
    TSGML& added = *child;
    e->element().AddChild(std::move(child));
    const TValue object = MakeCMMLObject(*TfElement::WrapInTree(added));
    Assign(*slot, object);
}

void NativeCMMLGetSubItems(TValue* slot, std::int32_t argCount, std::int32_t) {
    if (argCount < 1) return;
    TfElement* e = TfElement::FromValue(Arg(slot, 1));
    if (e == nullptr) return;
    SetGlobal("$_tmp_cmml_list", TValue::Null());
    EvaluateScript("$_tmp_cmml_list=new Array();");
    TSGML& element = e->element();
    for (int i = 0; i < element.ChildCount(); ++i) {
        MakeCMMLObject(*TfElement::WrapInTree(element.Child(i)));
        EvaluateScript("$_tmp_cmml_list.add($_tmp_cmml);");
    }
    const TValue* list = GlobalCell("$_tmp_cmml_list");
    const TValue result = list != nullptr ? *list : TValue::Null();
    Assign(*slot, result);
}

}  // namespace varno
