// Commands by id: the document commands run through the registry, their arguments,
// and the menu table's labels.
#include <gtest/gtest.h>

#include <set>

#include "CommandMap.h"
#include "DocTestSupport.h"
#include "DocumentOperations.h"

using namespace doctest;

namespace {

TEST(CommandRegistry, DocumentCommandsRunById) {
    OperationTable registry;
    AddDocumentOperations(registry);
    Bench bench;
    auto doc = bench.Open(4, 3, Gradient);
    auto run = [&](int id, CommandArgs args = {}) {
        const Operation* op = registry.Find(id);
        EXPECT_NE(op, nullptr) << id;
        OpValues values;
        if (op) {
            EXPECT_EQ(ReadValues(*op, args, values), "");
        }
        return op ? op->run(*doc, values) : Status::Fail("missing");
    };
    ASSERT_TRUE(run(kCmdAddLayer).ok);
    EXPECT_EQ(doc->layers.Count(), 2);
    ASSERT_TRUE(run(kCmdUndo).ok);
    EXPECT_EQ(doc->layers.Chain().size(), 1u);
    ASSERT_TRUE(run(kCmdRedo).ok);
    EXPECT_EQ(doc->layers.Chain().size(), 2u);
    ASSERT_TRUE(run(kCmdLayerEffect, {{"size", "3"}, {"colour", "#00FF00"}}).ok);
    EXPECT_EQ(doc->layers[1].effectSize, 3);
    ASSERT_TRUE(run(kCmdDuplicateLayer).ok);
    EXPECT_EQ(doc->layers.Count(), 3);
    ASSERT_TRUE(run(kCmdMergeBelow).ok);
    EXPECT_EQ(doc->layers.Chain().size(), 2u);
    ASSERT_TRUE(run(kCmdFlatten).ok);
    EXPECT_EQ(doc->layers.Chain().size(), 1u);
    EXPECT_EQ(run(kCmdDeleteLayer).message, "레이어가 1개 밖에 없습니다");
    EXPECT_EQ(registry.Find(kCmdOpen), nullptr);
}

TEST(CommandArguments, IntegersAndColours) {
    const CommandArgs args = {{"n", "42"}, {"bad", "4x"}, {"empty", ""}, {"c", "#FF8000"}, {"d", "255"}, {"e", "#12345"}};
    EXPECT_EQ(ArgInt(args, "n", 7), 42);
    EXPECT_EQ(ArgInt(args, "bad", 7), 7);
    EXPECT_EQ(ArgInt(args, "empty", 7), 7);
    EXPECT_EQ(ArgInt(args, "none", 7), 7);
    EXPECT_EQ(ArgColour(args, "c", 1), 0x0080FFu);  // red in the low byte
    EXPECT_EQ(ArgColour(args, "d", 1), 255u);
    EXPECT_EQ(ArgColour(args, "e", 1), 1u);
}

TEST(MenuTable, LabelsAndTitlesAsTheMenusShowThem) {
    const CommandEntry* undo = FindCommand(kCmdUndo);
    ASSERT_NE(undo, nullptr);
    EXPECT_STREQ(undo->label, "실행취소(&Z)\tCtrl+Z");
    EXPECT_STREQ(FindCommand(kCmdRedo)->label, "실행반복(&Y)\tCtrl+Y");
    EXPECT_STREQ(FindCommand(kCmdFlatten)->label, "떡그림만들기");
    EXPECT_STREQ(FindCommand(kCmdCutToNew)->label, "잘라서새로만들기");
    EXPECT_STREQ(MenuTitle("Layer"), "레이어(&L)");
    EXPECT_EQ(FindCommand(12345), nullptr);
    // Every id appears once.
    std::set<int> ids;
    for (const CommandEntry& e : MenuCommands()) EXPECT_TRUE(ids.insert(e.id).second) << e.id;
}

}  // namespace
