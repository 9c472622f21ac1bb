// Booting the kernel: every class compiled, natives bound, the cache on later starts, and kernels with faults.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "KernelFixture.h"
#include "base/Error.h"
#include "base/MessageBox.h"
#include "resources/FileOpenError.h"
#include "resources/ResourceList.h"
#include "resources/ResourceTree.h"
#include "runtime/Log.h"
#include "runtime/RTTI.h"
#include "runtime/String.h"
#include "startup/NativeTable.h"
#include "startup/SystemNatives.h"

namespace varno {
namespace {

using test::TKernelFixture;

class Boot : public TKernelFixture {
protected:
    // Every class of the tree, in tree order.
    std::vector<TRTTI*> classes() {
        struct TClasses : TResourceIterator {
            std::vector<TRTTI*> found;
            void Visit(TResource& node) override {
                if (auto* cls = dynamic_cast<TRTTI*>(&node)) found.push_back(cls);
            }
        } visitor;
        RootResource()->ForEach(visitor);
        return visitor.found;
    }

    std::string bootError() {
        try {
            varno::Boot();
        } catch (const EVarno& e) {
            return e.what();
        }
        return "booted";
    }
};

TEST_F(Boot, CompilesEveryKernelClassAndBindsTheNatives) {
    varno::Boot();
    ASSERT_TRUE(Booted());
    EXPECT_TRUE(Ready());
    const std::vector<TRTTI*> all = classes();
    EXPECT_EQ(all.size(), 33u);
    for (TRTTI* cls : all) EXPECT_TRUE(cls->Compiled()) << cls->Name();
    EXPECT_EQ(StringClass(), FindClass("classes.lang.String"));
    EXPECT_EQ(GlobalFolder(), FindFolder("usrglobal"));
    EXPECT_EQ(ResourceBaseDir(), SystemPath(dir()));
    EXPECT_EQ(CompileStats().compiled, 33);
    EXPECT_EQ(CompileStats().fromCache, 0);

    run("s = new System(); $v = s.version(); $l = s.locale();");
    EXPECT_EQ(global("$v").asInt(), 1230);
    EXPECT_EQ(globalText("$l"), "locale");

    EXPECT_EQ(KernelFiles().size(), 34u);  // the resource file and each class source
    EXPECT_EQ(KernelFiles().front(), ResolvePath("kernel\\resource.varnores", SystemPath(dir())));
    EXPECT_NE(KernelHashCode(), 0);
}

TEST_F(Boot, ASecondStartLoadsEveryClassFromTheCache) {
    varno::Boot();
    const std::int32_t hash = KernelHashCode();
    std::vector<std::string> shapes;
    for (TRTTI* cls : classes()) {
        shapes.push_back(cls->Name() + ":" + std::to_string(cls->Members().count()) + ":" +
                         std::to_string(cls->Methods().size()));
    }
    EXPECT_TRUE(std::filesystem::exists(dir() / "Temp" / "c123_kernelclasseslangObjectvarno"));

    CompileStats() = {};
    varno::Boot();
    EXPECT_EQ(CompileStats().compiled, 0);
    EXPECT_EQ(CompileStats().fromCache, 33);
    EXPECT_EQ(KernelHashCode(), hash);
    std::vector<std::string> again;
    for (TRTTI* cls : classes()) {
        again.push_back(cls->Name() + ":" + std::to_string(cls->Members().count()) + ":" +
                        std::to_string(cls->Methods().size()));
    }
    EXPECT_EQ(again, shapes);
    run("s = new System(); $v = s.version();");
    EXPECT_EQ(global("$v").asInt(), 1230);
}

TEST_F(Boot, AChangedSourceOrABrokenCacheFileCompilesFromSource) {
    varno::Boot();
    ShutdownKernel();
    // A newer System source: only it compiles again, and its cache is rewritten.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    edit("classes/lang/System.varno", "function version() {\n  return _n_version();",
         "function version() {\n  return _n_version() + 1;");
    const std::string cacheFile = "Temp/c123_kernelclasseslangSystemvarno";
    const std::string before = test::ReadBytes(dir() / cacheFile);
    CompileStats() = {};
    varno::Boot();
    EXPECT_EQ(CompileStats().compiled, 1);
    EXPECT_EQ(CompileStats().fromCache, 32);
    EXPECT_NE(test::ReadBytes(dir() / cacheFile), before);
    run("s = new System(); $v = s.version();");
    EXPECT_EQ(global("$v").asInt(), 1231);
    ShutdownKernel();

