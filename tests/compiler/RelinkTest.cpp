// Re-linking: compiled blocks written, read back and relinked give the same code; names that fail.
#include <gtest/gtest.h>

#include <set>

#include "CompilerFixture.h"
#include "base/Error.h"
#include "compiler/Relink.h"
#include "runtime/ByteStream.h"
#include "runtime/ClassFile.h"
#include "runtime/Function.h"
#include "runtime/Opcodes.h"

namespace varno {
namespace {

using test::CodeText;
using test::MethodCode;
using test::Words;

// A source that leaves a record of every kind: a global's cell (1), members (4), member
// names (5), dynamic, static, super, native calls (14 to 17), new (18) and is (32).
constexpr const char* kEveryRecord = R"(extends classes.Base;
native own;
function f(a) {
  var i;
  $g = x + o.y;
  o.move(1);
  g();
  super(1);
  super.bf();
  own();
  nat();
  i = new Point(a) is Point;
  return "s" + 1.5;
}
function g() {}
q = f(null);
)";

class RelinkTest : public test::TCompilerTest {
protected:
    RelinkTest() : m_base(addClass("classes", "Base", {"o", "x"})) {
        addMethod(m_base, "function", "bf");
        addMethod(m_base, "native", "nat");
        addMethod(m_base, "constructor", "Base");
        addClass("classes.game", "Point");
    }

    // The block written as in a class file and read back.
    static std::unique_ptr<TCompiledInfo> Reread(const TCompiledInfo& info) {
        TByteWriter out;
        WriteCompiledInfo(info, out);
        TByteReader in(out.bytes());
        return ReadCompiledInfo(in);
    }

    // A block of the given words with one record at offset 0.
    static std::unique_ptr<TCompiledInfo> Block(std::vector<std::uint32_t> words, std::int32_t kind,
                                                const std::string& text, std::uint32_t offset = 0) {
        TSymInfoList symbols;
        AddRecord(symbols, kind, offset, text);
        const std::string code(reinterpret_cast<const char*>(words.data()), words.size() * 4);
        return std::make_unique<TCompiledInfo>(std::move(symbols), code);
    }

