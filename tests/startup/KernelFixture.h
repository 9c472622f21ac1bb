// Helpers for the start-up tests: a program directory holding a copy of the kernel, booted with every layer.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "base/Path.h"
#include "resources/ClassCache.h"
#include "resources/SystemPath.h"
#include "runtime/Eval.h"
#include "runtime/Hooks.h"
#include "runtime/Messages.h"
#include "runtime/NativeContract.h"
#include "runtime/ValueOps.h"
#include "startup/Boot.h"
#include "support/TestSupport.h"

namespace varno::test {

// The kernel of the source tree.
inline std::filesystem::path SourceKernel() { return std::filesystem::path(VARNO_TEST_DATA) / ".." / ".." / "Kernel"; }

// A fresh program directory with a copy of the kernel (so that tests may change it) and
// the host layers installed. The kernel is torn down after each test.
class TKernelFixture : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::copy(SourceKernel(), m_dir.path() / "Kernel", std::filesystem::copy_options::recursive);
        SetProgramDir(m_dir.path());
        InstallHostLayers();
        CompileStats() = {};
    }
    void TearDown() override {
        ShutdownKernel();
        SetResourceBaseDir({});
    }

    const std::filesystem::path& dir() const { return m_dir.path(); }
    std::filesystem::path kernel(const std::string& relative) const { return m_dir.path() / "Kernel" / relative; }

    // Replaces text in a kernel file (the first occurrence; the test fails when absent).
    void edit(const std::string& relative, const std::string& from, const std::string& to) {
        std::string text = ReadBytes(kernel(relative));
        const std::size_t at = text.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        text.replace(at, from.size(), to);
        WriteBytes(kernel(relative), text);
    }

    // Runs statements (class code of a class extending Object) and fails the test when
    // they do not compile or end with an error.
    void run(const std::string& statements) {
        ASSERT_EQ(Eval("extends classes.lang.Object;" + statements), kEvalOk) << statements;
    }
    TValue global(const std::string& name) {
        const TValue* cell = GlobalCell(name);
        return cell != nullptr ? *cell : TValue::Null();
    }
    std::string globalText(const std::string& name) { return ToText(global(name)); }

private:
    TTempDir m_dir;
};

}  // namespace varno::test
