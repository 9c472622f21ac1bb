// The code writer: encodings and symbol records, string constants, growth, back-patching, Finish.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "CompilerFixture.h"
#include "base/Error.h"
#include "compiler/ProgWriter.h"
#include "runtime/Function.h"
#include "runtime/Symbols.h"

namespace varno {
namespace {

using test::TCompilerTest;

std::vector<std::uint32_t> WordsOf(const TProgWriter& writer) {
    std::vector<std::uint32_t> words(static_cast<std::size_t>(writer.Size()) / 4);
    std::memcpy(words.data(), writer.Buffer(), words.size() * 4);
    return words;
}

using WriterTest = TCompilerTest;

// Every instruction-writing operation: its words and the symbol record it leaves.
TEST_F(WriterTest, EachOperationWritesItsWordsAndRecord) {
    TRTTI& target = addClass("classes.game", "Char");
    TFunction& method = addMethod(target, "function", "walk");
    const auto sym = [](const char* name) { return static_cast<std::uint32_t>(Intern(name)); };
    const std::uint32_t cls = target.ref();
    const std::uint32_t fn = method.ref();

    struct TCase {
        const char* label;
        std::function<void(TProgWriter&)> write;
        std::vector<std::uint32_t> words;
        std::int32_t kind;  // 0: no record
        std::string text;
    };
    const std::vector<TCase> cases = {
        {"Pop", [](auto& w) { w.WritePop(); }, {0}, 0, ""},
        {"PushInt", [](auto& w) { w.WritePushInt(-7); }, {1, 1, 0xFFFFFFF9u}, 1, ""},
        {"PushFloat", [](auto& w) { w.WritePushFloat(1.5f); }, {1, 2, 0x3FC00000u}, 1, ""},
        {"Push null", [](auto& w) { w.WritePush(TValue::Null(), ""); }, {1, 0, 0}, 1, ""},
        {"PushThis", [](auto& w) { w.WritePushThis(); }, {3}, 0, ""},
        {"SMember", [](auto& w) { w.WriteSMemberValPtr(5, "hp"); }, {4, 5}, 4, "hp"},
        {"DMember", [](auto& w) { w.WriteDMemberValPtr("hp"); }, {5, sym("hp"), 0}, 5, "hp"},
        {"Local", [](auto& w) { w.WriteLocalValPtr(2); }, {6, 2}, 0, ""},
        {"Arg", [](auto& w) { w.WriteArgValPtr(3); }, {7, 3}, 0, ""},
        {"DCall", [](auto& w) { w.WriteDCall("move", 2); }, {14, 2, sym("move"), 0}, 14, "move"},
        {"SCall", [](auto& w) { w.WriteSCall(4, 1, "walk"); }, {15, 1, 4}, 15, "walk"},
        {"SuperCall", [&](auto& w) { w.WriteSuperCall(&method, 0, "walk"); }, {16, 0, fn}, 16, "walk"},
        {"SuperCall none", [](auto& w) { w.WriteSuperCall(nullptr, 1, "constructor"); }, {16, 1, 0}, 16,
         "constructor"},
        {"NativeCall", [&](auto& w) { w.WriteNativeCall(&method, 3, "walk"); }, {17, 3, fn}, 17, "walk"},
        {"Constructor", [&](auto& w) { w.WriteConstructor(target, 2); }, {18, 2, cls}, 18, "classes.game.Char"},
        {"Is", [&](auto& w) { w.WriteIs(target); }, {32, cls}, 32, "classes.game.Char"},
        {"Not Neg Deref", [](auto& w) { w.WriteNot(); w.WriteNeg(); w.WriteDeref(); }, {33, 34, 38}, 0, ""},
        {"Jumps",
         [](auto& w) { w.WriteJump(-8); w.WriteJumpZero(16); w.WriteJumpAnd(24); w.WriteJumpOr(32); },
         {39, 0xFFFFFFF8u, 40, 16, 41, 24, 42, 32}, 0, ""},
        {"ForIn", [](auto& w) { w.WriteInitForIn(); w.WriteDoForIn(12); w.WriteClearForIn(); }, {44, 45, 12, 46}, 0,
         ""},
        {"Ret Halt", [](auto& w) { w.WriteRet(); w.WriteHalt(); }, {43, 48}, 0, ""},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.label);
        TProgWriter writer(nullptr);
        writer.WritePop();  // records land at the instruction's offset, here 4
        c.write(writer);
        std::vector<std::uint32_t> expected = {0};
        expected.insert(expected.end(), c.words.begin(), c.words.end());
        EXPECT_EQ(WordsOf(writer), expected);
        const auto& elements = writer.Symbols().elements;
        if (c.kind == 0) {
            EXPECT_TRUE(elements.empty());
        } else {
            ASSERT_EQ(elements.size(), 1u);
            EXPECT_EQ(elements[0].kind, c.kind);
            EXPECT_EQ(elements[0].text, c.text);
            EXPECT_EQ(elements[0].offsets, std::vector<std::uint32_t>{4});
        }
    }
}

TEST(WriterOperators, TextPicksTheOpcode) {
    const std::pair<const char*, std::uint32_t> cases[] = {
        {"+", 19},  {"+=", 36}, {"-", 20},  {"-=", 37}, {"*", 21},  {"/", 22},  {"%", 23},  {">", 24},
        {">=", 25}, {"<", 26},  {"<=", 27}, {"=", 35},  {"==", 28}, {"!=", 29}, {"&&", 30}, {"||", 31},
    };
    for (const auto& [text, code] : cases) {
        TProgWriter writer(nullptr);
        writer.WriteOperator(text);
        EXPECT_EQ(WordsOf(writer), std::vector<std::uint32_t>{code}) << text;
    }
}

TEST(WriterPush, ObjectValuesAreRefusedAndReferencesKept) {
    TProgWriter writer(nullptr);
    try {
        writer.WritePush(TValue::Object(64), "");
        FAIL() << "an object constant was written";
    } catch (const EVarno& e) {
        EXPECT_STREQ(e.what(), "WritePush Error");
    }
    EXPECT_EQ(writer.Size(), 0);
    EXPECT_TRUE(writer.Symbols().elements.empty());

    writer.WritePush(TValue::Make(tvRef, 0x1234), "$score");
    EXPECT_EQ(WordsOf(writer), (std::vector<std::uint32_t>{1, 4, 0x1234}));
    ASSERT_EQ(writer.Symbols().elements.size(), 1u);
    EXPECT_EQ(writer.Symbols().elements[0].text, "$score");
}

// 2, L, the text, a 0 byte and padding: L = (length + 4) & ~3.
TEST(WriterPush, StringConstantLayout) {
    const struct {
        std::string text;
        std::vector<std::uint8_t> bytes;
    } cases[] = {
        {"", {2, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0}},
        {"abc", {2, 0, 0, 0, 4, 0, 0, 0, 'a', 'b', 'c', 0}},
        {"abcd", {2, 0, 0, 0, 8, 0, 0, 0, 'a', 'b', 'c', 'd', 0, 0, 0, 0}},
        {"abcdefg", {2, 0, 0, 0, 8, 0, 0, 0, 'a', 'b', 'c', 'd', 'e', 'f', 'g', 0}},
    };
    for (const auto& c : cases) {
        TProgWriter writer(nullptr);
        writer.WritePushString(c.text);
        ASSERT_EQ(writer.Size(), static_cast<std::int32_t>(c.bytes.size())) << c.text;
        EXPECT_EQ(std::vector<std::uint8_t>(writer.Buffer(), writer.Buffer() + writer.Size()), c.bytes) << c.text;
        EXPECT_TRUE(writer.Symbols().elements.empty());
    }
}

TEST(WriterRecords, SameKindAndTextShareOneElement) {
    TProgWriter writer(nullptr);
    writer.WriteDCall("move", 0);   // 0
    writer.WriteDMemberValPtr("move");  // 16
    writer.WriteDCall("move", 1);   // 28
    writer.WriteDCall("Move", 1);   // 44: records compare exactly
    writer.WritePoint(17);          // a source point at 60, no element
    const auto& elements = writer.Symbols().elements;
    ASSERT_EQ(elements.size(), 3u);
    EXPECT_EQ(elements[0].kind, 14);
    EXPECT_EQ(elements[0].offsets, (std::vector<std::uint32_t>{0, 28}));
    EXPECT_EQ(elements[1].kind, 5);
    EXPECT_EQ(elements[2].text, "Move");
    ASSERT_EQ(writer.Symbols().points.size(), 1u);
    EXPECT_EQ(writer.Symbols().points[0].text, "17");
    EXPECT_EQ(writer.Symbols().points[0].offset, 60u);
    EXPECT_EQ(writer.Size(), 60);  // a point writes nothing
}

TEST(WriterGrowth, DoublesFrom256AndKeepsTheBytes) {
    TProgWriter writer(nullptr);
    EXPECT_EQ(writer.Capacity(), 256);
    std::vector<std::uint32_t> expected;
    for (std::int32_t i = 0; i < 64; ++i) {  // 64 words: exactly full
        writer.WriteLocalValPtr(i);
        expected.insert(expected.end(), {6, static_cast<std::uint32_t>(i)});
        if (writer.Size() == 256) break;
    }
    EXPECT_EQ(writer.Size(), 256);
    EXPECT_EQ(writer.Capacity(), 256);
    writer.WritePop();  // the next byte needs room
    expected.push_back(0);
    EXPECT_EQ(writer.Capacity(), 512);
    while (writer.Size() < 600) {
        writer.WritePushInt(writer.Size());
        expected.insert(expected.end(), {1, 1, static_cast<std::uint32_t>(writer.Size() - 12)});
    }
    EXPECT_EQ(writer.Capacity(), 1024);
    EXPECT_EQ(WordsOf(writer), expected);
    EXPECT_EQ(writer.ByteCount(), writer.Size());
}

TEST(WriterPatch, OverwriteKeepsSizeAndSeekEndReturns) {
    TProgWriter writer(nullptr);
    writer.WritePushThis();
    const std::int32_t jump = writer.GetPos();
    writer.WriteJumpZero(0);
    writer.WritePop();
    writer.WritePop();
    const std::int32_t end = writer.GetPos();
    writer.SetPos(jump);
    writer.WriteJumpZero(end - jump);
    EXPECT_EQ(writer.GetPos(), jump + 8);
    EXPECT_EQ(writer.Size(), end);
    writer.SeekEnd();
    EXPECT_EQ(writer.GetPos(), end);
    EXPECT_EQ(WordsOf(writer), (std::vector<std::uint32_t>{3, 40, 16, 0, 0}));
    EXPECT_EQ(writer.WriteCount(), 5);  // overwrites count as writes
    EXPECT_EQ(writer.ByteCount(), 28);
}

TEST_F(WriterTest, FinishHandsOverExactlyTheCode) {
    TRTTI& owner = addClass("classes", "Owner");
    TProgWriter writer(&owner);
    for (int i = 0; i < 100; ++i) writer.WriteDCall("f", i);  // grows to 2048 bytes of capacity
    writer.WritePoint(3);
    writer.WriteHalt();
    const std::unique_ptr<TCompiledInfo> info = writer.Finish();
    EXPECT_EQ(info->size(), 1604u);
    EXPECT_EQ(info->cls(), &owner);
    EXPECT_EQ(info->word(1600), 48u);
    EXPECT_EQ(info->word(16 * 99 + 4), 99u);
    ASSERT_EQ(info->symbols().elements.size(), 1u);
    EXPECT_EQ(info->symbols().elements[0].offsets.size(), 100u);
    EXPECT_EQ(info->symbols().points.size(), 1u);
    EXPECT_EQ(writer.Size(), 0);
    EXPECT_TRUE(writer.Symbols().elements.empty());
}

}  // namespace
}  // namespace varno