    // Garbage, a cut-off file and an empty one: each class compiles from its source.
    test::WriteBytes(dir() / cacheFile, "not a class file at all");
    test::WriteBytes(dir() / "Temp/c123_kernelclasseslangArrayvarno",
                     test::ReadBytes(dir() / "Temp/c123_kernelclasseslangArrayvarno").substr(0, 40));
    test::WriteBytes(dir() / "Temp/c123_kernelclasseslangObjectvarno", "");
    CompileStats() = {};
    varno::Boot();
    EXPECT_EQ(CompileStats().compiled, 3);
    run("s = new System(); $v = s.version();");
    EXPECT_EQ(global("$v").asInt(), 1231);
    ShutdownKernel();

    CompileStats() = {};
    varno::Boot();  // the rewritten files are good again
    EXPECT_EQ(CompileStats().fromCache, 33);
}

TEST_F(Boot, NativesAreBoundFromTheTableAsTheirRoutinesArrive) {
    const auto saved = NativeTable();
    EXPECT_FALSE(ProvideNative("classes.no.Such", "x", nullptr));
    // A routine supplied before boot replaces the table's; one the class does not declare
    // shows the binding message, and boot goes on.
    EXPECT_TRUE(ProvideNative("SYSTEM", "_n_version", [](TValue* slot, std::int32_t, std::int32_t) {
        SetInt(*slot, 77);
    }));
    EXPECT_TRUE(ProvideNative("System", "_n_notDeclared", NativeSystemEditCode));
    TMessageCapture messages;
    varno::Boot();
    NativeTable() = saved;
    EXPECT_EQ(messages.text(), "ClassSystem: native function_n_notDeclared is undefined.\n");
    run("s = new System(); $v = s.version();");
    EXPECT_EQ(global("$v").asInt(), 77);
}

TEST_F(Boot, AMissingClassSourceStopsBoot) {
    std::filesystem::remove(kernel("classes/game/Char.varno"));
    TMessageCapture messages;
    EXPECT_THROW(varno::Boot(), EFileOpenError);
    EXPECT_NE(messages.text().find("Char.varno is not found."), std::string::npos);
    EXPECT_FALSE(Booted());
    EXPECT_EQ(RootResource(), nullptr);
}

TEST_F(Boot, AMissingKernelFileStopsBoot) {
    std::filesystem::remove(kernel("resource.varnores"));
    TMessageCapture messages;
    EXPECT_THROW(varno::Boot(), EFileOpenError);
    EXPECT_NE(messages.text().find("resource.varnores is not found."), std::string::npos);
}

TEST_F(Boot, AClassThatDoesNotCompileStopsBoot) {
    edit("classes/lang/Process.varno", "native native_init;", "native native_init; function (");
    TMessageCapture messages;
    EXPECT_EQ(bootError(), "Initialization Failed");
    EXPECT_GE(messages.count(), 1);
}

TEST_F(Boot, MissingClassesOfTheNativeTable) {
    struct {
        const char* line;
        const char* error;
    } cases[] = {
        {"   <class name=\"System\" src=\"classes\\lang\\System.varno\" category=\"lang\"/>\n",
         "The kernel has no class System: its natives cannot be bound."},
        {"   <class name=\"Object\" src=\"classes\\lang\\Object.varno\" category=\"lang\"/>\n",
         "The kernel has no class classes.lang.Object; the system cannot start."},
        {"   <class name=\"BGM\" src=\"classes\\sound\\BGM.varno\" category=\"sound\"/>\n", "?"},
        {"   <class name=\"CMML\" src=\"classes\\lang\\CMML.varno\" category=\"lang\"/>\n", "booted"},
        {" <resourcelist name=\"usrglobal\">\n </resourcelist>\n",
         "The kernel has no folder usrglobal; the system cannot start."},
    };
    const std::string original = test::ReadBytes(kernel("resource.varnores"));
    for (const auto& c : cases) {
        std::string text = original;
        const std::string line = c.line;
        const std::size_t at = text.find(line);
        ASSERT_NE(at, std::string::npos) << c.line;
        text.erase(at, line.size());
        test::WriteBytes(kernel("resource.varnores"), text);
        TMessageCapture messages;
        EXPECT_EQ(bootError(), c.error) << c.line;
        ShutdownKernel();
    }
}

}  // namespace
}  // namespace varno
