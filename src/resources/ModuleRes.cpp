// Plug-in modules: loading their libraries, the entry table, and calling initModule.
#include "resources/ModuleRes.h"

#include <dlfcn.h>

#include <cstring>

#include "base/Error.h"
#include "base/Path.h"
#include "resources/ResourceLoader.h"
#include "resources/SystemPath.h"
#include "runtime/Log.h"
#include "runtime/Native.h"
#include "runtime/RTTI.h"
#include "runtime/ValueOps.h"

namespace varno {
namespace {

static_assert(sizeof(VarnoCell) == sizeof(TValue), "a module sees the script's value cells");
static_assert(sizeof(VarnoEntryTable) == 8 * sizeof(void*), "eight pointer-sized entries");

TValue* Cell(VarnoCell* cell) { return reinterpret_cast<TValue*>(cell); }
const TValue* Cell(const VarnoCell* cell) { return reinterpret_cast<const TValue*>(cell); }

// The entries are called from the module's code, which may not be able to pass a C++
// exception through its frames: every host error is logged and stops at the entry.

void EntryRegisterNative(const char* className, const char* functionName, VarnoNative routine) {
    if (className == nullptr || functionName == nullptr) return;
    try {
        if (TRTTI* cls = FindClass(className)) {
            BindNative(*cls, functionName, reinterpret_cast<TNativeRoutine>(routine));
        }
    } catch (const EVarno& e) {
        Log(e.what());
    }
}

VarnoCell* EntryThisCell(VarnoCell* slot) { return slot; }

VarnoCell* EntryArgCell(VarnoCell* slot, int32_t i) {
    return reinterpret_cast<VarnoCell*>(NativeArg(Cell(slot), i));
}

int32_t EntryTypeOf(const VarnoCell* cell) { return cell != nullptr ? cell->tag : 0; }

int32_t EntryIntOf(const VarnoCell* cell) { return cell != nullptr ? ToInt(*Cell(cell)) : 0; }

int32_t EntryTextOf(const VarnoCell* cell, char* buffer, int32_t) {
    if (cell == nullptr || buffer == nullptr) return 0;
    try {
        const std::string text = ToText(*Cell(cell));
        std::memcpy(buffer, text.c_str(), text.size() + 1);
        return static_cast<int32_t>(text.size());
    } catch (const EVarno& e) {
        Log(e.what());
        buffer[0] = '\0';
        return 0;
    }
}

void EntryCopy(VarnoCell* destination, const VarnoCell* source) {
    if (destination == nullptr) return;
    try {
        if (source == nullptr) SetNull(*Cell(destination));
        else Assign(*Cell(destination), *Cell(source));
    } catch (const EVarno& e) {
        Log(e.what());
    }
}

int32_t EntrySetInt(VarnoCell* cell, int32_t value) {
    if (cell == nullptr) return value;
    try {
        SetInt(*Cell(cell), value);
    } catch (const EVarno& e) {
        Log(e.what());
    }
    return value;
}

const VarnoEntryTable kEntryTable = {
    EntryRegisterNative, EntryThisCell, EntryArgCell, EntryTypeOf,
    EntryIntOf,          EntryTextOf,   EntryCopy,    EntrySetInt,
};

class TModuleVisitor : public TResourceIterator {
public:
    void Visit(TResource& node) override {
        auto* module = dynamic_cast<TModuleRes*>(&node);
        if (module == nullptr || module->Handle() == nullptr) return;
        void* entry = dlsym(module->Handle(), "initModule");
        if (entry == nullptr) return;
        reinterpret_cast<VarnoInitModule>(entry)(&ModuleEntryTable());
    }
};

}  // namespace

TModuleRes::TModuleRes(std::string name, std::string src) : TResource(std::move(name), std::move(src)) {
    if (Src().empty()) return;
    m_handle = dlopen(HostPath(Src()).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (m_handle == nullptr) Log("module " + Src() + ": " + dlerror());
}

const VarnoEntryTable& ModuleEntryTable() { return kEntryTable; }

void LoadModules() {
    const std::string dir = ResolvePath("kernel\\modules", ProgramDirectory());
    const TDirectory listing = ListDirectory(dir + "\\*");
    for (const std::string& module : listing.Dirs) {
        const std::string file = dir + "\\" + module + "\\" + module + ".varnores";
        std::error_code error;
        if (!std::filesystem::is_regular_file(HostPath(file), error)) continue;
        AddByName(file, "modules." + module, TAddKind::LinkedFile);
    }
    if (TResource* modules = FindResource("modules")) modules->Initialize();
}

void InitModules() {
    TResource* modules = FindResource("modules");
    if (modules == nullptr) return;
    TModuleVisitor visitor;
    modules->ForEach(visitor);
}

}  // namespace varno
