// Every class of the kernel library compiles, in superclass order, to code the runtime accepts.
#include <gtest/gtest.h>

#include <filesystem>

#include "CompilerFixture.h"
#include "compiler/Listing.h"
#include "runtime/CodeVerifier.h"
#include "runtime/Function.h"
#include "support/TestSupport.h"

namespace varno {
namespace {

namespace fs = std::filesystem;

class KernelCompileTest : public test::TCompilerTest {};

TEST_F(KernelCompileTest, EveryKernelClassCompiles) {
    const fs::path kernel = fs::path(VARNO_TEST_DATA) / ".." / ".." / "Kernel" / "classes";
    ASSERT_TRUE(fs::is_directory(kernel)) << kernel;
    struct TEntry {
        TRTTI* cls;
        std::string source;
    };
    std::vector<TEntry> classes;
    for (const auto& file : fs::recursive_directory_iterator(kernel)) {
        if (file.path().extension() != ".varno") continue;
        const std::string folder = "classes." + file.path().parent_path().filename().string();
        TRTTI& cls = addClass(folder, file.path().stem().string());
        cls.SetCompiled(false);
        classes.push_back({&cls, test::ReadBytes(file.path())});
    }
    ASSERT_GE(classes.size(), 30u);

    // Passes as the loader runs them: a class waits while its superclass is uncompiled.
    for (int pass = 0; pass < 10; ++pass) {
        for (TEntry& entry : classes) {
            if (entry.cls->Compiled()) continue;
            entry.cls->Reset();
            const auto diagnostic = CompileSource(*entry.cls, entry.source, &root());
            EXPECT_FALSE(diagnostic.has_value()) << entry.cls->Name() << ": " << diagnostic->message << " at "
                                                 << diagnostic->offset;
        }
    }
    for (const TEntry& entry : classes) {
        ASSERT_TRUE(entry.cls->Compiled()) << entry.cls->Name();
        VerifyCode(*entry.cls->Code(), 0);
        TLines lines;
        ListClass(*entry.cls, lines);
        for (TFunction* function : entry.cls->Methods()) {
            if (function->Owner() != entry.cls || !function->isByteCode()) continue;
            auto& normal = *static_cast<TNormalFunction*>(function);
            VerifyCode(*normal.Code(), normal.localCount());
        }
    }
}

}  // namespace
}  // namespace varno
