// Plug-in modules: found under Kernel\modules, their classes compiled, their libraries' natives bound.
#include <gtest/gtest.h>

#include "KernelFixture.h"
#include "base/MessageBox.h"
#include "resources/ModuleRes.h"
#include "resources/ResourceList.h"
#include "resources/ResourceTree.h"
#include "runtime/RTTI.h"

namespace varno {
namespace {

std::filesystem::path ModuleLibrary() { return std::filesystem::path(VARNO_BINARY_DIR) / "tests" / "fixtures" / "testmodule.so"; }

class Modules : public test::TKernelFixture {
protected:
    void addModule(const std::string& name, const std::string& library, bool withResourceFile = true) {
        const std::filesystem::path folder = dir() / "Kernel" / "modules" / name;
        std::filesystem::create_directories(folder);
        if (!withResourceFile) return;
        test::WriteBytes(folder / (name + ".varnores"),
                         "<resourcelist name=\"" + name + "\">\r\n"
                         " <module name=\"lib\" src=\"" + library + "\"/>\r\n"
                         " <class name=\"Twice\" src=\"Twice.varno\"/>\r\n"
                         "</resourcelist>\r\n");
        test::WriteBytes(folder / "Twice.varno",
                         "extends classes.lang.Object;\nnative twice;\nnative describe;\nnative same;\n"
                         "function run(x) { return twice(x); }\n"
                         "function tell(x) { return describe(x); }\n"
                         "function echo(x) { return same(x); }\n");
    }
};

TEST_F(Modules, AModuleLibraryBindsTheNativesOfItsClass) {
    if (!std::filesystem::exists(ModuleLibrary())) GTEST_SKIP() << "the module fixture is not built: " << ModuleLibrary();
    addModule("Doubler", SystemPath(ModuleLibrary()));
    addModule("Broken", "no-such-library.so");
    addModule("Bare", "", false);  // a folder without its resource file is passed over
    varno::Boot();

    TResourceList* modules = FindFolder("modules");
    ASSERT_NE(modules, nullptr);
    ASSERT_EQ(modules->Count(), 2);
    EXPECT_EQ(modules->Item(0)->Name(), "Broken");  // in the order of the names
    EXPECT_EQ(modules->Item(1)->Name(), "Doubler");
    EXPECT_EQ(dynamic_cast<TModuleRes*>(FindResource("modules.Broken.lib"))->Handle(), nullptr);
    EXPECT_NE(dynamic_cast<TModuleRes*>(FindResource("modules.Doubler.lib"))->Handle(), nullptr);
    ASSERT_NE(FindClass("modules.Doubler.Twice"), nullptr);
    EXPECT_TRUE(FindClass("modules.Doubler.Twice")->Compiled());

    run("t = new modules.Doubler.Twice(); $r = t.run(21); $f = t.run(2.9); $d = t.tell(\"hey!\"); $n = t.tell(7);"
        "$e = t.echo(t); $z = t.echo();");
    EXPECT_EQ(global("$r").asInt(), 42);
    EXPECT_EQ(global("$f").asInt(), 4);  // a float is truncated
    EXPECT_EQ(global("$d").asInt(), 10000 + 4 * 100 + 3);
    EXPECT_EQ(global("$n").asInt(), 1 * 100 + 1);
    EXPECT_EQ(global("$e").tag, tvObject);
    EXPECT_EQ(global("$z").tag, tvNull);
}

TEST_F(Modules, TheEntryTableInItsOrder) {
    const VarnoEntryTable& table = ModuleEntryTable();
    auto* cells = reinterpret_cast<void* const*>(&table);
    // Eight pointer-sized cells: register, this, argument, type, integer, text, copy, set.
    for (int i = 0; i < 8; ++i) EXPECT_NE(cells[i], nullptr) << i;
    auto* slots = static_cast<TValue*>(HeapAlloc(3 * sizeof(TValue)));
    slots[0] = TValue::Float(-2.5f);  // argument 2
    slots[1] = TValue::Int(5);        // argument 1
    slots[2] = TValue::Null();        // the receiver and result
    VarnoCell* slot = reinterpret_cast<VarnoCell*>(&slots[2]);
    EXPECT_EQ(table.thisCell(slot), slot);
    EXPECT_EQ(table.argCell(slot, 2), reinterpret_cast<VarnoCell*>(&slots[0]));
    EXPECT_EQ(table.typeOf(table.argCell(slot, 2)), 2);
    EXPECT_EQ(table.intOf(table.argCell(slot, 2)), -2);
    char text[32];
    EXPECT_EQ(table.textOf(table.argCell(slot, 1), text, 0), 1);
    EXPECT_STREQ(text, "5");
    table.copy(slot, table.argCell(slot, 1));
    EXPECT_EQ(slots[2].asInt(), 5);
    EXPECT_EQ(table.setInt(slot, 9), 9);
    EXPECT_EQ(slots[2].asInt(), 9);
    table.copy(slot, nullptr);
    EXPECT_EQ(slots[2].tag, tvNull);
    HeapFree(slots);
}

}  // namespace
}  // namespace varno
