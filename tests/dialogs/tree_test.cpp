// The tree on a row box: which nodes the visible-node index lists and how deep, sorting of
// neighbouring siblings, opening and closing, and a click on a real tree control.
#ifndef NIMBO_PLUGIN
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "dialogs/app.h"
#include "dialogs/dialog.h"
#include "dialogs/tree.h"
#include "real_input.h"
#include "runtime/memory.h"
#include "support/test_environment.h"

namespace {

std::vector<std::wstring> RowNames(TreeModel* tree) {
    std::vector<std::wstring> names;
    for (long long row = 0; row < tree->rows.rowCount; ++row) {
        TreeNode* node = TreeNodeAtRow(tree, row);
        names.push_back(std::wstring(TreeDepthAtRow(tree, row) * 2, L' ') + (node->name ? node->name : L"?"));
    }
    return names;
}

struct TreeFixture : ::testing::Test {
    // Children follow their parents, but not necessarily right after them.
    TreeNode nodes[7] = {
        {1, 0, L"Alpha", TreeOpen}, {2, 1, L"a1", TreeLeaf},  {3, 0, L"Beta", TreeClosed},
        {4, 1, L"a2", TreeOpen},    {5, 4, L"a2x", TreeLeaf}, {6, 3, L"b1", TreeLeaf},
        {7, 0, L"Gamma", TreeLeaf},
    };
    TreeModel tree;
    void SetUp() override {
        TreeInit(&tree, nodes, 7);
        tree.rows.visibleRows = 10;
    }
    void TearDown() override { TreeRelease(&tree); }
};

TEST_F(TreeFixture, IndexListsRootsWithTheChildrenOfOpenNodesInArrayOrder) {
    ASSERT_TRUE(TreeRebuild(&tree, 0));
    std::vector<std::wstring> expected = {L"Alpha", L"  a1", L"  a2", L"    a2x", L"Beta", L"Gamma"};
    EXPECT_EQ(RowNames(&tree), expected);
    EXPECT_EQ(tree.rows.rowCount, 6);
    EXPECT_GE(tree.capacity, 7);
    EXPECT_EQ(TreeNodeAtRow(&tree, 6), nullptr);
    EXPECT_EQ(TreeNodeAtRow(&tree, -1), nullptr);
}

TEST_F(TreeFixture, TogglingOpensAndClosesBranchesButNotLeaves) {
    ASSERT_TRUE(TreeRebuild(&tree, 0));
    ASSERT_TRUE(TreeToggleRow(&tree, 4)); // Beta opens
    EXPECT_EQ(nodes[2].state, TreeOpen);
    std::vector<std::wstring> opened = {L"Alpha", L"  a1", L"  a2", L"    a2x", L"Beta", L"  b1", L"Gamma"};
    EXPECT_EQ(RowNames(&tree), opened);
    ASSERT_TRUE(TreeToggleRow(&tree, 0)); // Alpha closes; its open child stays open inside it
    std::vector<std::wstring> closed = {L"Alpha", L"Beta", L"  b1", L"Gamma"};
    EXPECT_EQ(RowNames(&tree), closed);
    EXPECT_EQ(nodes[3].state, TreeOpen);
    EXPECT_FALSE(TreeToggleRow(&tree, 3)); // Gamma is a leaf
    EXPECT_FALSE(TreeToggleRow(&tree, 40));
    EXPECT_EQ(tree.rows.rowCount, 4);
}

TEST_F(TreeFixture, RebuildDropsTheSelectionOfRowsThatNowShowOtherNodes) {
    ASSERT_TRUE(TreeRebuild(&tree, 0));
    ASSERT_TRUE(RowBoxSelectRange(&tree.rows, 5, 5, 1, 0)); // Gamma
    ASSERT_TRUE(TreeToggleRow(&tree, 4));                   // b1 moves into row 5
    EXPECT_FALSE(RowBoxIsSelected(&tree.rows, 5));
    EXPECT_EQ(RowBoxFirstSelected(&tree.rows), -1);
}

TEST(TreeSort, SiblingsByNameIgnoringCaseAndOptionallyFoldersFirst) {
    TreeNode nodes[6] = {
        {1, 0, L"delta", TreeLeaf}, {2, 0, L"Charlie", TreeLeaf}, {3, 0, L"bravo", TreeClosed},
        {4, 0, L"ALPHA", TreeLeaf}, {5, 3, L"zulu", TreeLeaf},    {6, 3, L"Yankee", TreeLeaf},
    };
    TreeModel tree;
    TreeInit(&tree, nodes, 6);
    TreeSort(&tree, 0);
    EXPECT_STREQ(nodes[0].name, L"ALPHA");
    EXPECT_STREQ(nodes[1].name, L"bravo");
    EXPECT_STREQ(nodes[2].name, L"Charlie");
    EXPECT_STREQ(nodes[3].name, L"delta");
    EXPECT_STREQ(nodes[4].name, L"Yankee"); // the children sort among themselves, after their parent
    EXPECT_STREQ(nodes[5].name, L"zulu");
    TreeSort(&tree, 1);
    EXPECT_STREQ(nodes[0].name, L"bravo");
    EXPECT_STREQ(nodes[1].name, L"ALPHA");
    nodes[0].state = TreeOpen;
    ASSERT_TRUE(TreeRebuild(&tree, 0));
    std::vector<std::wstring> expected = {L"bravo", L"  Yankee", L"  zulu", L"ALPHA", L"Charlie", L"delta"};
    EXPECT_EQ(RowNames(&tree), expected);
    TreeRelease(&tree);
}

TEST(TreeSort, NeighboursOfDifferentParentsKeepTheirPlaces) {
    TreeNode nodes[4] = {
        {1, 0, L"b", TreeOpen}, {2, 1, L"z", TreeLeaf}, {3, 0, L"a", TreeLeaf}, {4, 1, L"y", TreeLeaf}};
    TreeModel tree;
    TreeInit(&tree, nodes, 4);
    TreeSort(&tree, 0);
    // No two neighbours share a parent: nothing moves, and "y" stays apart from its sibling.
    EXPECT_STREQ(nodes[0].name, L"b");
    EXPECT_STREQ(nodes[1].name, L"z");
    EXPECT_STREQ(nodes[2].name, L"a");
    EXPECT_STREQ(nodes[3].name, L"y");
    TreeRelease(&tree);
}

TEST(TreeIndex, EmptyTreesDeepChainsAndRepeatedIdentifiersStayInBounds) {
    TreeModel tree;
    TreeInit(&tree, nullptr, 0);
    ASSERT_TRUE(TreeRebuild(&tree, 0));
    EXPECT_EQ(tree.rows.rowCount, 0);
    EXPECT_EQ(tree.capacity, 1); // at least one entry
    EXPECT_NE(tree.index, nullptr);
    TreeRelease(&tree);

    // Every node the only child of the one before: as deep as the array is long.
    const int chain = 20000;
    std::vector<TreeNode> nodes(chain);
    for (int i = 0; i < chain; ++i) nodes[i] = {i + 1, i, L"n", i + 1 < chain ? TreeOpen : TreeLeaf};
    TreeInit(&tree, nodes.data(), chain);
    ASSERT_TRUE(TreeRebuild(&tree, 0));
    EXPECT_EQ(tree.rows.rowCount, chain);
    EXPECT_EQ(TreeDepthAtRow(&tree, chain - 1), chain - 1);
    TreeRelease(&tree);

    // Two open roots with one identifier would list their children twice: the index stops when full.
    TreeNode twins[4] = {{1, 0, L"one", TreeOpen},
                         {1, 0, L"other one", TreeOpen},
                         {2, 1, L"child", TreeLeaf},
                         {3, 1, L"c2", TreeLeaf}};
    TreeInit(&tree, twins, 4);
    ASSERT_TRUE(TreeRebuild(&tree, 0));
    EXPECT_EQ(tree.rows.rowCount, 4);
    EXPECT_EQ(MemCheckAll() >= 0, true);
    TreeRelease(&tree);
}

// ---- the control ----

struct TreeWindow : ::testing::Test {
    TreeNode nodes[9] = {
        {1, 0, L"Projects", TreeClosed},   {2, 1, L"Bridge survey", TreeLeaf},
        {3, 1, L"Tunnel", TreeClosed},     {4, 3, L"North portal", TreeLeaf},
        {5, 3, L"South portal", TreeLeaf}, {6, 0, L"Sessions", TreeOpen},
        {7, 6, L"Monday.tss", TreeLeaf},   {8, 6, L"Tuesday.tss", TreeLeaf},
        {9, 0, L"readme.txt", TreeLeaf},
    };
    TreeModel tree;
    Dialog* dialog = nullptr;
    int changes = 0;

