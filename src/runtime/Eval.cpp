// Evaluation: a fresh class per text, compiled, instantiated, run to completion, dropped.
#include "runtime/Eval.h"

#include <memory>
#include <vector>

#include "base/Error.h"
#include "runtime/Hooks.h"
#include "runtime/Log.h"
#include "runtime/NativeContract.h"
#include "runtime/Object.h"
#include "runtime/Process.h"
#include "runtime/RTTI.h"

namespace varno {
namespace {

std::int32_t g_evalCount = 0;

// Evaluation classes whose instances were still referenced when their evaluation ended
// (a text that stored "this" in a global): they stay until nothing refers to them, so
// such a reference never points into a freed class.
std::vector<std::unique_ptr<TRTTI>>& KeptClasses() {
    static std::vector<std::unique_ptr<TRTTI>> kept;
    return kept;
}

// Frees the class unless an instance is still referenced; then it is kept for later.
void DropClass(std::unique_ptr<TRTTI> cls) {
    if (!cls->HasNoLiveInstances()) {
        KeptClasses().push_back(std::move(cls));
        return;
    }
    // Instances at count 0 are destroyed properly (their destructors run) first.
    cls->DropScriptValues();
    if (cls->HasNoLiveInstances()) cls.reset();
    else KeptClasses().push_back(std::move(cls));
}

// Frees the kept classes that nothing refers to any more.
void SweepKeptClasses() {
    std::vector<std::unique_ptr<TRTTI>> kept;
    kept.swap(KeptClasses());
    for (auto& cls : kept) DropClass(std::move(cls));
}

}  // namespace

std::int32_t EvalCount() { return g_evalCount; }

int Eval(std::string_view text) {
    const std::string name = "eval" + std::to_string(g_evalCount);
    ++g_evalCount;
    return EvalNamed(text, name);
}

int EvalNamed(std::string_view text, const std::string& className) {
    SweepKeptClasses();

    // 1.-2. A class without a source file, compiled from the text.
    auto cls = std::make_unique<TRTTI>(className, "");
    const auto& compile = RuntimeHooks().compileSource;
    if (!compile) {
        Log("Eval: no compiler is installed");
        return kEvalCompileError;
    }
    const bool failed = compile(*cls, text, true);
    if (failed || !cls->Compiled()) return kEvalCompileError;

    // 3.-4. One instance, its class code run to completion: slice after slice, however
    // long it takes and even when it suspends itself.
    TfObject* object = NewInstance(*cls);
    TProcess* process = TProcess::Create(*object);
    process->pin();  // the record stays even if the text frees its own process
    TProcessGlobals& globals = ProcessGlobals();
    const bool preempted = globals.preempted;
    while (!process->halted()) process->Run(kRunBudget);
    globals.preempted = preempted;

    // 5.
    const int result = process->errorState() == 2 ? kEvalRunError : kEvalOk;
    TProcess::Free(process);  // pinned: destroyed now, the record goes with the pin
    process->unpin();
    if (object->refCount <= 0) DestroyObject(object);
    DropClass(std::move(cls));
    return result;
}

TValue* EvalValue(std::string_view expression) {
    std::string text = "extends Object; $_tmp_valueOf=";
    text += expression;
    text += ";";
    Eval(text);
    return GlobalCell("$_tmp_valueOf");
}

}  // namespace varno
