// The node-class registry and code generation by node kind.
#include <gtest/gtest.h>

#include "base/MessageBox.h"
#include "front/ScriptNodes.h"

namespace varno {

class TContext {};

namespace {

TEST(ScriptNodes, RegistryPicksTheClassByExactName) {
    const struct {
        const char* name;
        const char* type;
    } cases[] = {
        {"Program", "G_Program"}, {"While", "G_While"},   {"VarDecl", "G_VarDecl"}, {"This", "G_This"},
        {"Comment", "TResList"},  {"", "G_Err"},          {"while", "G_Err"},       {"SYMBOL", "G_Err"},
        {"program", "G_Err"},
    };
    for (const auto& c : cases) {
        const auto node = CreateScriptNode(c.name);
        EXPECT_EQ(node->typeName(), c.type) << c.name;
        EXPECT_EQ(node->makeEmpty()->typeName(), c.type) << c.name;
    }
    EXPECT_EQ(dynamic_cast<TResList&>(*CreateScriptNode("ArgList")).kind(), GKind::ArgList);
    EXPECT_EQ(KindName(GKind::VarBlock), "VarBlock");
}

int32_t countItems(TResList& node, TContext&) { return node.count() + 100; }

TEST(ScriptNodes, GenerateRunsTheInstalledGenerator) {
    TContext context;
    G_ArgList args;
    EXPECT_EQ(args.Generate(context), 0);
    const TGenerator previous = SetGenerator(GKind::ArgList, countItems);
    EXPECT_EQ(args.Generate(context), 100);
    G_While other;
    EXPECT_EQ(other.Generate(context), 0);
    SetGenerator(GKind::ArgList, previous);

    TMessageCapture messages;
    G_Err group;
    EXPECT_EQ(group.Generate(context), 0);
    EXPECT_EQ(messages.text(), "Error!? Usrsub\n");
    TResList plain;
    EXPECT_EQ(plain.Generate(context), 0);
}

}  // namespace
}  // namespace varno
