// Fuzzes the interpreter: the input is compiled as a class against the booted kernel and
// its class code runs as a process for a few small slices, so any byte code the compiler
// can produce, and any run-time error it can raise, reaches the dispatch loop.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "base/Error.h"
#include "base/MessageBox.h"
#include "compiler/Compiler.h"
#include "runtime/Messages.h"
#include "runtime/Object.h"
#include "runtime/Process.h"
#include "runtime/RTTI.h"
#include "runtime/Resource.h"
#include "startup/Boot.h"

#ifndef VARNO_SOURCE_DIR
#error "VARNO_SOURCE_DIR must name the source tree (its Kernel folder is booted)"
#endif

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    using namespace varno;
    std::freopen("/dev/null", "w", stdout);  // print() is the scripts' main occupation
    SetMessageHandler([](std::string_view) {});
    SetProgramDir(VARNO_SOURCE_DIR);
    InstallHostLayers();
    Boot();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace varno;
    const std::string source = "extends classes.lang.Object;" + std::string(reinterpret_cast<const char*>(data), size);
    static int serial = 0;  // a class that cannot be removed (a cycle keeps its instance) stays
    auto owned = std::make_unique<TRTTI>("Fuzz" + std::to_string(serial++), "");
    TRTTI& cls = *owned;
    RootResource()->AddChild(std::move(owned));
    try {
        if (!CompileSource(cls, source, RootResource()) && cls.Compiled()) {
            TfObject* object = NewInstance(cls);
            TProcess* process = TProcess::Create(*object);
            process->pin();
            for (int slice = 0; slice < 4 && !process->halted(); ++slice) process->Run(2000);
            TProcess::Free(process);
            process->unpin();
        }
    } catch (const EVarno&) {
    }
    try {
        RootResource()->RemoveChild(&cls);
    } catch (const EVarno&) {
        // Instances still referenced (by a cycle no collector has broken): the class stays.
    }
    return 0;
}
