// The instruction table: numbering, names, lengths, operand layouts and fused forms.
#include <gtest/gtest.h>

#include "runtime/Opcodes.h"

namespace varno {
namespace {

TEST(Opcodes, TableMatchesTheInstructionSet) {
    EXPECT_EQ(kOpcodeCount, 49u);
    const struct {
        TOpcode op;
        const char* name;
        std::uint32_t bytes;
        TOperand first, second, third;
    } cases[] = {
        {Op_Pop, "Op_Pop", 4, TOperand::None, TOperand::None, TOperand::None},
        {Op_Push, "Op_Push", 12, TOperand::ValueTag, TOperand::ValuePayload, TOperand::None},
        {Op_PushString, "Op_PushString", 0, TOperand::TextLength, TOperand::None, TOperand::None},
        {Op_SMemberValPtr, "Op_SMemberValPtr", 8, TOperand::Index, TOperand::None, TOperand::None},
        {Op_DMemberValPtr, "Op_DMemberValPtr", 12, TOperand::Symbol, TOperand::Cache, TOperand::None},
        {Op_PushThis_SMemberValPtr, "Op_PushThis_SMemberValPtr", 12, TOperand::Inner, TOperand::Index, TOperand::None},
        {Op_PushThis_SMemberValPtr_Deref, "Op_PushThis_SMemberValPtr_Deref", 16, TOperand::Inner, TOperand::Index, TOperand::Inner},
        {Op_DMemberValPtr_Deref, "Op_DMemberValPtr_Deref", 16, TOperand::Symbol, TOperand::Cache, TOperand::Inner},
        {Op_LocalValPtr_Deref, "Op_LocalValPtr_Deref", 12, TOperand::Index, TOperand::Inner, TOperand::None},
        {Op_Push_Deref, "Op_Push_Deref", 16, TOperand::ValueTag, TOperand::ValuePayload, TOperand::Inner},
        {Op_DCall, "Op_DCall", 16, TOperand::Count, TOperand::Symbol, TOperand::Cache},
        {Op_SCall, "Op_SCall", 12, TOperand::Count, TOperand::Index, TOperand::None},
        {Op_SuperCall, "Op_SuperCall", 12, TOperand::Count, TOperand::Function, TOperand::None},
        {Op_NativeCall, "Op_NativeCall", 12, TOperand::Count, TOperand::Function, TOperand::None},
        {Op_Constructor, "Op_Constructor", 12, TOperand::Count, TOperand::Class, TOperand::None},
        {Op_Or, "Op_Or", 4, TOperand::None, TOperand::None, TOperand::None},
        {Op_Is, "Op_Is", 8, TOperand::Class, TOperand::None, TOperand::None},
        {Op_Deref, "Op_Deref", 4, TOperand::None, TOperand::None, TOperand::None},
        {Op_Jump_Or, "Op_Jump_Or", 8, TOperand::Offset, TOperand::None, TOperand::None},
        {Op_InitForIn, "Op_InitForIn", 4, TOperand::None, TOperand::None, TOperand::None},
        {Op_DoForIn, "Op_DoForIn", 8, TOperand::Offset, TOperand::None, TOperand::None},
        {Op_Point, "Op_Point", 16, TOperand::Class, TOperand::Number, TOperand::Number},
        {Op_Halt, "Op_Halt", 4, TOperand::None, TOperand::None, TOperand::None},
    };
    for (const auto& c : cases) {
        const auto code = static_cast<std::uint32_t>(c.op);
        EXPECT_EQ(OpName(code), c.name);
        EXPECT_EQ(OpcodeBytes(c.op), c.bytes) << c.name;
        EXPECT_EQ(kOpcodeInfo[code].operands[0], c.first) << c.name;
        EXPECT_EQ(kOpcodeInfo[code].operands[1], c.second) << c.name;
        EXPECT_EQ(kOpcodeInfo[code].operands[2], c.third) << c.name;
    }
    EXPECT_EQ(static_cast<std::uint32_t>(Op_Halt), 48u);
    EXPECT_EQ(static_cast<std::uint32_t>(Op_Add), 19u);
    EXPECT_EQ(OpName(49), "Invalid Code");
    EXPECT_EQ(OpName(0xFFFFFFFF), "Invalid Code");
}

TEST(Opcodes, FusedFormsStartWithTheirFirstPart) {
    EXPECT_EQ(FirstPart(Op_PushThis_SMemberValPtr_Deref), Op_PushThis);
    EXPECT_EQ(FirstPart(Op_DMemberValPtr_Deref), Op_DMemberValPtr);
    EXPECT_EQ(FirstPart(Op_Push_Deref), Op_Push);
    EXPECT_EQ(FirstPart(Op_Add), Op_Add);
    EXPECT_EQ(FusedForm(Op_ArgValPtr_Deref).parts[0], Op_ArgValPtr);
    EXPECT_EQ(FusedForm(Op_ArgValPtr_Deref).parts[1], Op_Deref);
}

}  // namespace
}  // namespace varno
