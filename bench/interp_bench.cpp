// The interpreter against Lua 5.4 on the same workloads, run side by side in one process;
// prints each benchmark, then a table of script time / Lua time per workload.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "compiler/Compiler.h"
#include "resources/ResourceList.h"
#include "runtime/Alias.h"
#include "runtime/Function.h"
#include "runtime/Interpreter.h"
#include "runtime/NativeContract.h"
#include "runtime/Object.h"
#include "runtime/Process.h"
#include "runtime/RTTI.h"
#include "runtime/String.h"
#include "runtime/ValueOps.h"

#include "SideBySide.h"

namespace {

using namespace varno;

using bench::TWorkload;

const TWorkload kWorkloads[] = {
    {"fib(25)",
     "function fib(n) { if (n < 2) return n; return fib(n - 1) + fib(n - 2); }\n"
     "function run() { return fib(25); }\n",
     "local function fib(n) if n < 2 then return n end return fib(n - 1) + fib(n - 2) end\n"
     "function run() return fib(25) end\n"},
    {"integer loop",
     "function run() { var i, s; s = 0; i = 0; while (i < 1000000) { s = s + i % 7; i++; } return s; }\n",
     "function run() local i, s = 0, 0 while i < 1000000 do s = s + i % 7; i = i + 1 end return s end\n"},
    {"float arithmetic",
     "function run() { var i, x; x = 0.0; i = 0; while (i < 1000000) { x = x * 0.5 + 1.25; i++; } return x; }\n",
     "function run() local i, x = 0, 0.0 while i < 1000000 do x = x * 0.5 + 1.25; i = i + 1 end return x end\n"},
    {"method calls",
     "function step(x) { return x + 1; }\n"
     "function run() { var o, i, s; o = this; s = 0; i = 0; while (i < 300000) { s = o.step(s); i++; } return s; }\n",
     "local C = {} C.__index = C\n"
     "function C.step(self, x) return x + 1 end\n"
     "function run() local o, s, i = setmetatable({}, C), 0, 0 while i < 300000 do s = o:step(s); i = i + 1 end "
     "return s end\n"},
    {"member reads and writes",
     "v = 0;\n"
     "function run() { var o, i; o = this; o.v = 0; i = 0; while (i < 500000) { o.v = o.v + 1; i++; } return o.v; }\n",
     "function run() local o, i = {v = 0}, 0 while i < 500000 do o.v = o.v + 1; i = i + 1 end return o.v end\n"},
    {"string concatenation",
     "function run() { var i, t; i = 0; while (i < 100000) { t = \"x\" + i + \"y\"; i++; } return t; }\n",
     "function run() local i, t = 0, nil while i < 100000 do t = \"x\" .. i .. \"y\"; i = i + 1 end return t end\n"},
};

// ---- The script side: a tiny kernel (Object, String) and one class per workload ----

void FreeBody(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    if (call.has(1)) FreeStringBody(NativeOf<TfString>(call.arg(1)));
}

class TScriptSide {
public:
    TScriptSide() {
        InstallCompiler();
        InstallInterpreter();
        TAlias::SetEnabled(true);
        m_root = std::make_unique<TResourceList>("kernel", "");
        SetRootResource(m_root.get());
        auto classes = std::make_unique<TResourceList>("classes", "");
        auto lang = std::make_unique<TResourceList>("lang", "");
        TResourceList* langFolder = lang.get();
        classes->AddChild(std::move(lang));
        m_root->AddChild(std::move(classes));
        compile(*langFolder, "Object", "constructor Object() { }\n");
        // Strings free their bodies in a destructor, as the kernel's do: string-heavy code
        // pays for the destructor runs of reused strings.
        TRTTI& string = compile(*langFolder, "String",
                                "extends classes.lang.Object;\nnative _free_body;\n"
                                "destructor finalize() { if (_body) _free_body(_body); _body = null; }\n");
        BindNative(string, "_free_body", FreeBody);
        SetStringClass(&string);
        ProcessGlobals().defaultStackSize = 8 * 1024;  // deeper recursion, as --stack-size allows
    }
    ~TScriptSide() {
        for (TValue& v : m_objects) SetNull(v);
        SetStringClass(nullptr);
        SetRootResource(nullptr);
    }

    // An instance of a class compiled from the workload's script.
    TfObject* instance(const TWorkload& w) {
        TRTTI& cls = compile(*m_root, std::string("Bench") + std::to_string(m_objects.size()),
                             std::string("extends classes.lang.Object;\n") + w.script);
        m_objects.emplace_back();
        SetObject(m_objects.back(), NewInstance(cls));
        return AsObject(m_objects.back());
    }

    // Runs run() on o to its end; its result.
    static std::string run(TfObject& o) {
        TProcess* p = TProcess::Create(o, {}, "run");
        while (!p->halted()) p->Run(kRunBudget);
        std::string result = p->result() != nullptr ? ToText(*p->result()) : "(no result)";
        TProcess::Free(p);
        return result;
    }

private:
    TRTTI& compile(TResource& folder, const std::string& name, const std::string& source) {
        auto owned = std::make_unique<TRTTI>(name, "");
        TRTTI& cls = *owned;
        folder.AddChild(std::move(owned));
        if (auto error = CompileSource(cls, source, m_root.get())) {
            std::fprintf(stderr, "%s: %s\n", name.c_str(), error->message.c_str());
            std::abort();
        }
        return cls;
    }

    std::unique_ptr<TResourceList> m_root;
    std::vector<TValue> m_objects;
};

TScriptSide& Script() {
    static TScriptSide side;
    return side;
}

void BM_Script(benchmark::State& state, const TWorkload* w) {
    TfObject* o = Script().instance(*w);
    std::string result;
    for (auto _ : state) result = TScriptSide::run(*o);
    state.SetLabel(result);
}

}  // namespace

int main(int argc, char** argv) { return varno::bench::RunSideBySide(argc, argv, kWorkloads, BM_Script); }
