// Initialization in passes: classes waiting for their superclass, global values, counting and its errors.
#include <gtest/gtest.h>

#include <map>

#include "TreeFixture.h"
#include "base/Error.h"
#include "base/MessageBox.h"
#include "resources/ClassCache.h"
#include "resources/FileOpenError.h"
#include "runtime/RTTI.h"

namespace varno {
namespace {

using test::TTreeFixture;

class Initialize : public TTreeFixture {
protected:
    // A compiler stand-in: a class compiles once its superclass (from the table) has.
    void useFakeCompiler(std::map<std::string, std::string> supers, std::string failing = {}) {
        RuntimeHooks().compileClass = [this, supers, failing](TRTTI& cls) {
            ++compiles;
            if (cls.Name() == failing) {
                cls.SetCompileFailed(true);
                return;
            }
            const auto it = supers.find(cls.Name());
            TRTTI* super = it == supers.end() ? nullptr : FindClass(it->second);
            if (it != supers.end() && (super == nullptr || !super->Compiled())) return;  // waits
            cls.SetSuperClass(super);
            cls.SetCompiled(true);
        };
    }
    int compiles = 0;
};

constexpr const char* kClasses =
    "<resourcelist name=\"root\">"
    " <class name=\"C\" src=\"c\"/><class name=\"B\" src=\"b\"/><class name=\"A\" src=\"a\"/>"
    " <resourcelist name=\"usrglobal\"><globalvalue name=\"$g\" value=\"1+1\"/><globalvalue name=\"$h\"/></resourcelist>"
    "</resourcelist>";

TEST_F(Initialize, PassesRepeatUntilNoClassWaits) {
    TResource& root = setRoot(kClasses);
    useFakeCompiler({{"C", "B"}, {"B", "A"}});
    EXPECT_TRUE(root.Initialize());
    for (const char* name : {"A", "B", "C"}) EXPECT_TRUE(FindClass(name)->Compiled()) << name;
    EXPECT_EQ(compiles, 3 + 2 + 1);  // C waits twice, B once
    // Three passes, and the global's statement ran in each of them; the empty one never.
    EXPECT_EQ(scripts, (std::vector<std::string>{"$g=1+1;", "$g=1+1;", "$g=1+1;"}));
    // A second Initialize compiles nothing again and takes one pass.
    scripts.clear();
    compiles = 0;
    EXPECT_TRUE(root.Initialize());
    EXPECT_EQ(compiles, 0);
    EXPECT_EQ(scripts.size(), 1u);
}

TEST_F(Initialize, ClassesThatExtendEachOtherAreRecursiveInheritance) {
    TResource& root = setRoot(kClasses);
    useFakeCompiler({{"A", "B"}, {"B", "A"}});
    try {
        root.Initialize();
        FAIL() << "no error";
    } catch (const EVarno& e) {
        EXPECT_STREQ(e.what(), "Recursive Inheritance");
    }
    EXPECT_TRUE(FindClass("C")->Compiled());  // what was compiled stays
}

TEST_F(Initialize, AFailedClassEndsInitialization) {
    TResource& root = setRoot(kClasses);
    useFakeCompiler({}, "B");
    try {
        root.Initialize();
        FAIL() << "no error";
    } catch (const EVarno& e) {
        EXPECT_STREQ(e.what(), "Initialization Failed");
    }
}

TEST_F(Initialize, AMissingClassSourceIsNotFound) {
    TResource& root = setRoot("<resourcelist name=\"root\"><class name=\"X\" src=\"gone\\X.varno\"/></resourcelist>");
    RuntimeHooks().compileClass = CompileClassNode;
    TMessageCapture messages;
    EXPECT_THROW(root.Initialize(), EFileOpenError);
    EXPECT_EQ(messages.text(), programDir() + "\\gone\\X.varno is not found.\n");
}

}  // namespace
}  // namespace varno
