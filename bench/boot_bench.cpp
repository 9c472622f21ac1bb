// Boot time of the kernel: cold (every class compiled from its source) and warm (every class
// loaded from the compiled-class cache in Temp), with the share of the time spent compiling.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <unistd.h>

#include <stdexcept>

#include "resources/ClassCache.h"
#include "runtime/Log.h"
#include "runtime/Messages.h"
#include "startup/Boot.h"

namespace varno {
namespace {

namespace fs = std::filesystem;

// The Kernel laid out by the build: next to the benchmark or in a folder above it.
fs::path BuiltKernel() {
    for (fs::path dir = ProgramDir(); !dir.empty(); dir = dir.parent_path()) {
        if (fs::is_directory(dir / "Kernel")) return fs::canonical(dir / "Kernel");
        if (dir == dir.parent_path()) break;
    }
    throw std::runtime_error("no Kernel folder next to the benchmark or above it");
}

// A program directory of its own (its Temp is the benchmark's to empty), whose Kernel is
// the one the build laid out.
class TBenchDir {
public:
    TBenchDir() {
        const fs::path kernel = BuiltKernel();
        m_path = fs::temp_directory_path() / ("varno-boot-bench-" + std::to_string(::getpid()));
        fs::create_directories(m_path);
        fs::create_directory_symlink(kernel, m_path / "Kernel");
        SetProgramDir(m_path);
        InstallHostLayers();
    }
    ~TBenchDir() {
        std::error_code error;
        fs::remove_all(m_path, error);
    }
    void dropCache() const {
        std::error_code error;
        fs::remove_all(m_path / "Temp", error);
    }

private:
    fs::path m_path;
};

TBenchDir& BenchDir() {
    static TBenchDir dir;
    return dir;
}

void RunBoots(benchmark::State& state, bool cold) {
    TBenchDir& dir = BenchDir();
    CompileStats() = {};
    Boot();  // the first boot fills the cache
    ShutdownKernel();
    CompileStats() = {};
    for (auto _ : state) {
        state.PauseTiming();
        ShutdownKernel();
        if (cold) dir.dropCache();
        state.ResumeTiming();
        Boot();
    }
    ShutdownKernel();
    const TCompileStats& stats = CompileStats();
    const double iterations = static_cast<double>(state.iterations());
    state.counters["classes_compiled"] = stats.compiled / iterations;
    state.counters["classes_from_cache"] = stats.fromCache / iterations;
    state.counters["compile_ms"] = stats.compileSeconds * 1000 / iterations;
    state.counters["cache_load_ms"] = stats.cacheSeconds * 1000 / iterations;
}

void BM_BootCold(benchmark::State& state) { RunBoots(state, true); }
void BM_BootWarm(benchmark::State& state) { RunBoots(state, false); }

BENCHMARK(BM_BootCold)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BootWarm)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace varno

BENCHMARK_MAIN();
