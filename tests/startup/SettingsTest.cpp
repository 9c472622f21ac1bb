// The settings store Kernel\Cookies.ini: key=value lines, "env:" settings, changes kept in memory.
#include <gtest/gtest.h>

#include "resources/SystemPath.h"
#include "startup/Settings.h"
#include "support/TestSupport.h"

namespace varno {
namespace {

TEST(Settings, ReadsKeysAndKeepsChangesInMemory) {
    test::TTempDir dir;
    test::WriteBytes(dir.path() / "kernel" / "COOKIES.INI",
                     "env:statusBar=0\r\nrank=a=b\nenv:statusBar=1\r\n\r\nnoequals\nenv:disableCodeCompletion=\n");
    TSettings settings;
    settings.Load(SystemPath(dir.path()));
    EXPECT_EQ(settings.GetSetting("statusBar"), "0");  // the first line of a key counts
    EXPECT_EQ(settings.Get("RANK"), "a=b");           // keys ignore letter case; values keep every "="
    EXPECT_EQ(settings.GetSetting("disableCodeCompletion"), "");
    EXPECT_EQ(settings.GetSetting("missing"), "");
    EXPECT_EQ(settings.Get("noequals"), "");

    settings.SetSetting("statusBar", "1");
    EXPECT_EQ(settings.GetSetting("statusBar"), "1");
    EXPECT_EQ(settings.Lines(), (std::vector<std::string>{"rank=a=b", "noequals", "env:disableCodeCompletion=",
                                                          "env:statusBar=1"}));
    // Nothing is written back.
    EXPECT_EQ(test::ReadBytes(dir.path() / "kernel" / "COOKIES.INI").rfind("env:statusBar=0", 0), 0u);

    TSettings none;
    none.Load(SystemPath(dir.path() / "nowhere"));
    EXPECT_TRUE(none.Lines().empty());
}

}  // namespace
}  // namespace varno
