// The interpreter's inner costs in the runtime core: value assignment, instantiation from a
// warm pool, interning a known name, and the one-word-cache member and method lookups.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "runtime/Object.h"
#include "runtime/RTTI.h"
#include "runtime/String.h"
#include "runtime/Symbols.h"
#include "runtime/ValueOps.h"

namespace {

using namespace varno;

// Joins a name and a number (appending: GCC 12 misjudges chains of + on strings at -O3).
std::string Numbered(const char* name, long number) {
    std::string out(name);
    out.append(std::to_string(number));
    return out;
}

std::unique_ptr<TRTTI> MakeClass(const std::string& name, int members) {
    auto cls = std::make_unique<TRTTI>(name, "");
    for (int i = 0; i < members; ++i) cls->MemberIndexOf(Numbered("m", i));
    cls->SetCompiled(true);
    return cls;
}

// Copying an integer value over another: the case with no counted object.
void BM_AssignInt(benchmark::State& state) {
    auto* cells = static_cast<TValue*>(HeapAlloc(3 * sizeof(TValue)));
    cells[0] = TValue::Int(1);
    cells[1] = TValue::Int(2);
    int i = 0;
    for (auto _ : state) {
        Assign(cells[2], cells[i & 1]);
        ++i;
        benchmark::DoNotOptimize(cells[2]);
    }
    HeapFree(cells);
}
BENCHMARK(BM_AssignInt);

// Alternately storing two objects into one cell: a release and an add-ref each time.
void BM_AssignObject(benchmark::State& state) {
    auto cls = MakeClass("BenchAssign", 2);
    auto* cells = static_cast<TValue*>(HeapAlloc(3 * sizeof(TValue)));
    SetObject(cells[0], NewInstance(*cls));
    SetObject(cells[1], NewInstance(*cls));
    int i = 0;
    for (auto _ : state) {
        Assign(cells[2], cells[i & 1]);
        ++i;
        benchmark::DoNotOptimize(cells[2]);
    }
    SetNull(cells[2]);
    SetNull(cells[1]);
    SetNull(cells[0]);
    HeapFree(cells);
}
BENCHMARK(BM_AssignObject);

// Creating a temporary object and dropping it: the block is destroyed (members
// released) and reconstructed each time. Arg: referenced objects held in the same pool.
void BM_NewInstanceWarmPool(benchmark::State& state) {
    auto cls = MakeClass(Numbered("BenchPool", static_cast<long>(state.range(0))), 4);
    std::vector<TValue> held(static_cast<std::size_t>(state.range(0)));
    auto* cell = static_cast<TValue*>(HeapAlloc(sizeof(TValue)));
    for (TValue& v : held) SetObject(v, NewInstance(*cls));
    for (auto _ : state) {
        SetObject(*cell, NewInstance(*cls));
        SetNull(*cell);
    }
    for (TValue& v : held) SetNull(v);
    HeapFree(cell);
}
BENCHMARK(BM_NewInstanceWarmPool)->Arg(0)->Arg(1000);

void BM_NewString(benchmark::State& state) {
    auto cls = std::make_unique<TRTTI>("String", "");
    cls->MemberIndexOf("_body");
    cls->SetCompiled(true);
    SetStringClass(cls.get());
    auto* cell = static_cast<TValue*>(HeapAlloc(sizeof(TValue)));
    for (auto _ : state) {
        TfObject* s = NewString("hello");
        SetObject(*cell, s);
        SetNull(*cell);
        FreeStringBody(StringBody(s));
    }
    SetStringClass(nullptr);
    HeapFree(cell);
}
BENCHMARK(BM_NewString);

void BM_InternExisting(benchmark::State& state) {
    Intern("positionX");
    for (auto _ : state) benchmark::DoNotOptimize(Intern("PositionX"));
}
BENCHMARK(BM_InternExisting);

// The steady state of Op_DMemberValPtr: the cache word already holds the index.
void BM_FindMemberCached(benchmark::State& state) {
    auto cls = MakeClass("BenchMembers", 20);
    const std::int32_t symbol = Intern("m7");
    std::int32_t cache = 7;
    for (auto _ : state) benchmark::DoNotOptimize(cls->FindMember(symbol, cache));
}
BENCHMARK(BM_FindMemberCached);

// A receiver of another class with the member elsewhere: the cache misses every time.
void BM_FindMemberAlternating(benchmark::State& state) {
    auto a = MakeClass("BenchAltA", 20);
    auto b = MakeClass("BenchAltB", 20);
    b->Reset();
    for (int i = 19; i >= 0; --i) b->MemberIndexOf(Numbered("m", i));
    b->SetCompiled(true);
    const std::int32_t symbol = Intern("m7");
    std::int32_t cache = 0;
    int i = 0;
    for (auto _ : state) benchmark::DoNotOptimize(((i++ & 1) ? b : a)->FindMember(symbol, cache));
}
BENCHMARK(BM_FindMemberAlternating);

void BM_FindMethodCached(benchmark::State& state) {
    auto cls = MakeClass("BenchMethods", 0);
    for (int i = 0; i < 20; ++i) cls->AddMethod(new TNormalFunction(cls.get(), Intern(Numbered("f", i))));
    const std::int32_t symbol = Intern("f11");
    std::int32_t cache = 11;
    for (auto _ : state) benchmark::DoNotOptimize(cls->FindMethod(symbol, cache));
}
BENCHMARK(BM_FindMethodCached);

}  // namespace

BENCHMARK_MAIN();
