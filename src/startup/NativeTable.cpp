// The native table: kernel classes and their native routines, in the order start-up binds them.
#include "startup/NativeTable.h"

#include "base/Error.h"
#include "resources/ResourceNatives.h"
#include "runtime/CaseFold.h"
#include "runtime/Log.h"
#include "runtime/RTTI.h"
#include "runtime/natives/CoreNatives.h"
#include "startup/SystemNatives.h"

namespace varno {
namespace {

// Natives whose routine comes from a part of the system not built yet.
std::vector<TNativeBinding> Names(std::initializer_list<const char*> names) {
    std::vector<TNativeBinding> natives;
    for (const char* name : names) natives.push_back({name, nullptr});
    return natives;
}

TNativeClassRow Row(std::string className, std::vector<TNativeBinding> natives,
                    TMissingClass missing = TMissingClass::Required) {
    return {std::move(className), missing, std::move(natives)};
}

std::vector<TNativeGroup> MakeTable() {
    using M = TMissingClass;
    std::vector<TNativeGroup> table;
    table.push_back({1, {Row("classes.lang.Array",
                             Names({"native_add", "_n_insert", "native_init", "native_get", "native_set", "native_size",
                                    "native_free", "native_delete", "native_indexof", "native_lightindexof", "_n_pack"}))}});
    std::vector<TNativeBinding> object =
        Names({"print", "getkey", "pset", "suspend", "currentProcess", "getGlobal", "setGlobal", "fileExists",
               "moveFile", "deleteFile", "_getClassName", "_getParentClassName", "_newInstance", "_n_clearAllValues",
               "TObject", "native_is", "native_gc_mark", "_n_refcount", "_n_objhandle", "breakExec", "currentFunc",
               "_n_refresh", "_n_errorValue", "setMapPat", "setAdjust", "getTime", "_n_randomize", "rnd", "sin", "cos",
               "angle", "dist", "trunc", "floor", "sqrt", "valueOf", "getPageHashCode"});
    object.push_back({"_n_initResource", NativeInitResource});
    object.push_back({"_n_getResource", NativeGetResource});
    for (auto& more : Names({"_inspect", "_dynamicInspect", "_n_setGenAttr", "_n_getValueByIndex", "_n_setValueByIndex",
                             "_n_getValueCount", "_n_getValueName", "_n_getValueIndex", "isInt", "isFloat"})) {
        object.push_back(std::move(more));
    }
    table.push_back({2, {Row("classes.lang.Object", std::move(object))}});
    table.push_back({3, {Row("classes.lang.String",
                             Names({"_free_body", "native_init", "native_strcat", "native_substring", "_n_wsubstring",
                                    "native_length", "_n_wlength", "native_charAt", "_n_split"}))}});
    table.push_back({4, {Row("classes.lang.Process", Names({"native_init", "native_exec", "native_suspend",
                                                            "native_halted", "native_free", "native_kill",
                                                            "native_proc_mark"}))}});
    table.push_back({5, {Row("classes.scr.Sprite",
                             Names({"native_init", "native_set", "native_setText", "_n_setFont", "native_textExtent",
                                    "native_drawLine", "native_fillRect", "_n_fillPolygon", "_n_setPolygon",
                                    "native_free", "native_getPWidth", "native_getPHeight", "_n_drawChip",
                                    "_n_drawMapSprite", "_n_drawDxSprite"}))}});
    table.push_back({6, {Row("classes.game.Char", Names({"_changeAttr"}))}});
    table.push_back({7, {Row("Page", Names({"_n_open"}))}});
    table.push_back({8, {Row("ProjectManager", Names({"_n_currentPageName"}))}});
    table.push_back({9, {Row("Window", Names({"_n_setSize", "_n_setPos", "_n_setDrawMode"}))}});
    table.push_back({10,
                     {Row("classes.lang.CMML",
                          {{"_n_getTagName", NativeCMMLGetTagName},
                           {"_n_getAttr", NativeCMMLGetAttr},
                           {"_n_setAttr", NativeCMMLSetAttr},
                           {"_n_setTagName", NativeCMMLSetTagName},
                           {"_n_addSubItem", NativeCMMLAddSubItem},
                           {"_n_getSubItems", NativeCMMLGetSubItems}},
                          M::Skipped),
                      Row("classes.customres.CustomResource",
                          {{"_n_getName", NativeCustomGetName},
                           {"_n_getURL", NativeCustomGetURL},
                           {"_n_getFullPath", NativeCustomGetFullPath}},
                          M::Skipped)}});
    table.push_back({11,
                     {Row("BuiltInResource",
                          {{"_n_getSubRes", NativeGetSubRes},
                           {"_n_getCustomRes", NativeGetCustomRes},
                           {"_n_addSubRes", NativeNothing},
                           {"_n_delSubRes", NativeNothing},
                           {"_n_onInit", NativeNothing},
                           {"_n_save", NativeNothing}},
                          M::Skipped)}});
    table.push_back({12, {Row("BinWriter", {}, M::Skipped), Row("BinReader", {}, M::Skipped),
                          Row("ResourceReader", {}, M::Skipped), Row("ResourceWriter", {}, M::Skipped)}});
    table.push_back({13, {Row("SoundEffect", {}, M::Question), Row("BGM", {}, M::Question),
                          Row("MediaPlayer", {}, M::Question)}});
    table.push_back({14, {Row("JoyStick", {})}});
    table.push_back({15, {Row("Panel", {})}});
    table.push_back({16, {Row("AbstractHashTable", {}), Row("LightHashTable", {}), Row("HashTable", {})}});
    table.push_back({17, {Row("InputBox", {})}});
    table.push_back({18, {Row("ProjectManager", Names({"_n_onSet", "_n_onGet"}))}});
    table.push_back({19, {Row("SelectBox", {})}});
    table.push_back({20, {Row("classes.util.TextEditor", {})}});
    table.push_back({21, {Row("Ranking", Names({"_n_openBrowser", "_n_setParam", "_n_clearParam"}))}});
    table.push_back({22, {Row("System",
                              {{"_n_exit", NativeSystemExit},
                               {"_n_openIDE", NativeSystemOpenIDE},
                               {"_n_editCode", NativeSystemEditCode},
                               {"_n_version", NativeSystemVersion},
                               {"_n_locale", NativeSystemLocale},
                               {"_n_setStackSize", NativeSystemSetStackSize},
                               {"_n_setFrameRate", NativeSystemSetFrameRate}})}});
    table.push_back({23, {Row("FileReader", {}), Row("FileWriter", {})}});
    table.push_back({24, {Row("MouseManager", {})}});
    return table;
}

void BindRow(const TNativeClassRow& row, int& bound) {
    TRTTI* cls = FindClass(row.className);
    if (cls == nullptr) {
        switch (row.missing) {
            case TMissingClass::Skipped: return;
            case TMissingClass::Question:
                Log("Setting Native Interfaces: no class " + row.className);
                throw EVarno("?");
            case TMissingClass::Required:
                throw EVarno("The kernel has no class " + row.className + ": its natives cannot be bound.");
        }
    }
    for (const TNativeBinding& native : row.natives) {
        if (native.routine == nullptr) continue;
        BindNative(*cls, native.name, native.routine);
        ++bound;
    }
}

}  // namespace

std::vector<TNativeGroup>& NativeTable() {
    static std::vector<TNativeGroup> table = MakeTable();
    return table;
}

bool ProvideNative(std::string_view className, std::string_view name, TNativeRoutine routine) {
    TNativeClassRow* first = nullptr;
    for (TNativeGroup& group : NativeTable()) {
        for (TNativeClassRow& row : group.classes) {
            if (!SameText(row.className, className)) continue;
            if (first == nullptr) first = &row;
            for (TNativeBinding& native : row.natives) {
                if (!SameText(native.name, name)) continue;
                native.routine = routine;
                return true;
            }
        }
    }
    // A native the table does not name joins the first row of its class.
    if (first == nullptr) return false;
    first->natives.push_back({std::string(name), routine});
    return true;
}

void ProvideBuiltNatives() {
    const std::pair<const char*, TNativeList> core[] = {
        {"classes.lang.Array", ArrayNatives()},
        {"classes.lang.Object", ObjectNatives()},
        {"classes.lang.String", StringNatives()},
        {"classes.lang.Process", ProcessNatives()},
        {"classes.game.Char", CharNatives()},
        {"AbstractHashTable", AbstractHashTableNatives()},
        {"LightHashTable", LightHashTableNatives()},
        {"HashTable", HashTableNatives()},
    };
    for (const auto& [className, natives] : core) {
        for (const TNativeEntry& native : natives) ProvideNative(className, native.name, native.routine);
    }
}

int BindNativeTable() {
    int bound = 0;
    for (const TNativeGroup& group : NativeTable()) {
        for (const TNativeClassRow& row : group.classes) BindRow(row, bound);
    }
    return bound;
}

}  // namespace varno
