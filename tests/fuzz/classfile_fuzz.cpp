// Fuzzes the compiled-class file reader with re-linking installed: any bytes must give a
// compiled class or the reader's error, never a crash or an over-read. With the
// environment variable VARNO_WRITE_SEED=FILE it first writes a valid class file there.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "base/Error.h"
#include "base/MessageBox.h"
#include "base/Path.h"
#include "compiler/Compiler.h"
#include "runtime/ClassFile.h"
#include "runtime/RTTI.h"

namespace {

constexpr std::int32_t kAge = 1234;

const char* const kSeedSource =
    "x = 1; y = \"text\"; $g = x + y;\n"
    "function f(a, b) { var c; c = a * b; if (c > 3) return c; while (a < 10) a++; return this.g(c); }\n"
    "function g(v) { for (i = 0; i < v; i += 1) { s = s + i; } return s; }\n"
    "native n;\n";

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    using namespace varno;
    InstallCompiler();
    SetMessageHandler([](std::string_view) {});
    if (const char* seed = std::getenv("VARNO_WRITE_SEED")) {
        auto cls = std::make_unique<TRTTI>("Fuzz", "");
        if (!CompileSource(*cls, kSeedSource, nullptr)) WriteFileBytes(seed, WriteClassFile(*cls, kAge));
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace varno;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    auto cls = std::make_unique<TRTTI>("Fuzz", "");
    try {
        (void)ReadClassFile(*cls, bytes, kAge);
    } catch (const EVarno&) {
    }
    return 0;
}