    void SetUp() override {
        static bool started = false;
        if (!started) AppStart(GetModuleHandleW(nullptr), 0, 0, L"Tree Test", L"NOICON", nullptr, 12);
        started = true;
        TreeInit(&tree, nodes, 9);
        TreeSort(&tree, 1);
        ASSERT_TRUE(TreeRebuild(&tree, 0));
        dialog = DlgCreate(L"Tree", 36, 12, DlgWindowTool, 0, nullptr);
        ASSERT_NE(dialog, nullptr);
        ASSERT_NE(DlgTree(dialog, 1, 1, 34, 10, &tree), nullptr);
        ASSERT_TRUE(DlgShow(dialog));
        realinput::Activate(dialog->window);
    }
    void TearDown() override {
        if (dialog) DlgClose(&dialog);
        TreeRelease(&tree);
    }
    void ClickRow(long long row) {
        realinput::Click(tree.rows.window, 60,
                         1 + static_cast<int>(row) * tree.rows.rowHeight + tree.rows.rowHeight / 2);
    }
};

TEST_F(TreeWindow, AClickOpensAClosedNodeAndTheNextClosesIt) {
    std::vector<std::wstring> start = {L"Projects", L"Sessions", L"  Monday.tss", L"  Tuesday.tss",
                                       L"readme.txt"};
    EXPECT_EQ(RowNames(&tree), start);
    ClickRow(0);
    std::vector<std::wstring> opened = {L"Projects",     L"  Tunnel",      L"  Bridge survey", L"Sessions",
                                        L"  Monday.tss", L"  Tuesday.tss", L"readme.txt"};
    EXPECT_EQ(RowNames(&tree), opened);
    EXPECT_TRUE(RowBoxIsSelected(&tree.rows, 0)); // the click still selects its row
    ClickRow(1);
    EXPECT_EQ(tree.rows.rowCount, 9);
    EXPECT_EQ(TreeDepthAtRow(&tree, 2), 2); // North portal
    ClickRow(6);                            // Monday.tss, a leaf: selected, nothing opens
    EXPECT_EQ(tree.rows.rowCount, 9);
    EXPECT_TRUE(RowBoxIsSelected(&tree.rows, 6));
    UpdateWindow(tree.rows.window);
    testenv::SaveScreenshot("tree_opened");
    ClickRow(0);
    EXPECT_EQ(RowNames(&tree), start);
    UpdateWindow(tree.rows.window);
    testenv::SaveScreenshot("tree_closed_again");
}

} // namespace
#endif
