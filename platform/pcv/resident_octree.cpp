#include "resident_octree.h"

#include "parallel_run.h"

#include <string.h>

#include <new>

namespace {

template <typename T> T* ColumnCopy(const T* from, uint64_t entries, bool* ok) {
    if (!from) return nullptr;
    T* to = new (std::nothrow) T[entries];
    if (!to) *ok = false;
    return to;
}

// Copies the points of input into the tree's arrays in the layout's order.
void GatherPoints(const OctreeInput& input, const OctreeLayout& layout, ResidentOctree* tree) {
    ParallelRun(input.count < 100000 ? 1 : 2, [&](int part) {
        unsigned long long begin, end;
        ParallelSlice(layout.count, part, input.count < 100000 ? 1 : 2, &begin, &end);
        for (uint64_t i = begin; i < end; ++i) {
            uint32_t from = layout.order[i];
            memcpy(tree->xyz + 3 * i, input.xyz + 3ull * from, 3 * sizeof(int32_t));
            if (tree->intensity) tree->intensity[i] = input.intensity[from];
            if (tree->classification) tree->classification[i] = input.classification[from];
            if (tree->rgb) memcpy(tree->rgb + 3 * i, input.rgb + 3ull * from, 3);
            if (tree->returnNumber) tree->returnNumber[i] = input.returnNumber[from];
        }
    });
}

const NodePoints* AcquireResident(void* context, int block, int node, int) {
    ResidentCloud* cloud = static_cast<ResidentCloud*>(context);
    if (block < 0 || block >= cloud->source.blockCount) return nullptr;
    ResidentOctree* tree = cloud->trees[block];
    if (node < 0 || static_cast<uint32_t>(node) >= tree->block.nodeCount) return nullptr;
    return &tree->nodePoints[node];
}

void ReleaseResident(void*, int) {}

} // namespace

ResidentOctree* ResidentOctreeFromLayout(const OctreeInput& input, OctreeLayout* layout) {
    ResidentOctree* tree = new (std::nothrow) ResidentOctree();
    bool ok = tree != nullptr;
    if (ok) {
        uint64_t n = layout->count;
        tree->xyz = new (std::nothrow) int32_t[3 * n];
        ok = tree->xyz != nullptr;
        tree->intensity = ColumnCopy(input.intensity, n, &ok);
        tree->classification = ColumnCopy(input.classification, n, &ok);
        tree->rgb = ColumnCopy(input.rgb, 3 * n, &ok);
        tree->returnNumber = ColumnCopy(input.returnNumber, n, &ok);
        tree->nodePoints = new (std::nothrow) NodePoints[layout->block.nodeCount];
        ok = ok && tree->nodePoints;
    }
    if (!ok) {
        ResidentOctreeFree(tree);
        OctreeLayoutFree(layout);
        return nullptr;
    }
    GatherPoints(input, *layout, tree);
    tree->block = layout->block;
    tree->nodes = layout->nodes;
    layout->nodes = nullptr; // the tree keeps the nodes
    for (uint32_t n = 0; n < tree->block.nodeCount; ++n) {
        uint64_t first = layout->nodeFirst[n];
        NodePoints& points = tree->nodePoints[n];
        points.count = tree->nodes[n].pointCount;
        points.offsets = tree->xyz + 3 * first;
        points.intensity = tree->intensity ? tree->intensity + first : nullptr;
        points.classification = tree->classification ? tree->classification + first : nullptr;
        points.rgb = tree->rgb ? tree->rgb + 3 * first : nullptr;
        points.returnNumber = tree->returnNumber ? tree->returnNumber + first : nullptr;
    }
    tree->block.nodes = tree->nodes;
    OctreeLayoutFree(layout);
    return tree;
}

ResidentOctree* ResidentOctreeBuild(const OctreeInput& input, const OctreeOptions& options, wchar_t* error,
                                    size_t errorChars) {
    OctreeLayout layout;
    if (!OctreeBuildLayout(input, options, &layout, error, errorChars)) return nullptr;
    ResidentOctree* tree = ResidentOctreeFromLayout(input, &layout);
    if (!tree && error && errorChars > 0) {
        wcsncpy(error, L"There is not enough memory to hold the octree.", errorChars - 1);
        error[errorChars - 1] = 0;
    }
    return tree;
}

void ResidentOctreeFree(ResidentOctree* tree) {
    if (!tree) return;
    delete[] tree->nodes;
    delete[] tree->nodePoints;
    delete[] tree->xyz;
    delete[] tree->intensity;
    delete[] tree->classification;
    delete[] tree->rgb;
    delete[] tree->returnNumber;
    delete tree;
}

bool ResidentCloudInit(ResidentCloud* cloud, ResidentOctree* const* trees, int count) {
    memset(cloud, 0, sizeof(*cloud));
    if (count < 0) return false;
    cloud->blocks = new (std::nothrow) CloudBlock[count > 0 ? count : 1];
    cloud->trees = new (std::nothrow) ResidentOctree*[count > 0 ? count : 1];
    if (!cloud->blocks || !cloud->trees) {
        ResidentCloudFree(cloud);
        return false;
    }
    for (int i = 0; i < count; ++i) {
        cloud->blocks[i] = trees[i]->block;
        cloud->trees[i] = trees[i];
    }
    cloud->source.blocks = cloud->blocks;
    cloud->source.blockCount = count;
    cloud->source.context = cloud;
    cloud->source.acquire = AcquireResident;
    cloud->source.release = ReleaseResident;
    return true;
}

void ResidentCloudFree(ResidentCloud* cloud) {
    delete[] cloud->blocks;
    delete[] cloud->trees;
    memset(cloud, 0, sizeof(*cloud));
}
