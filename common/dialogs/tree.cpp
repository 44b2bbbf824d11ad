#ifndef NIMBO_PLUGIN

#include "dialogs/tree.h"

#include "dialogs/app.h"
#include "runtime/memory.h"
#include "runtime/text.h"

#include <cstring>

namespace {

// One open node whose children are being listed, and where the search for the next child resumes.
struct ListingStep {
    long long node;
    long long scan;
    int depth;
};

TreeModel* TreeOf(RowBoxModel* rows) {
    return rows ? static_cast<TreeModel*>(rows->owner) : nullptr;
}

int GrowIndex(TreeModel* tree) {
    long long wanted = tree->nodeCount > 0 ? tree->nodeCount : 1;
    if (tree->index && tree->depths && tree->capacity >= wanted) return 1;
    auto* index =
        static_cast<long long*>(MemAlloc(sizeof(long long) * static_cast<size_t>(wanted), "TbxInd"));
    auto* depths = static_cast<int*>(MemAlloc(sizeof(int) * static_cast<size_t>(wanted), "TbxDep"));
    if (!index || !depths) {
        MemFree(index);
        MemFree(depths);
        return 0;
    }
    MemFree(tree->index);
    MemFree(tree->depths);
    tree->index = index;
    tree->depths = depths;
    tree->capacity = wanted;
    return 1;
}

// Walks the tree depth first without recursion: a chain of nodes each the child of the one before
// is as deep as the array is long. Returns the number of rows listed, never more than the capacity
// (duplicate identifiers could otherwise list a node twice).
long long ListVisibleNodes(TreeModel* tree, ListingStep* stack) {
    long long rows = 0;
    for (long long root = 0; root < tree->nodeCount && rows < tree->capacity; ++root) {
        if (tree->nodes[root].parent != 0) continue;
        tree->index[rows] = root;
        tree->depths[rows++] = 0;
        if (tree->nodes[root].state != TreeOpen) continue;
        long long depth = 0;
        stack[depth] = {root, root + 1, 1};
        while (depth >= 0 && rows < tree->capacity) {
            ListingStep* step = &stack[depth];
            long long id = tree->nodes[step->node].id;
            while (step->scan < tree->nodeCount && tree->nodes[step->scan].parent != id) ++step->scan;
            if (step->scan >= tree->nodeCount) {
                --depth;
                continue;
            }
            long long child = step->scan++;
            tree->index[rows] = child;
            tree->depths[rows++] = step->depth;
            if (tree->nodes[child].state == TreeOpen && depth + 1 < tree->nodeCount) {
                int childDepth = step->depth + 1;
                stack[++depth] = {child, child + 1, childDepth};
            }
        }
    }
    return rows;
}

bool SortsBefore(const TreeNode* a, const TreeNode* b, int foldersFirst) {
    if (foldersFirst) {
        bool aFolder = a->state != TreeLeaf;
        bool bFolder = b->state != TreeLeaf;
        if (aFolder != bFolder) return aFolder;
    }
    return TextCompareNoCase(a->name, b->name) < 0;
}

// A square with a plus for a closed node, a minus for an open one, a small dot for a leaf.
void PaintGlyph(HDC dc, int state, int left, int top, int size, COLORREF color) {
    HPEN pen = CreatePen(PS_SOLID, 1, color);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    int middle = size / 2;
    if (state == TreeLeaf) {
        RECT dot = {left + middle - 1, top + middle - 1, left + middle + 2, top + middle + 2};
        HBRUSH brush = CreateSolidBrush(color);
        FillRect(dc, &dot, brush);
        DeleteObject(brush);
    } else {
        HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
        Rectangle(dc, left, top, left + size, top + size);
        SelectObject(dc, oldBrush);
        MoveToEx(dc, left + 2, top + middle, nullptr);
        LineTo(dc, left + size - 2, top + middle);
        if (state == TreeClosed) {
            MoveToEx(dc, left + middle, top + 2, nullptr);
            LineTo(dc, left + middle, top + size - 2);
        }
    }
    SelectObject(dc, oldPen);
    DeleteObject(pen);
}

void PaintNode(long long row, RowBoxModel* rows, HDC dc, const RECT* rect, int textColor, int backColor) {
    TreeModel* tree = TreeOf(rows);
    TreeNode* node = TreeNodeAtRow(tree, row);
    if (!node) return;
    int column = rows->charWidth + 1;
    int left = rect->left + 2 * TreeDepthAtRow(tree, row) * column;
    int height = rect->bottom - rect->top;
    // Odd, so that the cross sits in the middle; about half the text height, like the system's trees.
    int glyph = (height / 2 > 7 ? height / 2 : 7) | 1;
    COLORREF text = AppPaletteColor(textColor);
    PaintGlyph(dc, node->state, left, rect->top + (height - glyph) / 2, glyph, text);
    SetTextColor(dc, text);
    SetBkColor(dc, AppPaletteColor(backColor));
    RECT label = {left + glyph + column / 2 + 1, rect->top, rect->right, rect->bottom};
    const wchar_t* name = node->name ? node->name : L"";
    DrawTextW(dc, name, -1, &label, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
}

int ClickNode(long long row, int, RowBoxModel* rows) {
    TreeToggleRow(TreeOf(rows), row);
    // The click goes on to select the row: the rows above the clicked one have not moved.
    return RowBoxClickGoOn;
}

} // namespace

void TreeInit(TreeModel* tree, TreeNode* nodes, long long nodeCount) {
    if (!tree) return;
    memset(tree, 0, sizeof *tree);
    RowBoxClear(&tree->rows);
    tree->rows.owner = tree;
    tree->rows.painter = PaintNode;
    tree->rows.clickHandler = ClickNode;
    tree->nodes = nodes;
    tree->nodeCount = nodes && nodeCount > 0 ? nodeCount : 0;
}

void TreeRelease(TreeModel* tree) {
    if (!tree) return;
    RowBoxRelease(&tree->rows);
    MemFree(tree->index);
    MemFree(tree->depths);
    tree->index = nullptr;
    tree->depths = nullptr;
    tree->capacity = 0;
}

int TreeRebuild(TreeModel* tree, int repaint) {
    if (!tree || !GrowIndex(tree)) return 0;
    long long rows = 0;
    if (tree->nodeCount > 0) {
        auto* stack = static_cast<ListingStep*>(
            MemAlloc(sizeof(ListingStep) * static_cast<size_t>(tree->nodeCount), "TbxStk"));
        if (!stack) return 0;
        rows = ListVisibleNodes(tree, stack);
        MemFree(stack);
    }
    RowBoxSelectRange(&tree->rows, -1, -1, 0, 0);
    return RowBoxSetRowCount(&tree->rows, rows, repaint);
}

void TreeSort(TreeModel* tree, int foldersFirst) {
    if (!tree || !tree->nodes) return;
    bool exchanged = true;
    while (exchanged) {
        exchanged = false;
        for (long long at = 0; at + 1 < tree->nodeCount; ++at) {
            TreeNode* a = &tree->nodes[at];
            TreeNode* b = &tree->nodes[at + 1];
            if (a->parent != b->parent || !SortsBefore(b, a, foldersFirst)) continue;
            TreeNode swap = *a;
            *a = *b;
            *b = swap;
            exchanged = true;
        }
    }
}

int TreeToggleRow(TreeModel* tree, long long row) {
    TreeNode* node = TreeNodeAtRow(tree, row);
    if (!node || node->state == TreeLeaf) return 0;
    node->state = node->state == TreeOpen ? TreeClosed : TreeOpen;
    return TreeRebuild(tree, 1);
}

TreeNode* TreeNodeAtRow(TreeModel* tree, long long row) {
    if (!tree || !tree->index || row < 0 || row >= tree->rows.rowCount) return nullptr;
    return &tree->nodes[tree->index[row]];
}

int TreeDepthAtRow(const TreeModel* tree, long long row) {
    if (!tree || !tree->depths || row < 0 || row >= tree->rows.rowCount) return 0;
    return tree->depths[row];
}

DialogItem* DlgTree(Dialog* dialog, double x, double y, double w, double h, TreeModel* tree) {
    return tree ? DlgRowBox(dialog, x, y, w, h, &tree->rows) : nullptr;
}

#endif
