// A tree view built on the row box: the caller's array of nodes, of which the open branches are
// listed as rows through the visible-node index.
#pragma once

#include "dialogs/row_box.h"

enum TreeNodeState { TreeLeaf = 0, TreeClosed = 1, TreeOpen = 2 };

struct TreeNode {
    long long id;        // non-zero
    long long parent;    // 0 for a root node
    const wchar_t* name; // the caller's text; null shows as empty
    int state;           // TreeNodeState
};

struct TreeModel {
    RowBoxModel rows;
    TreeNode* nodes; // the caller's array: a node's children come after it
    long long nodeCount;
    long long* index;   // tag "TbxInd": the node of every row; the first rows.rowCount entries are used
    int* depths;        // tag "TbxDep": the depth of every row's node, for the indentation
    long long capacity; // entries of index and depths
};

// Clears the model and ties it to the nodes; the row box paints through the tree and a click on a
// row opens or closes its node.
void TreeInit(TreeModel* tree, TreeNode* nodes, long long nodeCount);
void TreeRelease(TreeModel* tree);

// Lists, in array order, every root followed by the children of open nodes, recursively, and sets
// the row count to the number of rows listed. The selection is dropped: rows stand for other nodes
// afterwards. 0 when the index cannot be had.
int TreeRebuild(TreeModel* tree, int repaint);
// Orders neighbouring nodes of the same parent by name, ignoring letter case, and with foldersFirst
// nodes that have children (open or closed) before leaves. Rebuild afterwards.
void TreeSort(TreeModel* tree, int foldersFirst);
// Opens a closed or closes an open node at row and rebuilds; 0 for a leaf or a row outside the list.
int TreeToggleRow(TreeModel* tree, long long row);
// The node shown at row, or null.
TreeNode* TreeNodeAtRow(TreeModel* tree, long long row);
int TreeDepthAtRow(const TreeModel* tree, long long row);

#ifndef NIMBO_PLUGIN
// A row box showing the tree (TreeInit first, then TreeRebuild).
DialogItem* DlgTree(Dialog* dialog, double x, double y, double w, double h, TreeModel* tree);
#endif
