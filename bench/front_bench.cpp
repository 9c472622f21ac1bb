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

namespace varno {
namespace {

// A class of `functions` methods, about twelve lines each, using every statement form.
std::string generateClass(int functions) {
    std::string s = "extends classes.game.Char;\n// generated for the benchmark\nnative _n_beep;\n\n";
    for (int i = 0; i < functions; ++i) {
        const std::string n = std::to_string(i);
        s += "function step" + n + "(list, count) {\n";
        s += "  var i, e, total;\n";
        s += "  total = 0; /* running sum */\n";
        s += "  for (i = 0; i < count; i += 1) {\n";
        s += "    if (i % 3 == 0 && !list.done) total += i * 2 + " + n + "; else total -= 1;\n";
        s += "  }\n";
        s += "  for (e in list) e.move(this.x + 1, \"step " + n + "\");\n";
        s += "  while (total > 100) total = total - 7;\n";
        s += "  if (total is classes.lang.Integer) return new classes.game.Point(total, -1);\n";
        s += "  this.pos.x = this.pos.y + $_offset.get(" + n + ", (total = 3));\n";
        s += "  return total;\n";
        s += "}\n\n";
    }
    s += "$_count = $_count + 1;\n";
    return s;
}

// The same shape in Lua.
std::string generateLuaTwin(int functions) {
    std::string s = "-- generated for the benchmark\nlocal M = {}\n\n";
    for (int i = 0; i < functions; ++i) {
        const std::string n = std::to_string(i);
        s += "function M:step" + n + "(list, count)\n";
        s += "  local i, e, total\n";
        s += "  total = 0 --[[ running sum ]]\n";
        s += "  for i = 0, count - 1 do\n";
        s += "    if i % 3 == 0 and not list.done then total = total + i * 2 + " + n + " else total = total - 1 end\n";
        s += "  end\n";
        s += "  for _, e in ipairs(list) do e:move(self.x + 1, \"step " + n + "\") end\n";
        s += "  while total > 100 do total = total - 7 end\n";
        s += "  if type(total) == \"number\" then return Point.new(total, -1) end\n";
        s += "  self.pos.x = self.pos.y + offset:get(" + n + ", 3)\n";
        s += "  return total\n";
        s += "end\n\n";
    }
    s += "count = count + 1\nreturn M\n";
    return s;
}

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
    static const std::string source = generateClass(250);
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
    static const std::string source = generateLuaTwin(250);
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
