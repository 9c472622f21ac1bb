// The compiled class file: round trip, the reasons to refuse a file, and hostile bytes.
#include <gtest/gtest.h>

#include "RuntimeFixture.h"
#include "base/Error.h"
#include "base/Text.h"
#include "runtime/ByteStream.h"
#include "runtime/ClassFile.h"
#include "runtime/CodeVerifier.h"
#include "runtime/Peephole.h"
#include "runtime/Symbols.h"
#include "support/TestSupport.h"

namespace varno {
namespace {

using test::TAsm;
using test::THooksScope;
using test::TRootScope;
using test::TTestFolder;
using test::Words;

constexpr std::int32_t kAge = 0x5A5A1234;

// A global variable node: a name and a value cell.
class TTestGlobal : public TResource {
public:
    explicit TTestGlobal(std::string name) : TResource(std::move(name), "") {}
    TValue* ValueCell() override { return &m_value; }

private:
    TValue m_value;
};

// Patches the operands named by a block's records, as re-linking does.
void TestRelink(TCompiledInfo& info, TRTTI& cls) {
    info.setClass(&cls);
    auto notFound = [](const std::string& what) { throw EVarno(what + " is not found."); };
    for (const TCInfoElem& elem : info.symbols().elements) {
        for (std::uint32_t at : elem.offsets) {
            switch (elem.kind) {
                case 1: {
                    if (elem.text.empty()) break;
                    TResource* global = FindResource(elem.text);
                    if (global == nullptr || global->ValueCell() == nullptr) notFound("Value" + elem.text);
                    info.setWord(at + 4, (info.word(at + 4) & ~0xFFu) | static_cast<std::uint32_t>(tvRef));
                    info.setWord(at + 8, RefOf(global->ValueCell()));
                    break;
                }
                case 4: info.setWord(at + 4, static_cast<std::uint32_t>(cls.MemberIndexOf(elem.text))); break;
                case 5: info.setWord(at + 4, static_cast<std::uint32_t>(Intern(elem.text))); break;
                case 14: info.setWord(at + 8, static_cast<std::uint32_t>(Intern(elem.text))); break;
                case 15: {
                    const int index = cls.MethodIndexByName(elem.text);
                    if (index < 0) notFound("Method" + elem.text);
                    info.setWord(at + 8, static_cast<std::uint32_t>(index));
                    break;
                }
                case 16: {
                    TFunction* f = cls.SuperClass() ? cls.SuperClass()->MethodByName(elem.text) : nullptr;
                    if (f == nullptr) notFound("Method super." + elem.text);
                    info.setWord(at + 8, f->ref());
                    break;
                }
                case 17: {
                    TFunction* f = cls.MethodByName(elem.text);
                    if (f == nullptr) notFound("native Method" + elem.text);
                    info.setWord(at + 8, f->ref());
                    break;
                }
                case 18:
                case 32: {
                    TRTTI* target = FindClass(elem.text);
                    if (target == nullptr) notFound("Class" + elem.text);
                    info.setWord(at + (elem.kind == 18 ? 8 : 4), target->ref());
                    break;
                }
                default: break;
            }
        }
    }
}

// classes.Base (compiled: member x, function hello, native nat) and classes.Derived
// extending it (member y; hello overridden; a constructor; tick using every kind of
// operand that needs re-linking), plus the global $g.
class ClassFileFixture : public ::testing::Test {
protected:
    ClassFileFixture() {
        RuntimeHooks().relink = TestRelink;
        m_global = m_tree.root().add(std::make_unique<TTestGlobal>("$g"));
        auto* classes = m_tree.root().add(std::make_unique<TTestFolder>("classes"));
        m_base = classes->add(std::make_unique<TRTTI>("Base", ""));
        m_base->MemberIndexOf("x");
        m_baseHello = new TNormalFunction(m_base, Intern("hello"));
        m_baseHello->SetCode(TAsm().op(Op_PushThis).op(Op_Ret).op(Op_Halt).info(m_base));
        m_base->AddOrReplaceMethod(m_baseHello);
        m_native = new TNativeFunction(m_base, Intern("nat"));
        m_base->AddMethod(m_native);
        m_base->SetCode(TAsm().op(Op_Push, {2, 0}).op(Op_Halt).info(m_base));
        m_base->SetCompiled(true);

        m_derived = classes->add(std::make_unique<TRTTI>("Derived", ""));
        m_derived->SetSuperClass(m_base);
        m_derived->InheritMethods();
        auto* hello = new TNormalFunction(m_derived, Intern("hello"));
        hello->SetCode(TAsm().op(Op_PushThis).op(Op_Ret).op(Op_Halt).info(m_derived));
        m_derived->AddOrReplaceMethod(hello);
        auto* ctor = new TConstructor(m_derived, Intern("constructor"));
        ctor->SetCode(TAsm().op(Op_PushThis).op(Op_Ret).op(Op_Halt).info(m_derived));
        m_derived->AddOrReplaceMethod(ctor);
        auto* tick = new TNormalFunction(m_derived, Intern("tick"));
        tick->Arguments() = {"n"};
        tick->Locals() = {"i"};
        m_derived->AddOrReplaceMethod(tick);
        m_derived->InheritMembers();
        const int y = m_derived->MemberIndexOf("y");

        TAsm a;
        a.rec(kSourcePointKind, "12").op(Op_PushThis).rec(4, "y").op(Op_SMemberValPtr, {static_cast<std::uint32_t>(y)});
        a.op(Op_Deref).op(Op_Pop);
        a.rec(1, "$g").op(Op_Push, {4, RefOf(m_global->ValueCell())}).op(Op_Deref).op(Op_Pop);
        a.op(Op_PushThis).pushInt(1).rec(15, "hello").op(Op_SCall, {1, 0}).op(Op_Pop);
        a.op(Op_PushThis).rec(14, "hello").op(Op_DCall, {0, static_cast<std::uint32_t>(Intern("hello")), 0}).op(Op_Pop);
        a.op(Op_Push, {0, 0}).rec(18, "classes.Base").op(Op_Constructor, {0, m_base->ref()});
        a.rec(32, "classes.Base").op(Op_Is, {m_base->ref()}).op(Op_Pop);
        a.op(Op_PushThis).rec(17, "nat").op(Op_NativeCall, {0, m_native->ref()}).op(Op_Pop);
        a.op(Op_PushThis).rec(16, "hello").op(Op_SuperCall, {0, m_baseHello->ref()}).op(Op_Pop);
        a.rec(kSourcePointKind, "40").op(Op_LocalValPtr, {0}).op(Op_Deref).op(Op_Pop);
        a.op(Op_ArgValPtr, {0}).op(Op_Deref).op(Op_Pop);
        a.pushString("hi").op(Op_Pop);
        a.op(Op_PushThis).rec(5, "y").op(Op_DMemberValPtr, {static_cast<std::uint32_t>(Intern("y")), 0}).op(Op_Deref).op(Op_Pop);
        a.op(Op_PushThis).op(Op_Ret).op(Op_Halt);
        tick->SetCode(a.info(m_derived));
        Peephole(*tick->Code());

        m_derived->SetCode(TAsm().rec(kSourcePointKind, "0").op(Op_Push, {2, 0}).op(Op_Halt).info(m_derived));
        m_derived->SetCompiled(true);
        m_bytes = WriteClassFile(*m_derived, kAge);
    }

