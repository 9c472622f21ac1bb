// Scanner and parser throughput: a generated class source of a few thousand lines, and call
// expressions nested 4, 8 and 16 deep, parsed with and without memoisation. A Lua twin of the
// class source is compiled by Lua 5.4 (luaL_loadbuffer: scan, parse and code generation) as a
// point of reference.
#include <benchmark/benchmark.h>

#include <lua.hpp>

#include <algorithm>
#include <stdexcept>
#include <string>

#include "front/ScriptGrammar.h"

#include "GeneratedClass.h"
#include "SideBySide.h"

namespace varno {
namespace {

// x = a(b(c(...1...))); or x = o.f(o.g(...1...));
std::string nestedCall(int depth, bool member) {
    std::string call = "1";
    for (int i = depth; i > 0; --i) {
        std::string outer = member ? "o.f" : "f";
        outer.append(std::to_string(i)).append("(").append(call).append(")");
        call = std::move(outer);
    }
    return std::string("x = ").append(call).append(";");
}

void parseOnce(TYup& yup, const std::string& source, TParseMode mode) {
    const auto tokens = yup.Lex(source);
    DropComments(*tokens);
    auto tree = yup.Parse(*tokens, mode);
    if (!tree) throw std::runtime_error("benchmark source does not parse");
    benchmark::DoNotOptimize(tree.get());
    tree.reset();
    TYup::EndParse();
}

const std::string& classSource() {
    static const std::string source = bench::GenerateClass(250);
    return source;
}

void LexClass(benchmark::State& state) {
    const std::string& source = classSource();
    for (auto _ : state) {
        const auto tokens = ScriptYup().Lex(source);
        benchmark::DoNotOptimize(tokens->count());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(source.size()));
}

void LexParseClass(benchmark::State& state, TParseMode mode) {
    const std::string& source = classSource();
    for (auto _ : state) parseOnce(ScriptYup(), source, mode);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(source.size()));
    state.counters["lines"] = static_cast<double>(std::count(source.begin(), source.end(), '\n'));
}

void LuaLoadTwin(benchmark::State& state) {
    static const std::string source = bench::GenerateLuaTwin(250);
    bench::LuaLoadLoop(state, source);
}

void ParseNested(benchmark::State& state, int depth, bool member, TParseMode mode) {
    const std::string source = nestedCall(depth, member);
    for (auto _ : state) parseOnce(ScriptYup(), source, mode);
}

}  // namespace
}  // namespace varno

int main(int argc, char** argv) {
    using namespace varno;
    benchmark::RegisterBenchmark("lex/class", LexClass)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("lex+parse/class/memo", LexParseClass, TParseMode::Memo)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("lex+parse/class/faithful", LexParseClass, TParseMode::Faithful)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("lua5.4-load/class-twin", LuaLoadTwin)->Unit(benchmark::kMillisecond);
    for (const bool member : {false, true}) {
        for (const int depth : {4, 8, 16}) {
            for (const TParseMode mode : {TParseMode::Memo, TParseMode::Faithful}) {
                const std::string name = std::string(member ? "nested/o.f(o.g(...))" : "nested/a(b(...))") +
                                         "/depth:" + std::to_string(depth) +
                                         (mode == TParseMode::Memo ? "/memo" : "/faithful");
                benchmark::RegisterBenchmark(name.c_str(), ParseNested, depth, member, mode)
                    ->Unit(benchmark::kMicrosecond);
            }
        }
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    ScriptYup().Lex("");  // build the grammar outside the timed loops
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
