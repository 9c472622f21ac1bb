// Code blocks: symbol records, the peephole pass, source positions, the stored form, the verifier.
#include <gtest/gtest.h>

#include <functional>

#include "RuntimeFixture.h"
#include "runtime/ByteStream.h"
#include "runtime/CodeVerifier.h"
#include "runtime/Peephole.h"
#include "runtime/Symbols.h"

namespace varno {
namespace {

using test::TAsm;
using test::Words;

constexpr std::uint32_t W(TOpcode op) { return static_cast<std::uint32_t>(op); }

TEST(AddRecord, RecordsOfOneKindAndTextShareAnElement) {
    TSymInfoList symbols;
    AddRecord(symbols, 14, 0, "draw");
    AddRecord(symbols, 14, 16, "draw");
    AddRecord(symbols, 5, 32, "draw");
    AddRecord(symbols, 14, 44, "Draw");  // exact comparison
    AddRecord(symbols, kSourcePointKind, 60, "123");
    ASSERT_EQ(symbols.elements.size(), 3u);
    EXPECT_EQ(symbols.elements[0].offsets, (std::vector<std::uint32_t>{0, 16}));
    EXPECT_EQ(symbols.elements[1].kind, 5);
    EXPECT_EQ(symbols.elements[2].text, "Draw");
    ASSERT_EQ(symbols.points.size(), 1u);
    EXPECT_EQ(symbols.points[0].text, "123");
    EXPECT_EQ(symbols.points[0].offset, 60u);
}

TEST(Peephole, FusesInPlaceAndKeepsEveryOtherWord) {
    const std::uint32_t cell = 0x5000;
    const struct {
        const char* what;
        std::vector<std::uint32_t> before;
        std::vector<std::uint32_t> after;
    } cases[] = {
        {"x = $y: PushThis SMemberValPtr, Push Deref",
         {W(Op_PushThis), W(Op_SMemberValPtr), 0, W(Op_Push), 4, cell, W(Op_Deref), W(Op_Subst), W(Op_Pop), W(Op_Halt)},
         {W(Op_PushThis_SMemberValPtr), W(Op_SMemberValPtr), 0, W(Op_Push_Deref), 4, cell, W(Op_Deref), W(Op_Subst),
          W(Op_Pop), W(Op_Halt)}},
        {"PushThis SMemberValPtr Deref",
         {W(Op_PushThis), W(Op_SMemberValPtr), 2, W(Op_Deref), W(Op_Halt)},
         {W(Op_PushThis_SMemberValPtr_Deref), W(Op_SMemberValPtr), 2, W(Op_Deref), W(Op_Halt)}},
        {"PushThis followed by something else is left alone",
         {W(Op_PushThis), W(Op_DMemberValPtr), 9, 0, W(Op_Pop), W(Op_Halt)},
         {W(Op_PushThis), W(Op_DMemberValPtr), 9, 0, W(Op_Pop), W(Op_Halt)}},
        {"DMemberValPtr Deref",
         {W(Op_PushThis), W(Op_DMemberValPtr), 9, 0, W(Op_Deref), W(Op_Halt)},
         {W(Op_PushThis), W(Op_DMemberValPtr_Deref), 9, 0, W(Op_Deref), W(Op_Halt)}},
        {"LocalValPtr Deref and ArgValPtr Deref",
         {W(Op_LocalValPtr), 1, W(Op_Deref), W(Op_ArgValPtr), 0, W(Op_Deref), W(Op_Add), W(Op_Halt)},
         {W(Op_LocalValPtr_Deref), 1, W(Op_Deref), W(Op_ArgValPtr_Deref), 0, W(Op_Deref), W(Op_Add), W(Op_Halt)}},
        {"a string's bytes are skipped, even when they look like opcodes",
         {W(Op_PushString), 8, W(Op_LocalValPtr), 0, W(Op_Pop), W(Op_Halt)},
         {W(Op_PushString), 8, W(Op_LocalValPtr), 0, W(Op_Pop), W(Op_Halt)}},
        {"operand words equal to 38 are not instructions",
         {W(Op_Push), 1, 38, W(Op_Pop), W(Op_Halt)},
         {W(Op_Push), 1, 38, W(Op_Pop), W(Op_Halt)}},
        {"nothing after Halt is touched",
         {W(Op_Halt), W(Op_LocalValPtr), 0, W(Op_Deref)},
         {W(Op_Halt), W(Op_LocalValPtr), 0, W(Op_Deref)}},
    };
    for (const auto& c : cases) {
        TAsm code;
        for (std::uint32_t w : c.before) code.word(w);
        auto info = code.info();
        Peephole(*info);
        EXPECT_EQ(Words(*info), c.after) << c.what;
    }
}

TEST(Peephole, AJumpIntoAFusedSequenceStillFindsTheReplacedInstruction) {
    // while (x) x; with the loop jumping back onto the Deref of LocalValPtr_Deref.
    TAsm code;
    code.op(Op_LocalValPtr, {0});
    const std::uint32_t deref = code.pos();
    code.op(Op_Deref).op(Op_Pop);
    const std::uint32_t jump = code.pos();
    code.op(Op_Jump, {static_cast<std::uint32_t>(static_cast<std::int32_t>(deref) - static_cast<std::int32_t>(jump))});
    code.op(Op_Halt);
    auto info = code.info();
    Peephole(*info);
    EXPECT_EQ(info->word(0), W(Op_LocalValPtr_Deref));
    EXPECT_EQ(info->word(deref), W(Op_Deref)) << "the jump target keeps its own instruction";
    EXPECT_EQ(info->size(), code.pos());
}

TEST(Peephole, UnexpectedOpcodesAreInvalidInstructions) {
    const struct {
        std::uint32_t word;
        const char* message;
    } cases[] = {
        {11, "Invalid Instruction11"},
        {13, "Invalid Instruction13"},
        {49, "Invalid Instruction49"},
        {200, "Invalid Instruction-56"},
        {0x1234, "Invalid Instruction52"},
    };
    for (const auto& c : cases) {
        TAsm code;
        code.op(Op_Pop).word(c.word).op(Op_Halt);
        auto info = code.info();
        try {
            Peephole(*info);
            ADD_FAILURE() << c.word;
        } catch (const EVarno& e) {
            EXPECT_EQ(std::string(e.what()), c.message);
        }
    }
    TAsm noHalt;
    noHalt.op(Op_Pop).op(Op_PushString, {400});
    auto info = noHalt.info();
    EXPECT_THROW(Peephole(*info), EVarno) << "a walk that leaves the block stops";
}

TEST(SourcePosition, LastPointBeforeThePosition) {
    test::TRootScope tree;
    auto* folder = tree.root().add(std::make_unique<test::TTestFolder>("classes"));
    auto* cls = folder->add(std::make_unique<TRTTI>("Mover", ""));
    TAsm code;
    code.rec(kSourcePointKind, "10").op(Op_Pop);
    code.rec(kSourcePointKind, "25").op(Op_Pop).op(Op_Halt);
    auto info = code.info();
    EXPECT_EQ(SourcePosition(*info, info->code() + 4), "none") << "no class";
    info->setClass(cls);
    EXPECT_EQ(SourcePosition(*info, info->code()), "none") << "before the first point";
    EXPECT_EQ(SourcePosition(*info, info->code() + 4), "classes.Mover,10");
    EXPECT_EQ(SourcePosition(*info, info->code() + 8), "classes.Mover,25");
}

TEST(CompiledInfoFile, RoundTripKeepsRecordsPointsAndCode) {
    TAsm code;
    code.rec(kSourcePointKind, "7").op(Op_PushThis).rec(14, "run").op(Op_DCall, {0, 5, 0});
    code.op(Op_PushThis).rec(14, "run").op(Op_DCall, {0, 5, 0}).op(Op_Halt);
    auto info = code.info();
    TByteWriter out;
    WriteCompiledInfo(*info, out);
    TByteReader in(out.bytes());
    auto back = ReadCompiledInfo(in);
    EXPECT_EQ(in.remaining(), 0u);
    EXPECT_EQ(Words(*back), Words(*info));
    ASSERT_EQ(back->symbols().elements.size(), 1u);
    EXPECT_EQ(back->symbols().elements[0].offsets, (std::vector<std::uint32_t>{4, 24}));
    EXPECT_EQ(back->symbols().points[0].text, "7");
    EXPECT_EQ(back->cls(), nullptr);
    // Every truncation is an error, never a read past the end.
    for (std::size_t n = 0; n < out.bytes().size(); ++n) {
        TByteReader cut(std::string_view(out.bytes()).substr(0, n));
        EXPECT_THROW(ReadCompiledInfo(cut), EBrokenData) << n;
    }
}

// Builds a block and verifies it with the given number of locals.
struct TVerifyCase {
    const char* what;
    bool valid;
    std::function<void(TAsm&)> build;
    std::int32_t locals = 1;
};

TEST(VerifyCode, AcceptsCompilerShapedCodeAndRejectsTheRest) {
    const std::uint32_t back8 = static_cast<std::uint32_t>(-8);
    const TVerifyCase cases[] = {
        {"function tail", true, [](TAsm& a) { a.op(Op_PushThis).op(Op_Ret).op(Op_Halt); }},
        {"class code", true, [](TAsm& a) { a.op(Op_Push, {2, 0}).op(Op_Halt); }},
        {"while loop with fused local read", true,
         [](TAsm& a) {
             a.op(Op_LocalValPtr_Deref, {0, W(Op_Deref)}).pushInt(10).op(Op_LT).op(Op_JumpZero, {44});
             a.op(Op_LocalValPtr, {0}).pushInt(1).op(Op_AddSubst).op(Op_Pop).op(Op_Jump, {static_cast<std::uint32_t>(-64)});
             a.op(Op_Halt);
         }},
        {"jump into the middle of a fused sequence", true,
         [](TAsm& a) {
             a.op(Op_LocalValPtr_Deref, {0, W(Op_Deref)}).op(Op_Pop).op(Op_LocalValPtr, {0});
             a.op(Op_Jump, {static_cast<std::uint32_t>(-16)}).op(Op_Halt);
         }},
        {"string constant", true, [](TAsm& a) { a.pushString("abc").op(Op_Pop).op(Op_Halt); }},
        {"call with its record", true,
         [](TAsm& a) { a.op(Op_PushThis).pushInt(1).rec(15, "f").op(Op_SCall, {1, 0}).op(Op_Pop).op(Op_Halt); }},
        {"global read with its record", true,
         [](TAsm& a) { a.rec(1, "$g").op(Op_Push_Deref, {4, 0, W(Op_Deref)}).op(Op_Pop).op(Op_Halt); }},
        {"for-in leaves through ClearForIn", true,
         [](TAsm& a) {
             a.op(Op_LocalValPtr, {0}).op(Op_LocalValPtr_Deref, {0, W(Op_Deref)}).op(Op_InitForIn);
             a.op(Op_DoForIn, {16}).op(Op_Jump, {back8}).op(Op_ClearForIn).op(Op_Halt);
         }},
        {"no Halt at the end", false, [](TAsm& a) { a.op(Op_PushThis).op(Op_Ret); }},
        {"empty block", false, [](TAsm&) {}},
        {"opcode above 48", false, [](TAsm& a) { a.word(49).op(Op_Halt); }},
        {"instruction cut by the end", false, [](TAsm& a) { a.op(Op_Halt).word(W(Op_Push)); }},
        {"fused word without its Deref", false, [](TAsm& a) { a.op(Op_LocalValPtr_Deref, {0, W(Op_Pop)}).op(Op_Halt); }},
        {"jump onto an operand", false, [](TAsm& a) { a.op(Op_Jump, {4}).op(Op_Halt); }},
        {"jump out of the block", false, [](TAsm& a) { a.op(Op_Jump, {64}).op(Op_Halt); }},
        {"jump to an odd offset", false, [](TAsm& a) { a.op(Op_Jump, {2}).op(Op_Halt); }},
        {"string without its 0 byte", false, [](TAsm& a) { a.op(Op_PushString, {4}).word(0x41414141).op(Op_Pop).op(Op_Halt); }},
        {"string length past the end", false, [](TAsm& a) { a.op(Op_PushString, {4000}).op(Op_Halt); }},
        {"method index without record", false, [](TAsm& a) { a.op(Op_PushThis).op(Op_SCall, {0, 99}).op(Op_Halt); }},
        {"class operand without record", false, [](TAsm& a) { a.op(Op_Push, {0, 0}).op(Op_Constructor, {0, 77}).op(Op_Halt); }},
        {"member slot without record", false, [](TAsm& a) { a.op(Op_PushThis).op(Op_SMemberValPtr, {5}).op(Op_Halt); }},
        {"embedded object constant", false, [](TAsm& a) { a.op(Op_Push, {3, 4096}).op(Op_Pop).op(Op_Halt); }},
        {"cell reference without global name", false, [](TAsm& a) { a.op(Op_Push_Deref, {4, 4096, W(Op_Deref)}).op(Op_Halt); }},
        {"record on the wrong instruction", false, [](TAsm& a) { a.rec(18, "classes.X").op(Op_Pop).op(Op_Halt); }},
        {"record of an unknown kind", false, [](TAsm& a) { a.rec(3, "x").op(Op_PushThis).op(Op_Pop).op(Op_Halt); }},
        {"local index beyond the locals", false, [](TAsm& a) { a.op(Op_LocalValPtr, {1}).op(Op_Pop).op(Op_Halt); }},
        {"local in class code", false, [](TAsm& a) { a.op(Op_LocalValPtr, {0}).op(Op_Pop).op(Op_Halt); }, 0},
        {"pop of an empty stack", false, [](TAsm& a) { a.op(Op_Pop).op(Op_Halt); }},
        {"call count beyond the stack", false,
         [](TAsm& a) { a.op(Op_PushThis).rec(14, "f").op(Op_DCall, {1000000, 3, 0}).op(Op_Halt); }},
        {"paths meeting at different depths", false,
         [](TAsm& a) { a.op(Op_PushThis).op(Op_PushThis).op(Op_JumpZero, {12}).op(Op_PushThis).op(Op_Halt); }},
        {"ClearForIn without its four slots", false, [](TAsm& a) { a.op(Op_PushThis).op(Op_ClearForIn).op(Op_Halt); }},
    };
    for (const auto& c : cases) {
        TAsm code;
        c.build(code);
        auto info = code.info();
        if (c.valid) {
            EXPECT_NO_THROW(VerifyCode(*info, c.locals)) << c.what;
            EXPECT_GE(info->maxStackDepth(), 0) << c.what;
        } else {
            EXPECT_THROW(VerifyCode(*info, c.locals), EBrokenData) << c.what;
        }
    }
}

}  // namespace
}  // namespace varno