    TRTTI& m_base;
};

// Overwrites every operand re-linking supplies, so that only re-linking can restore it.
void Scramble(TCompiledInfo& info) {
    for (const TCInfoElem& elem : info.symbols().elements) {
        for (std::uint32_t at : elem.offsets) {
            switch (elem.kind) {
                case 1:
                    if (!elem.text.empty()) {
                        info.setWord(at + 4, 0);
                        info.setWord(at + 8, 0xDEAD);
                    }
                    break;
                case 4: case 5: case 32: info.setWord(at + 4, 0xDEAD); break;
                default: info.setWord(at + 8, 0xDEAD); break;
            }
        }
    }
}

TEST_F(RelinkTest, RereadBlocksRelinkToTheSameWords) {
    TRTTI& cls = compile(kEveryRecord);
    ASSERT_TRUE(cls.Compiled());
    std::set<std::int32_t> kinds;
    for (const TCompiledInfo* block : {&MethodCode(cls, "f"), &MethodCode(cls, "g"),
                                       static_cast<const TCompiledInfo*>(cls.Code())}) {
        for (const TCInfoElem& elem : block->symbols().elements) kinds.insert(elem.kind);
        std::unique_ptr<TCompiledInfo> copy = Reread(*block);
        EXPECT_EQ(copy->cls(), nullptr);
        Scramble(*copy);
        Relink(*copy, cls);
        EXPECT_EQ(copy->cls(), &cls);
        EXPECT_EQ(Words(*copy, false), Words(*block, false)) << CodeText(*block);
        EXPECT_EQ(copy->symbols().points.size(), block->symbols().points.size());
    }
    EXPECT_EQ(kinds, (std::set<std::int32_t>{1, 4, 5, 14, 15, 16, 17, 18, 32}));
}

// Through the class file: the installed hook relinks each block to the reading class.
TEST_F(RelinkTest, ClassFileRoundTripThroughTheInstalledHook) {
    TRTTI& cls = compile(kEveryRecord);
    const std::string bytes = WriteClassFile(cls, 77);
    TRTTI& copy = root().folder("copy").add(std::make_unique<TRTTI>("Copy", ""));
    ASSERT_TRUE(ReadClassFile(copy, bytes, 77));
    EXPECT_EQ(CodeText(*copy.Code()), CodeText(*cls.Code()));
    EXPECT_EQ(CodeText(MethodCode(copy, "f")), CodeText(MethodCode(cls, "f")));
    EXPECT_EQ(MethodCode(copy, "f").cls(), &copy);
    // The native call names the copy's own function, found by name.
    const TCompiledInfo& code = MethodCode(copy, "f");
    for (const TCInfoElem& elem : code.symbols().elements) {
        if (elem.kind == 17 && elem.text == "own") {
            EXPECT_EQ(code.word(elem.offsets[0] + 8), copy.MethodByName("own")->ref());
        }
    }
}

TEST_F(RelinkTest, NamesThatCannotBeResolvedRaise) {
    TRTTI& sub = addClass("classes", "Sub", {}, &m_base);
    TRTTI& plain = addClass("classes", "Plain");
    constexpr auto Call = [](TOpcode op) { return std::vector<std::uint32_t>{static_cast<std::uint32_t>(op), 0, 0, 48}; };
    const struct {
        std::vector<std::uint32_t> words;
        std::int32_t kind;
        std::string text;
        TRTTI* cls;
        std::string message;
    } cases[] = {
        {{1, 0, 0, 48}, 1, "notglobal", &sub, "Valuenotglobal is not found."},
        {{1, 0, 0, 48}, 1, "classes", &sub, "Valueclasses is not found."},  // a folder has no cell
        {Call(Op_SCall), 15, "nope", &sub, "Methodnope is not found."},
        {Call(Op_SuperCall), 16, "nope", &sub, "Method super.nope is not found."},
        {Call(Op_SuperCall), 16, "nat", &sub, "Method super.nat is not found."},  // native: not enterable
        {Call(Op_SuperCall), 16, "constructor", &plain, "Method super.constructor is not found."},
        {Call(Op_SuperCall), 16, "destructor", &sub, "Method super.destructor is not found."},
        {Call(Op_NativeCall), 17, "bf", &sub, "native Methodbf is not found."},  // byte code: not callable
        {Call(Op_NativeCall), 17, "nope", &sub, "native Methodnope is not found."},
        {Call(Op_Constructor), 18, "classes.Nope", &sub, "Classclasses.Nope is not found."},
        {{32, 0, 48}, 32, "classes", &sub, "Classclasses is not found."},
    };
    for (const auto& c : cases) {
        auto block = Block(c.words, c.kind, c.text);
        try {
            Relink(*block, *c.cls);
            ADD_FAILURE() << c.message << " was not raised";
        } catch (const EVarno& e) {
            EXPECT_EQ(std::string(e.what()), c.message);
        }
    }
}

TEST_F(RelinkTest, RecordsOutsideTheBlockAreRefused) {
    auto block = Block({static_cast<std::uint32_t>(Op_SMemberValPtr), 0, 48}, 4, "x", 8);
    EXPECT_THROW(Relink(*block, m_base), EVarno);
}

TEST_F(RelinkTest, PlainConstantsAreLeftAlone) {
    TSymInfoList symbols;
    AddRecord(symbols, 1, 0, "");
    AddRecord(symbols, 1, 12, "");
    const std::vector<std::uint32_t> words = {1, 1, 7, 1, 2, 0x3FC00000u, 48};
    TCompiledInfo block(std::move(symbols), std::string(reinterpret_cast<const char*>(words.data()), words.size() * 4));
    Relink(block, m_base);
    EXPECT_EQ(Words(block, false), words);
}

TEST_F(RelinkTest, AGlobalNamedByARecordIsCreatedOnRelink) {
    auto block = Block({1, 0, 0xDEAD, 48}, 1, "$fresh");
    Relink(*block, m_base);
    TResource* global = root().Find("$fresh");
    ASSERT_NE(global, nullptr);
    EXPECT_EQ(block->word(4) & 0xFF, static_cast<std::uint32_t>(tvRef));
    EXPECT_EQ(block->word(8), RefOf(global->ValueCell()));
}

}  // namespace
}  // namespace varno
