// Fuzzes the whole compile path: scanning, parsing (memoised), code generation, the
// peephole pass and the code verifier, on a class source made of the input bytes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/Error.h"
#include "base/MessageBox.h"
#include "compiler/Compiler.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    varno::InstallCompiler();
    varno::SetMessageHandler([](std::string_view) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string source(reinterpret_cast<const char*>(data), size);
    try {
        (void)varno::CheckClassSource("Fuzz", source, nullptr);
    } catch (const varno::EVarno&) {
        // A host error escaping the compile entry is a finding only if it crashes.
    }
    return 0;
}
