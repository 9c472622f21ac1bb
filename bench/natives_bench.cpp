// The core natives under script workloads (arrays, strings, hash tables) against Lua 5.4 twins
// written the same way; prints each benchmark, then a table of script time / Lua time.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/MessageBox.h"
#include "compiler/Compiler.h"
#include "runtime/Messages.h"
#include "runtime/Object.h"
#include "runtime/Process.h"
#include "runtime/RTTI.h"
#include "runtime/Resource.h"
#include "runtime/ValueOps.h"
#include "runtime/natives/CoreNatives.h"
#include "startup/Boot.h"
#include "startup/NativeTable.h"

#include "SideBySide.h"

namespace {

using namespace varno;
namespace fs = std::filesystem;

// One workload in both languages: the script is the body of a class (extending
// classes.lang.Object) whose method run() does the work; the Lua chunk defines run().
// The Lua side gets an Array like the kernel's (methods over a table, the same insertion
// sort through get and set), so both sides make the same calls.
using bench::TWorkload;

const char* const kLuaArray =
    "local Array = {} Array.__index = Array\n"
    "function Array.new() return setmetatable({n = 0, x = {}}, Array) end\n"
    "function Array:add(v) self.n = self.n + 1; self.x[self.n] = v; return self end\n"
    "function Array:get(i) if i < 0 or i >= self.n then error('index ' .. i) end return self.x[i + 1] end\n"
    "function Array:set(i, v) if i < 0 or i >= self.n then error('index ' .. i) end self.x[i + 1] = v; return self end\n"
    "function Array:size() return self.n end\n"
    "function Array:sort()\n"
    "  local n, i = self:size(), 1\n"
    "  while i < n do\n"
    "    local v, j = self:get(i), i - 1\n"
    "    while j >= 0 and v < self:get(j) do self:set(j + 1, self:get(j)); j = j - 1 end\n"
    "    self:set(j + 1, v); i = i + 1\n"
    "  end\n"
    "  return self\n"
    "end\n";

const TWorkload kWorkloads[] = {
    {"array fill + read (10000)",
     "function run() { var a, i, s; a = new Array(); i = 0;\n"
     "  while (i < 10000) { a.add(i * 7 % 1000); i++; }\n"
     "  s = 0; i = 0; while (i < 10000) { s = s + a.get(i); i++; } return s; }\n",
     "function run() local a, i, s = Array.new(), 0, 0\n"
     "  while i < 10000 do a:add(i * 7 % 1000); i = i + 1 end\n"
     "  i = 0 while i < 10000 do s = s + a:get(i); i = i + 1 end return s end\n"},
    {"array sort (300)",
     "function run() { var a, i; a = new Array(); i = 0;\n"
     "  while (i < 300) { a.add(i * 7919 % 1000); i++; } a.sort(); return a.get(0) + a.get(299); }\n",
     "function run() local a, i = Array.new(), 0\n"
     "  while i < 300 do a:add(i * 7919 % 1000); i = i + 1 end a:sort() return a:get(0) + a:get(299) end\n"},
    {"string build + substring",
     "function run() { var s, i, n, t; s = \"\"; i = 0; while (i < 500) { s = s + \"ab\"; i++; }\n"
     "  n = 0; i = 0; while (i < 2000) { t = s.substring(i % 900, i % 900 + 3); n = n + t.length(); i++; }\n"
     "  return n; }\n",
     "function run() local s, i, n = '', 0, 0 while i < 500 do s = s .. 'ab'; i = i + 1 end\n"
     "  i = 0 while i < 2000 do local t = s:sub(i % 900 + 1, i % 900 + 3); n = n + #t; i = i + 1 end\n"
     "  return n end\n"},
    {"hash table, string keys (500)",
     "function run() { var h, i, s; h = new HashTable(); i = 0; while (i < 500) { h.put(\"k\" + i, i); i++; }\n"
     "  s = 0; i = 0; while (i < 500) { s = s + h.get(\"k\" + i); i++; } h.free(); return s; }\n",
     "function run() local h, i, s = {}, 0, 0 while i < 500 do h['k' .. i] = i; i = i + 1 end\n"
     "  i = 0 while i < 500 do s = s + h['k' .. i]; i = i + 1 end return s end\n"},
    {"hash table, integer keys (2000)",
     "function run() { var h, i, s; h = new LightHashTable(); i = 0; while (i < 2000) { h.put(i, i); i++; }\n"
     "  s = 0; i = 0; while (i < 2000) { s = s + h.get(i); i++; } h.free(); return s; }\n",
     "function run() local h, i, s = {}, 0, 0 while i < 2000 do h[i] = i; i = i + 1 end\n"
     "  i = 0 while i < 2000 do s = s + h[i]; i = i + 1 end return s end\n"},
};

// ---- The script side: the kernel booted with the core natives ----

// The Kernel laid out by the build: next to the benchmark or in a folder above it.
fs::path BuiltKernel() {
    for (fs::path dir = ProgramDir(); !dir.empty(); dir = dir.parent_path()) {
        if (fs::is_directory(dir / "Kernel")) return fs::canonical(dir / "Kernel");
        if (dir == dir.parent_path()) break;
    }
    throw std::runtime_error("no Kernel folder next to the benchmark or above it");
}

class TScriptSide {
public:
    TScriptSide() {
        m_dir = fs::temp_directory_path() / ("varno-natives-bench-" + std::to_string(::getpid()));
        fs::create_directories(m_dir);
        fs::create_directory_symlink(BuiltKernel(), m_dir / "Kernel");
        SetProgramDir(m_dir);
        for (const TCoreNativeRow& row : CoreNativeRows()) {
            for (const TNativeEntry& e : row.natives) ProvideNative(row.className, e.name, e.routine);
        }
        InstallHostLayers();
        Boot();
        ProcessGlobals().defaultStackSize = 8 * 1024;
    }
    ~TScriptSide() {
        for (TValue& v : m_objects) SetNull(v);
        ShutdownKernel();
        std::error_code error;
        fs::remove_all(m_dir, error);
    }

    TfObject* instance(const TWorkload& w) {
        auto owned = std::make_unique<TRTTI>("NativesBench" + std::to_string(m_objects.size()), "");
        TRTTI& cls = *owned;
        RootResource()->AddChild(std::move(owned));
        const std::string source = std::string("extends classes.lang.Object;\n") + w.script;
        if (auto error = CompileSource(cls, source, RootResource())) {
            std::fprintf(stderr, "%s: %s\n", w.name, error->message.c_str());
            std::abort();
        }
        m_objects.emplace_back();
        SetObject(m_objects.back(), NewInstance(cls));
        return AsObject(m_objects.back());
    }

    static std::string run(TfObject& o) {
        TProcess* p = TProcess::Create(o, {}, "run");
        while (!p->halted()) p->Run(kRunBudget);
        std::string result = p->result() != nullptr ? ToText(*p->result()) : "(no result)";
        if (p->errorState() == 2) result = "(run-time error)";
        TProcess::Free(p);
        return result;
    }

private:
    fs::path m_dir;
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

int main(int argc, char** argv) { return varno::bench::RunSideBySide(argc, argv, kWorkloads, BM_Script, kLuaArray); }
