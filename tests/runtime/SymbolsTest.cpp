// The symbol table: fixed first symbols, case folding, the first spelling kept.
#include <gtest/gtest.h>

#include "runtime/CaseFold.h"
#include "runtime/Symbols.h"

namespace varno {
namespace {

TEST(Symbols, TheFirstFourAreFixed) {
    EXPECT_EQ(Intern("_body"), kSymBody);
    EXPECT_EQ(Intern("GC_MARK"), kSymGcMark);
    EXPECT_EQ(Intern("_generator"), kSymGenerator);
    EXPECT_EQ(Intern("_ErrorHook"), kSymErrorHook);
    EXPECT_EQ(SymbolName(kSymErrorHook), "_errorHook");
}

TEST(Symbols, CaseIsIgnoredAndTheFirstSpellingKept) {
    const struct {
        const char* first;
        const char* second;
        bool same;
    } cases[] = {
        {"SymFoo", "symfoo", true},
        {"symBAR", "SYMbar", true},
        {"sym_x1", "SYM_X1", true},
        {"symA", "symB", false},
        {"sym\x83\x41", "sym\x83\x61", false},  // trail bytes that look like A and a stay apart
        {"SYMq\x83\x41", "symQ\x83\x41", true},  // the letters around a two-byte character still fold
    };
    for (const auto& c : cases) {
        const std::int32_t before = SymbolCount();
        const std::int32_t first = Intern(c.first);
        EXPECT_EQ(first, before) << "a new name takes the table's size";
        const std::int32_t second = Intern(c.second);
        EXPECT_EQ(first == second, c.same) << c.first << " / " << c.second;
        EXPECT_EQ(SymbolName(first), c.first);
        EXPECT_EQ(FindSymbol(c.second) >= 0, true);
    }
}

TEST(Symbols, UnknownNumbersAndNames) {
    EXPECT_EQ(SymbolName(-1), "");
    EXPECT_EQ(SymbolName(SymbolCount()), "");
    EXPECT_EQ(FindSymbol("never_interned_name_xyz"), -1);
}

TEST(Symbols, ManyNamesStayDistinct) {
    std::vector<std::int32_t> numbers;
    for (int i = 0; i < 5000; ++i) numbers.push_back(Intern("bulk" + std::to_string(i)));
    for (int i = 0; i < 5000; ++i) {
        EXPECT_EQ(Intern("BULK" + std::to_string(i)), numbers[static_cast<std::size_t>(i)]);
    }
}

TEST(CaseFold, CompareAndHashAgree) {
    EXPECT_EQ(CompareText("abc", "ABD"), -1);
    EXPECT_EQ(CompareText("Cancel", "cancel"), 0);
    EXPECT_EQ(CompareText("ab", "abc"), -1);
    EXPECT_EQ(HashText("Cancel"), HashText("CANCEL"));
    EXPECT_EQ(FoldCase("Ab\x83\x41Z"), "ab\x83\x41z");
}

}  // namespace
}  // namespace varno
