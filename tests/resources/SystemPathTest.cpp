// Path operations on system paths, cache names, writable directories and directory listings.
#include <gtest/gtest.h>

#include "resources/SystemPath.h"
#include "runtime/Messages.h"
#include "support/TestSupport.h"

namespace varno {
namespace {

TEST(SystemPath, ResolvePath) {
    struct {
        const char* path;
        const char* base;
        const char* expected;
    } cases[] = {
        {"..\\b\\c.cmml", "C:\\x\\y\\", "C:\\x\\b\\c.cmml"},
        {"a", "", ""},
        {"\\a", "C:\\x", "\\a"},
        {"D:\\f", "C:\\x", "D:\\f"},
        {"", "C:\\x", ""},
        {".\\a\\.\\b", "\\home\\u", "\\home\\u\\a\\b"},
        {"..\\..\\..\\z", "C:\\x", "\\z"},  // stepping above the drive leaves the path rooted
        {"classes\\lang\\Object.varno", "\\prog\\Kernel", "\\prog\\Kernel\\classes\\lang\\Object.varno"},
    };
    for (const auto& c : cases) EXPECT_EQ(ResolvePath(c.path, c.base), c.expected) << c.path << " in " << c.base;
}

TEST(SystemPath, RelativePath) {
    struct {
        const char* path;
        const char* base;
        const char* expected;
    } cases[] = {
        {"C:\\x\\y\\f.varno", "C:\\x\\z", "..\\y\\f.varno"},
        {"D:\\f", "C:\\x", "D:\\f"},
        {"C:\\X\\f", "c:\\x\\", "f"},
        {"C:\\x", "C:\\x", ""},
        {"rel\\a", "C:\\x", "rel\\a"},
        {"", "C:\\x", ""},
        {"\\prog\\Kernel\\a.varno", "\\prog", "Kernel\\a.varno"},
        {"\\prog2\\a", "\\prog", "\\prog2\\a"},  // only begins like base; nothing shared below the root
    };
    for (const auto& c : cases) EXPECT_EQ(RelativePath(c.path, c.base), c.expected) << c.path << " from " << c.base;
}

TEST(SystemPath, ComponentsAndComparisons) {
    EXPECT_TRUE(IsAbsolutePath("C:\\x"));
    EXPECT_TRUE(IsAbsolutePath("\\x"));
    EXPECT_FALSE(IsAbsolutePath("x\\y"));
    EXPECT_FALSE(IsAbsolutePath("C:x"));
    EXPECT_FALSE(IsAbsolutePath(""));
    EXPECT_EQ(ParentDir("C:\\x\\y\\"), "C:\\x");
    EXPECT_EQ(ParentDir("C:"), "");
    EXPECT_EQ(StripSlash("a\\"), "a");
    EXPECT_TRUE(IsWithin("C:\\X\\y", "c:\\x\\"));
    EXPECT_TRUE(IsWithin("C:\\x", "C:\\x"));
    EXPECT_FALSE(IsWithin("C:\\xy", "C:\\x"));
    EXPECT_EQ(CommonAncestor("C:\\a\\b\\c", "C:\\a\\d"), "C:\\a");
    EXPECT_EQ(CommonAncestor("C:\\a", ""), "");
    EXPECT_TRUE(SamePath("C:\\A\\", "c:\\a"));
    EXPECT_EQ(BaseName("C:\\x\\Foo.bar.varno"), "Foo.bar");
    EXPECT_EQ(BaseName("Foo"), "Foo");
    EXPECT_EQ(NormalizePath("\\a\\b\\..\\..\\..\\c\\.\\d"), "\\c\\d");
    EXPECT_EQ(NormalizePath("\\"), "\\");
}

TEST(SystemPath, TempNamesStayInTemp) {
    test::TTempDir dir;
    SetProgramDir(dir.path());
    const std::string prog = ProgramDirectory();
    EXPECT_EQ(TempName(prog + "\\Usr\\a.b\\Foo.varno", "c123_"), prog + "\\Temp\\c123_UsrabFoovarno");
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "Temp"));
    // Each step up becomes an at sign; separators, colons and dots go.
    const std::string outside = TempName(ParentDir(prog) + "\\other\\x.varno", "c123_");
    EXPECT_EQ(outside, prog + "\\Temp\\c123_@otherxvarno");
    EXPECT_EQ(TempName("D:\\f\\g.varno", "c123_"), prog + "\\Temp\\c123_Dfgvarno");
    // Hostile names cannot leave the Temp directory.
    EXPECT_EQ(ParentDir(TempName(prog + "\\..\\..\\..\\etc\\passwd", "c123_")), prog + "\\Temp");
}

TEST(SystemPath, WritesOnlyBelowTheProgramBaseAndRegisteredDirectories) {
    test::TTempDir dir;
    SetProgramDir(dir.path());
    const std::string prog = ProgramDirectory();
    SetResourceBaseDir("\\pages\\mine");
    EXPECT_TRUE(IsWritablePath(prog + "\\Usr\\a.cmml"));
    EXPECT_TRUE(IsWritablePath("\\PAGES\\mine\\x.cmml"));
    EXPECT_FALSE(IsWritablePath(prog + "\\..\\evil"));
    EXPECT_FALSE(IsWritablePath("\\pages\\mine\\..\\other\\x"));
    EXPECT_FALSE(IsWritablePath("relative\\x"));
    AddWritableRoot("\\projects\\p1");
    EXPECT_TRUE(IsWritablePath("\\projects\\p1\\default.varnoprj"));
    RemoveWritableRoot("\\projects\\p1\\");
    EXPECT_FALSE(IsWritablePath("\\projects\\p1\\default.varnoprj"));
    {
        TResourceBaseScope scope("\\elsewhere");
        EXPECT_TRUE(IsWritablePath("\\elsewhere\\f"));
    }
    EXPECT_EQ(ResourceBaseDir(), "\\pages\\mine");
    SetResourceBaseDir({});
}

TEST(SystemPath, ListsFilesAndDirectories) {
    test::TTempDir dir;
    test::WriteBytes(dir.path() / "b.varnores", "x");
    test::WriteBytes(dir.path() / "a.TXT", "x");
    test::WriteBytes(dir.path() / "Zeta" / "z", "x");
    test::WriteBytes(dir.path() / "alpha" / "a", "x");
    const std::string base = SystemPath(dir.path());
    const TDirectory all = ListDirectory(base + "\\*");
    EXPECT_EQ(all.Files, (std::vector<std::string>{"a.TXT", "b.varnores"}));
    EXPECT_EQ(all.Dirs, (std::vector<std::string>{"Zeta", "alpha"}));
    EXPECT_EQ(ListDirectory(base + "\\*.txt").Files, std::vector<std::string>{"a.TXT"});
    EXPECT_TRUE(ListDirectory(base + "\\missing\\*").Dirs.empty());
}

}  // namespace
}  // namespace varno
