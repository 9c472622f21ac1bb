// Compile throughput: a generated class source of a few thousand lines compiled from text to
// finished code blocks (scan, parse, both passes, peephole), the same source only scanned and
// parsed (to show what code generation adds), the kernel library compiled in superclass order,
// and Lua 5.4 loading a twin of the generated class as a point of reference.
#include <benchmark/benchmark.h>

#include <lua.hpp>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "compiler/Compiler.h"
#include "front/ScriptGrammar.h"
#include "runtime/CaseFold.h"
#include "runtime/Hooks.h"
#include "runtime/RTTI.h"
#include "runtime/Resource.h"

#include "GeneratedClass.h"
#include "SideBySide.h"

namespace varno {
namespace {

// A folder that owns its children, and a global variable: enough of a resource tree.
class TBenchFolder : public TResource {
public:
    explicit TBenchFolder(std::string name) : TResource(std::move(name), "") {}
    const char* hostClassName() const override { return "TResourceList"; }
    TBenchFolder& folder(const std::string& name) {
        if (auto* found = dynamic_cast<TBenchFolder*>(FindChild(name))) return *found;
        return add(std::make_unique<TBenchFolder>(name));
    }
    template <class T>
    T& add(std::unique_ptr<T> child) {
        T& raw = *child;
        child->SetParent(this);
        m_items.push_back(std::move(child));
        return raw;
    }
    TResource* FindChild(std::string_view name) override {
        for (auto& item : m_items) {
            if (SameText(item->Name(), name)) return item.get();
        }
        return nullptr;
    }

private:
    std::vector<std::unique_ptr<TResource>> m_items;
};

class TBenchGlobal : public TResource {
public:
    explicit TBenchGlobal(std::string name) : TResource(std::move(name), "") {}
    const char* hostClassName() const override { return "TGlobalValue"; }
    TValue* ValueCell() override { return &m_value; }

private:
    TValue m_value;
};

// The tree the benchmarks compile against: the classes the generated source names, the
// kernel library's classes (uncompiled), and "$" globals made on first use.
struct TBenchTree {
    std::unique_ptr<TBenchFolder> root = std::make_unique<TBenchFolder>("kernel");
    struct TKernelClass {
        TRTTI* cls;
        std::string source;
    };
    std::vector<TKernelClass> kernel;

    TBenchTree() {
        SetRootResource(root.get());
        InstallCompiler();
        TBenchFolder& globals = root->folder("usrglobal");
        RuntimeHooks().rootFallback = [&globals](std::string_view name) -> TResource* {
            if (TResource* found = globals.FindChild(name)) return found;
            return &globals.add(std::make_unique<TBenchGlobal>(std::string(name)));
        };
        TBenchFolder& game = root->folder("bench").folder("game");
        TRTTI& chr = game.add(std::make_unique<TRTTI>("Char", ""));
        chr.MemberIndexOf("x");
        chr.MemberIndexOf("pos");
        chr.SetCompiled(true);
        game.add(std::make_unique<TRTTI>("Point", "")).SetCompiled(true);
        root->folder("bench").folder("lang").add(std::make_unique<TRTTI>("Integer", "")).SetCompiled(true);

        namespace fs = std::filesystem;
        const fs::path classes = fs::path(__FILE__).parent_path().parent_path() / "Kernel" / "classes";
        for (const auto& file : fs::recursive_directory_iterator(classes)) {
            if (file.path().extension() != ".varno") continue;
            std::ifstream in(file.path(), std::ios::binary);
            std::ostringstream text;
            text << in.rdbuf();
            TBenchFolder& folder = root->folder("classes").folder(file.path().parent_path().filename().string());
            kernel.push_back({&folder.add(std::make_unique<TRTTI>(file.path().stem().string(), "")), text.str()});
        }
    }
    ~TBenchTree() { SetRootResource(nullptr); }

    // The generated source names classes.game.Char etc.; the bench classes stand in for them
    // under a folder of their own, so the kernel's classes keep their names.
    static std::string benchNames(std::string source) {
        for (std::size_t at = 0; (at = source.find("classes.", at)) != std::string::npos; at += 6) {
            source.replace(at, 8, "bench.");
        }
        return source;
    }

    // Compiles the kernel library from scratch in superclass order; the number of classes.
    std::size_t compileKernel() {
        for (TKernelClass& entry : kernel) entry.cls->Reset();
        for (int pass = 0; pass < 10; ++pass) {
            bool pending = false;
            for (TKernelClass& entry : kernel) {
                if (entry.cls->Compiled()) continue;
                entry.cls->Reset();
                if (CompileSource(*entry.cls, entry.source, root.get())) {
                    throw std::runtime_error("kernel class does not compile: " + entry.cls->Name());
                }
                pending = pending || !entry.cls->Compiled();
            }
            if (!pending) return kernel.size();
        }
        throw std::runtime_error("kernel classes wait for each other");
    }
};

TBenchTree& tree() {
    static TBenchTree instance;
    return instance;
}

const std::string& classSource() {
    static const std::string source = TBenchTree::benchNames(bench::GenerateClass(250, bench::TSelfCalls::With));
    return source;
}

void CompileClassSource(benchmark::State& state) {
    const std::string& source = classSource();
    TBenchFolder& usr = tree().root->folder("usr");
    for (auto _ : state) {
        auto cls = std::make_unique<TRTTI>("Generated", "");
        cls->SetParent(&usr);
        if (CompileSource(*cls, source, tree().root.get()) || !cls->Compiled()) {
            state.SkipWithError("the generated class does not compile");
            break;
        }
        benchmark::DoNotOptimize(cls->Code());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(source.size()));
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
    state.counters["lines"] = static_cast<double>(std::count(source.begin(), source.end(), '\n'));
}

void LexParseClassSource(benchmark::State& state) {
    const std::string& source = classSource();
    for (auto _ : state) {
        const auto tokens = ScriptYup().Lex(source);
        DropComments(*tokens);
        auto result = ScriptYup().Parse(*tokens);
        if (!result) {
            state.SkipWithError("the generated class does not parse");
            break;
        }
        result.reset();
        TYup::EndParse();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(source.size()));
}

void CompileKernel(benchmark::State& state) {
    std::size_t bytes = 0;
    for (const auto& entry : tree().kernel) bytes += entry.source.size();
    std::size_t classes = 0;
    for (auto _ : state) classes += tree().compileKernel();
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes));
    state.SetItemsProcessed(static_cast<int64_t>(classes));
    state.counters["classes"] = static_cast<double>(tree().kernel.size());
}

void LuaLoadTwin(benchmark::State& state) {
    static const std::string source = bench::GenerateLuaTwin(250, bench::TSelfCalls::With);
    bench::LuaLoadLoop(state, source);
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}

}  // namespace
}  // namespace varno

int main(int argc, char** argv) {
    using namespace varno;
    benchmark::RegisterBenchmark("compile/class", CompileClassSource)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("lex+parse/class", LexParseClassSource)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("compile/kernel", CompileKernel)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("lua5.4-load/class-twin", LuaLoadTwin)->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    tree();                // build the grammar and the tree outside the timed loops
    ScriptYup().Lex("");
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
