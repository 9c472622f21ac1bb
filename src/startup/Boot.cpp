// The kernel boot: resources, compilation, native binding, kernel hash and modules, in their order.
#include "startup/Boot.h"

#include <memory>

#include "base/Error.h"
#include "compiler/Compiler.h"
#include "resources/ClassCache.h"
#include "resources/GlobalValue.h"
#include "resources/ModuleRes.h"
#include "resources/PageHash.h"
#include "resources/ResourceList.h"
#include "resources/ResourceLoader.h"
#include "resources/ResourceTree.h"
#include "resources/ScriptObjects.h"
#include "resources/SystemPath.h"
#include "runtime/Alias.h"
#include "runtime/Eval.h"
#include "runtime/Hooks.h"
#include "runtime/Interpreter.h"
#include "runtime/KernelClasses.h"
#include "runtime/Log.h"
#include "runtime/ProcessGlobals.h"
#include "runtime/RTTI.h"
#include "runtime/String.h"
#include "runtime/natives/ScriptRandom.h"
#include "startup/NativeTable.h"

namespace varno {
namespace {

struct TKernelState {
    std::unique_ptr<TResource> root;
    std::int32_t hashCode = 0;
    std::vector<std::string> files;
};

// Never destroyed: a tree left at the end of the program goes with the process, not
// with static destructors that may run after the tables it uses are gone.
TKernelState& Kernel() {
    static TKernelState* state = new TKernelState;
    return *state;
}

// Forgets every value the tree holds, without releasing: once the objects are destroyed,
// whatever still refers to them must not be released while the classes go.
class TForgetValues : public TResourceIterator {
public:
    void Visit(TResource& node) override {
        node.ScriptValue() = TValue::Null();
        if (auto* global = dynamic_cast<TGlobalValue*>(&node)) global->Value() = TValue::Null();
    }
};

[[noreturn]] void Missing(const std::string& what) {
    throw EVarno("The kernel has no " + what + "; the system cannot start.");
}

TRTTI& RequireClass(const char* dottedName) {
    TRTTI* cls = FindClass(dottedName);
    if (cls == nullptr) Missing("class " + std::string(dottedName));
    return *cls;
}

void LogSizes() {
    // The sizes of the original host's records, kept as the texts the log has always shown.
    Log("TValue=8");
    Log("TVType=1");
    Log("TfObject=20");
    Log("Extended=10");
}

// From the kernel file to "Ready", with the layers installed; raises on any failure.
void BootTree() {
    TKernelState& kernel = Kernel();
    kernel.root = LoadResourceFile(ResolvePath("kernel\\resource.varnores", ProgramDirectory()));
    SetRootResource(kernel.root.get());

    TRTTI& object = RequireClass("classes.lang.Object");
    TRTTI& string = RequireClass("classes.lang.String");
    TRTTI& array = RequireClass("classes.lang.Array");
    TResourceList* globals = FindFolder("usrglobal");
    if (globals == nullptr) Missing("folder usrglobal");
    SetStringClass(&string);
    SetKernelClasses(&object, &array);
    SetGlobalFolder(globals);

    Log("Compiling Kernel Resources..");
    kernel.root->Initialize();

    Log("Setting Native Interfaces..");
    // The array's element-list field is looked up and kept now that Array is compiled.
    SetKernelClasses(&object, &array);
    BindNativeTable();
    ProcessGlobals().currentProcess = nullptr;

    TPageFileEnum files;
    kernel.root->ForEach(files);
    kernel.files = files.Files();
    // The hash draws from the script's random generator and leaves it reseeded.
    std::uint32_t randomState = ScriptRandom().state();
    kernel.hashCode = files.HashSum(randomState);
    ScriptRandom().setState(randomState);

    LoadModules();
    InitModules();
    Log("Ready");
}

}  // namespace

void InstallHostLayers() {
    InstallCompiler();
    InstallInterpreter();
    InstallResourceHooks();
    InstallScriptObjectHooks();
    RuntimeHooks().compileClass = CompileClassNode;
    ProvideBuiltNatives();
    SetScriptEvaluator([](std::string_view text) { return Eval(text); });
    TAlias::SetEnabled(true);
}

void Boot() {
    ShutdownKernel();
    Log("Welcome to Varno System Ver 1.23");
    Log("");
    Log("Starting System..");
    LogSizes();
    Log("Loading Enviroment Values");
    SetResourceBaseDir(ProgramDirectory());
    Log("Loading Modules..");
    Log("Loading Kernel Resources..");
    try {
        BootTree();
    } catch (...) {
        ShutdownKernel();
        throw;
    }
    SetReady(true);
}

void ShutdownKernel() {
    TKernelState& kernel = Kernel();
    if (!kernel.root) return;
    SetReady(false);
    // Objects are destroyed with their destructors, which free what they hold in the host
    // (string bodies, element lists, processes). No other script runs while the tree
    // goes: wrappers and onDestroy would call into classes that are being destroyed.
    TRuntimeHooks& hooks = RuntimeHooks();
    const auto makeScriptObject = hooks.makeScriptObject;
    const auto destroyScriptObject = hooks.destroyScriptObject;
    const TScriptEvaluator evaluator = ScriptEvaluator();
    hooks.makeScriptObject = nullptr;
    hooks.destroyScriptObject = nullptr;
    SetScriptEvaluator([](std::string_view) { return 1; });
    try {
        kernel.root->DropScriptValues();
    } catch (const EVarno& e) {
        Log(e.what());  // a broken count ends the dropping; the values are forgotten below
    }
    TForgetValues forget;
    kernel.root->ForEach(forget);
    SetGlobalFolder(nullptr);
    SetRootResource(nullptr);
    SetStringClass(nullptr);
    SetKernelClasses(nullptr, nullptr);
    kernel.root.reset();
    kernel.files.clear();
    kernel.hashCode = 0;
    hooks.makeScriptObject = makeScriptObject;
    hooks.destroyScriptObject = destroyScriptObject;
    SetScriptEvaluator(evaluator);
}

bool Booted() { return Kernel().root != nullptr; }

std::int32_t KernelHashCode() { return Kernel().hashCode; }

const std::vector<std::string>& KernelFiles() { return Kernel().files; }

}  // namespace varno
