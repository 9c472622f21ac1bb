// Runs script workloads and their Lua 5.4 twins in one process and prints, after Google
// Benchmark's own lines, a table of script time / Lua time per workload.
#pragma once

#include <benchmark/benchmark.h>
#include <lua.hpp>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <span>
#include <string>
#include <vector>

namespace varno::bench {

// One workload in both languages. The script is the body of a class whose method run()
// does the work; the Lua chunk defines a global function run().
struct TWorkload {
    const char* name;
    const char* script;
    const char* lua;
};

// A Lua state that has run the workload's chunk after prelude (shared helper functions).
inline lua_State* LuaFor(const TWorkload& w, const char* prelude) {
    lua_State* L = luaL_newstate();
    luaL_openlibs(L);
    const std::string chunk = std::string(prelude) + w.lua;
    if (luaL_dostring(L, chunk.c_str()) != LUA_OK) {
        std::fprintf(stderr, "lua: %s\n", lua_tostring(L, -1));
        std::abort();
    }
    return L;
}

// Calls run() and gives its result as text.
inline std::string LuaRun(lua_State* L) {
    lua_getglobal(L, "run");
    lua_call(L, 0, 1);
    std::string result = luaL_tolstring(L, -1, nullptr);
    lua_pop(L, 2);
    return result;
}

inline void BM_Lua(benchmark::State& state, const TWorkload* w, const char* prelude) {
    lua_State* L = LuaFor(*w, prelude);
    std::string result;
    for (auto _ : state) result = LuaRun(L);
    state.SetLabel(result);
    lua_close(L);
}

// Compiles (loads without running) a Lua source once per iteration: Lua's side of the
// scanner, parser and compiler benchmarks.
inline void LuaLoadLoop(benchmark::State& state, const std::string& source) {
    lua_State* lua = luaL_newstate();
    for (auto _ : state) {
        if (luaL_loadbuffer(lua, source.data(), source.size(), "twin") != LUA_OK) {
            state.SkipWithError(lua_tostring(lua, -1));
            break;
        }
        lua_pop(lua, 1);
    }
    lua_close(lua);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(source.size()));
}

// Keeps the real time of every benchmark (the mean when it is repeated), by name.
class TRatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && run.iterations > 0 && run.repetitions <= 1) {
                m_seconds[run.run_name.function_name] = run.GetAdjustedRealTime();
            } else if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "mean") {
                m_seconds[run.run_name.function_name] = run.GetAdjustedRealTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    double time(const std::string& name) const {
        const auto it = m_seconds.find(name);
        return it != m_seconds.end() ? it->second : 0.0;
    }

private:
    std::map<std::string, double> m_seconds;
};

using TScriptBench = void (*)(benchmark::State&, const TWorkload*);

// Registers "script/NAME" and "lua/NAME" for every workload, runs them, prints the ratios.
inline int RunSideBySide(int argc, char** argv, std::span<const TWorkload> workloads, TScriptBench script,
                         const char* luaPrelude = "") {
    auto name = [](const char* side, const TWorkload& w) { return std::string(side) + "/" + w.name; };
    for (const TWorkload& w : workloads) {
        benchmark::RegisterBenchmark(name("script", w).c_str(), script, &w)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(name("lua", w).c_str(), BM_Lua, &w, luaPrelude)->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    std::printf("\n%-32s %12s %12s %14s\n", "workload", "script ms", "Lua ms", "script / Lua");
    for (const TWorkload& w : workloads) {
        const double scriptMs = reporter.time(name("script", w));
        const double luaMs = reporter.time(name("lua", w));
        if (scriptMs <= 0 || luaMs <= 0) continue;
        std::printf("%-32s %12.3f %12.3f %14.2f\n", w.name, scriptMs, luaMs, scriptMs / luaMs);
    }
    benchmark::Shutdown();
    return 0;
}

}  // namespace varno::bench
