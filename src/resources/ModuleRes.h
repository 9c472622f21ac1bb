// TModuleRes and the module loader: plug-in libraries under Kernel\modules and their entry table.
#pragma once

#include <string>

#include "resources/ModuleApi.h"
#include "runtime/Resource.h"

namespace varno {

// A plug-in library named by a module tag. The library is loaded when the node is made
// and stays loaded for the life of the process; Handle is null when loading failed.
class TModuleRes : public TResource {
public:
    TModuleRes(std::string name, std::string src);
    const char* hostClassName() const override { return "TModuleRes"; }

    void* Handle() const { return m_handle; }

private:
    void* m_handle = nullptr;
};

// For each directory M under Kernel\modules (sorted by name) holding M\M.varnores, adds
// that file as the linked folder modules.M; then initializes the folder modules.
void LoadModules();

// Fills the entry table and calls the export "initModule" of every loaded module library
// under modules with it. Libraries without it are skipped silently.
void InitModules();

// The table handed to initModule.
const VarnoEntryTable& ModuleEntryTable();

}  // namespace varno