    // Reads bytes into a fresh class named Derived.
    bool read(std::string_view bytes, std::int32_t age = kAge) {
        m_fresh = std::make_unique<TRTTI>("Derived", "");
        return ReadClassFile(*m_fresh, bytes, age);
    }

    void expectReset() {
        EXPECT_FALSE(m_fresh->Compiled());
        EXPECT_EQ(m_fresh->Members().count(), 0);
        EXPECT_TRUE(m_fresh->Methods().empty());
        EXPECT_EQ(m_fresh->Code(), nullptr);
    }

    THooksScope m_hooks;
    TRootScope m_tree;
    TResource* m_global = nullptr;
    TRTTI* m_base = nullptr;
    TNormalFunction* m_baseHello = nullptr;
    TNativeFunction* m_native = nullptr;
    TRTTI* m_derived = nullptr;
    std::string m_bytes;
    std::unique_ptr<TRTTI> m_fresh;
};

TEST_F(ClassFileFixture, RoundTripRebuildsTheClassAndItsCode) {
    ASSERT_TRUE(read(m_bytes));
    TRTTI& c = *m_fresh;
    EXPECT_TRUE(c.Compiled());
    EXPECT_EQ(c.SuperClass(), m_base);
    ASSERT_EQ(c.Members().count(), 2);
    EXPECT_EQ(c.Members().nameAt(0), "x");
    EXPECT_EQ(c.Members().nameAt(1), "y");
    ASSERT_EQ(c.Methods().size(), m_derived->Methods().size());
    for (std::size_t i = 0; i < c.Methods().size(); ++i) {
        const TFunction* mine = c.Methods()[i];
        const TFunction* theirs = m_derived->Methods()[i];
        EXPECT_EQ(mine->NameText(), theirs->NameText()) << i;
        EXPECT_EQ(mine->kind(), theirs->kind()) << i;
        EXPECT_EQ(mine->Owner() == &c, theirs->Owner() == m_derived) << i;
    }
    EXPECT_EQ(c.MethodAt(1), m_native) << "inherited entries are the superclass's functions";
    const auto* tick = static_cast<const TNormalFunction*>(c.MethodByName("tick"));
    const auto* original = static_cast<const TNormalFunction*>(m_derived->MethodByName("tick"));
    EXPECT_EQ(tick->Arguments(), original->Arguments());
    EXPECT_EQ(tick->Locals(), original->Locals());
    EXPECT_EQ(Words(*tick->Code()), Words(*original->Code())) << "re-linked to the same cells, classes, functions";
    EXPECT_EQ(tick->Code()->cls(), &c);
    EXPECT_GT(tick->Code()->maxStackDepth(), 0);
    EXPECT_EQ(Words(*c.Code()), Words(*m_derived->Code()));
    // Writing the read class gives the same bytes.
    EXPECT_EQ(WriteClassFile(c, kAge), m_bytes);
}

TEST_F(ClassFileFixture, RefusalsLeaveTheClassUntouched) {
    EXPECT_FALSE(read(m_bytes, kAge + 1)) << "the source changed";
    expectReset();
    std::string version = m_bytes;
    version[0] ^= 1;
    EXPECT_FALSE(read(version)) << "another version";

    m_base->SetCompiled(false);
    EXPECT_FALSE(read(m_bytes)) << "superclass not compiled yet";
    expectReset();
    m_base->SetCompiled(true);

    RuntimeHooks().relink = nullptr;
    EXPECT_FALSE(read(m_bytes)) << "no way to link the code";
    expectReset();
}

TEST_F(ClassFileFixture, AMissingSuperclassIsAnError) {
    m_base->SetName("Renamed");
    try {
        read(m_bytes);
        FAIL();
    } catch (const EVarno& e) {
        EXPECT_EQ(SjisToUtf8(e.what()), "SuperClassclasses.Baseはありません。");
    }
}

TEST_F(ClassFileFixture, BrokenFilesRaiseTheBrokenFileErrorAndResetTheClass) {
    const std::string broken = "Class FileDerived is broken";
    auto expectBroken = [&](const std::string& bytes, const std::string& what) {
        try {
            read(bytes);
            ADD_FAILURE() << what;
        } catch (const EVarno& e) {
            EXPECT_EQ(std::string(e.what()), broken) << what;
        }
        expectReset();
    };
    // Every truncation.
    for (std::size_t n = 0; n < m_bytes.size(); ++n) expectBroken(m_bytes.substr(0, n), "cut at " + std::to_string(n));
    expectBroken(m_bytes + "x", "bytes after the end");

    // Counts that promise more than the file holds allocate nothing.
    TByteWriter huge;
    huge.writeInt32(kClassFileVersion);
    huge.writeInt32(kAge);
    huge.writeText("classes.Base");
    huge.writeInt32(0x7FFFFFFF);
    expectBroken(huge.bytes(), "member count");
    TByteWriter hugeText;
    hugeText.writeInt32(kClassFileVersion);
    hugeText.writeInt32(kAge);
    hugeText.writeInt32(0x7FFFFFF0);
    expectBroken(hugeText.bytes(), "text length");

    // A kind name that is no function kind.
    std::string kind = m_bytes;
    const std::size_t at = kind.find("TConstructor");
    ASSERT_NE(at, std::string::npos);
    kind[at + 1] = 'X';
    expectBroken(kind, "kind name");
}

TEST_F(ClassFileFixture, BitFlipsNeverCrashAndNeverLeaveAHalfLoadedClass) {
    int loaded = 0;
    int refused = 0;
    int raised = 0;
    for (std::size_t byte = 0; byte < m_bytes.size(); ++byte) {
        for (int bit = 0; bit < 8; ++bit) {
            std::string flipped = m_bytes;
            flipped[byte] = static_cast<char>(flipped[byte] ^ (1 << bit));
            try {
                if (read(flipped)) {
                    ++loaded;
                    // Whatever loaded is still code the compiler could have written.
                    for (TFunction* f : m_fresh->Methods()) {
                        if (f->Owner() == m_fresh.get() && f->isByteCode()) {
                            auto* code = static_cast<TNormalFunction*>(f)->Code();
                            EXPECT_NO_THROW(VerifyCode(*code, static_cast<TNormalFunction*>(f)->localCount()));
                        }
                    }
                } else {
                    ++refused;
                    EXPECT_FALSE(m_fresh->Compiled());
                }
            } catch (const EVarno&) {
                ++raised;
                expectReset();
            }
        }
    }
    EXPECT_GT(raised, 0);
    EXPECT_GT(refused, 0);
    RecordProperty("loaded", loaded);
}

}  // namespace
}  // namespace varno
