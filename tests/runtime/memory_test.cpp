#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "runtime/memory.h"
#include "stdout_capture.h"
#include "support/test_environment.h"

namespace {

unsigned char* Bytes(void* block) {
    return static_cast<unsigned char*>(block);
}

void FillPattern(void* block, size_t size) {
    for (size_t i = 0; i < size; ++i) Bytes(block)[i] = static_cast<unsigned char>(i * 7 + 3);
}

bool HasPattern(const void* block, size_t size) {
    for (size_t i = 0; i < size; ++i)
        if (static_cast<const unsigned char*>(block)[i] != static_cast<unsigned char>(i * 7 + 3))
            return false;
    return true;
}

bool AllZero(const void* block, size_t from, size_t to) {
    for (size_t i = from; i < to; ++i)
        if (static_cast<const unsigned char*>(block)[i] != 0) return false;
    return true;
}

} // namespace

// Behaviour both variants share: what reallocation keeps and what it zeroes.
TEST(MemoryBlocks, ReallocationKeepsContentsAndZeroesOnlyGrowth) {
    void* block = MemAlloc(100, "TstBlk");
    ASSERT_NE(block, nullptr);
    FillPattern(block, 100);

    void* smaller = MemRealloc(block, 40);
    ASSERT_NE(smaller, nullptr);
    EXPECT_TRUE(HasPattern(smaller, 40));

    void* larger = MemRealloc(smaller, 400);
    ASSERT_NE(larger, nullptr);
    EXPECT_TRUE(HasPattern(larger, 40));

    // A block that was itself reallocated carries a guard behind its usable bytes; none of it may
    // show up in the zeroed growth.
    void* zeroed = MemReallocZero(larger, 1000);
    ASSERT_NE(zeroed, nullptr);
    EXPECT_TRUE(HasPattern(zeroed, 40));
    zeroed = MemReallocZero(MemRealloc(zeroed, 40), 80);
    ASSERT_NE(zeroed, nullptr);
    EXPECT_TRUE(HasPattern(zeroed, 40));
    EXPECT_TRUE(AllZero(zeroed, 40, 80));
    MemFree(zeroed);
}

TEST(MemoryBlocks, AllocZeroAndFailedReallocationLeaveUsableBlocks) {
    unsigned char* zeroed = Bytes(MemAllocZero(5000, "TstZro"));
    ASSERT_NE(zeroed, nullptr);
    EXPECT_TRUE(AllZero(zeroed, 0, 5000));
    FillPattern(zeroed, 5000);

    // Far beyond any heap: the old block must survive untouched.
    EXPECT_EQ(MemRealloc(zeroed, static_cast<size_t>(1) << 60), nullptr);
    EXPECT_EQ(MemAlloc(static_cast<size_t>(-1), "TstBig"), nullptr);
    EXPECT_TRUE(HasPattern(zeroed, 5000));
    MemFree(zeroed);
    MemFree(nullptr);
}

TEST(MemoryBlocks, ReallocationOfNullAllocates) {
    void* block = MemReallocZero(nullptr, 32);
    ASSERT_NE(block, nullptr);
    EXPECT_TRUE(AllZero(block, 0, 32));
    MemFree(block);
}

#ifndef NIMBO_PLUGIN

namespace {

std::string TagAt(int index) {
    char tag[8] = "unset";
    int at = -1;
    while ((at = MemNext(tag, nullptr, nullptr, at)) >= 0 && at < index) {
    }
    return at == index ? std::string(tag) : std::string("<none>");
}

int IndexOf(void* block) {
    void* found = nullptr;
    for (int at = MemNext(nullptr, &found, nullptr, -1); at >= 0; at = MemNext(nullptr, &found, nullptr, at))
        if (found == block) return at;
    return -1;
}

} // namespace

TEST(MemoryGuard, OverrunIsReportedWithTheOwnersTagAndTheBlockStillFreed) {
    std::wstring folder = testenv::ScratchFolder(L"memory_guard");
    int before = MemCount();
    unsigned char* items = Bytes(MemAlloc(24, "DlgItb"));
    ASSERT_NE(items, nullptr);
    items[24] = 0xEE; // one byte too far

    StdoutCapture capture(folder);
    MemFree(items);
    EXPECT_EQ(capture.Text(), "Overflow in memory DlgItb\n");
    EXPECT_EQ(MemCount(), before);
    EXPECT_EQ(MemFind("DlgItb", 0), -1);
}

TEST(MemoryGuard, IntactBlocksAndNullFreeSilently) {
    std::wstring folder = testenv::ScratchFolder(L"memory_quiet");
    StdoutCapture capture(folder);
    void* full = MemAlloc(16, "TstFul");
    memset(full, 0xFF, 16); // every usable byte, none beyond
    MemFree(full);
    MemFree(nullptr);
    void* shrunk = MemRealloc(MemAllocZero(64, "TstShr"), 8); // the new guard sits at 8
    MemFree(shrunk);
    EXPECT_EQ(capture.Text(), "");
}

TEST(MemoryGuard, CheckAllReportsDamageWithoutChangingAnything) {
    std::wstring folder = testenv::ScratchFolder(L"memory_checkall");
    void* healthy = MemAlloc(10, "TstOk");
    unsigned char* damaged = Bytes(MemAlloc(10, "RepTxt"));
    int index = IndexOf(damaged);
    ASSERT_GE(index, 0);
    damaged[13] = 0; // last guard byte

    StdoutCapture capture(folder);
    int highWater = MemCheckAll();
    EXPECT_EQ(capture.Text(), "Overflow in memory RepTxt\n");
    EXPECT_GT(highWater, index);
    EXPECT_EQ(IndexOf(damaged), index);

    damaged[13] = 0x04; // repaired: the free must now be silent
    StdoutCapture quiet(folder);
    MemFree(damaged);
    MemFree(healthy);
    EXPECT_EQ(quiet.Text(), "");
}

TEST(MemoryRegistry, FreedEntriesAreReusedLowestFirst) {
    ASSERT_EQ(MemCount(), 0) << "an earlier test left blocks behind";
    void* blocks[10];
    for (void*& block : blocks) block = MemAlloc(8, "TstTen");
    EXPECT_EQ(MemCount(), 10);
    EXPECT_EQ(IndexOf(blocks[0]), 0);
    EXPECT_EQ(IndexOf(blocks[9]), 9);

    MemFree(blocks[0]);
    MemFree(blocks[5]);
    EXPECT_EQ(MemCount(), 8);
    blocks[0] = MemAlloc(8, "TstNew");
    EXPECT_EQ(IndexOf(blocks[0]), 0);
    EXPECT_EQ(TagAt(0), "TstNew");
    blocks[5] = MemAlloc(8, "TstNew");
    EXPECT_EQ(IndexOf(blocks[5]), 5);
    EXPECT_EQ(MemCheckAll(), 10);

    for (void* block : blocks) MemFree(block);
    EXPECT_EQ(MemCount(), 0);
}

TEST(MemoryRegistry, QueriesWalkFindAndCount) {
    void* a = MemAlloc(3, "UpfMem");
    void* b = MemAlloc(5, "UpfTblW");
    void* c = MemAlloc(7, "UpfMem");
    int first = MemFind("UpfMem", 0);
    ASSERT_GE(first, 0);
    int second = MemFind("UpfMem", first + 1);
    EXPECT_GT(second, first);
    EXPECT_EQ(MemFind("UpfMem", second + 1), -1);
    EXPECT_EQ(MemFind("UpfMe", 0), -1); // a prefix is not the tag
    EXPECT_EQ(MemFind("UpfTblW", -5), IndexOf(b));

    char tag[8];
    void* block = nullptr;
    size_t size = 0;
    int index = MemNext(tag, &block, &size, first - 1);
    EXPECT_EQ(index, first);
    EXPECT_STREQ(tag, "UpfMem");
    EXPECT_EQ(block, a);
    EXPECT_EQ(size, 3u);
    EXPECT_EQ(MemNext(nullptr, nullptr, nullptr, second), -1);
    EXPECT_EQ(MemCount(), 3);

    MemFree(a);
    MemFree(b);
    MemFree(c);
    EXPECT_EQ(MemNext(tag, &block, &size, -1), -1);
}

TEST(MemoryRegistry, TagsAreCutToSevenCharacters) {
    void* longTag = MemAlloc(1, "OverlyLongTag");
    void* exact = MemAlloc(1, "InpFile");
    void* none = MemAlloc(1, nullptr);
    EXPECT_EQ(TagAt(IndexOf(longTag)), "OverlyL");
    EXPECT_EQ(MemFind("OverlyLongTag", 0), IndexOf(longTag)); // the search key is cut alike
    EXPECT_EQ(TagAt(IndexOf(exact)), "InpFile");
    EXPECT_EQ(TagAt(IndexOf(none)), "");
    MemFree(longTag);
    MemFree(exact);
    MemFree(none);
}

TEST(MemoryRegistry, ReallocationCarriesTheTagOrMarksForeignBlocks) {
    std::wstring folder = testenv::ScratchFolder(L"memory_realloc");
    void* table = MemAlloc(200, "DlgMtb");
    void* moved = MemRealloc(table, 600);
    EXPECT_EQ(TagAt(IndexOf(moved)), "DlgMtb");
    EXPECT_EQ(MemFind("DlgMtb", 0), IndexOf(moved));
    EXPECT_EQ(MemCount(), 1);

    // A block of the same layout that the registry never saw.
    void* foreign = GlobalAlloc(GMEM_FIXED, 20 + 4);
    FillPattern(foreign, 20);
    unsigned char* adopted = Bytes(MemRealloc(foreign, 30));
    ASSERT_NE(adopted, nullptr);
    EXPECT_TRUE(HasPattern(adopted, 20));
    EXPECT_EQ(TagAt(IndexOf(adopted)), "Realloc");

    // The adopted block is guarded at its new size like any other.
    adopted[30] = 0;
    StdoutCapture capture(folder);
    MemFree(adopted);
    MemFree(moved);
    EXPECT_EQ(capture.Text(), "Overflow in memory Realloc\n");
    EXPECT_EQ(MemCount(), 0);
}

TEST(MemoryTools, SwapExchangesRangesOfEveryLengthAndAlignment) {
    for (size_t length : {0u, 1u, 3u, 4u, 5u, 8u, 13u}) {
        for (size_t offset : {0u, 1u, 3u}) {
            unsigned char left[32], right[32];
            for (size_t i = 0; i < 32; ++i) {
                left[i] = static_cast<unsigned char>(i);
                right[i] = static_cast<unsigned char>(100 + i);
            }
            MemSwap(left + offset, right + offset, length);
            for (size_t i = 0; i < 32; ++i) {
                bool inside = i >= offset && i < offset + length;
                EXPECT_EQ(left[i], inside ? 100 + i : i) << "length " << length << " offset " << offset;
                EXPECT_EQ(right[i], inside ? i : 100 + i) << "length " << length << " offset " << offset;
            }
        }
    }
}

TEST(MemoryTools, StatusReportsMegabytesAndAcceptsNullOutputs) {
    int physical = -1, virtualMb = -1;
    int total = MemStatus(&physical, &virtualMb);
    MEMORYSTATUSEX status;
    status.dwLength = sizeof status;
    ASSERT_TRUE(GlobalMemoryStatusEx(&status));
    EXPECT_EQ(total, static_cast<int>(status.ullTotalPhys >> 20));
    EXPECT_GT(physical, 0);
    EXPECT_LE(physical, total);
    EXPECT_GT(virtualMb, 0);
    EXPECT_EQ(MemStatus(nullptr, nullptr), total);
}

#else

// The plug-in keeps no registry and so cannot report overruns; it guards reallocated blocks only.
TEST(PluginMemory, FreshBlocksCarryNoGuardAndFreeWithoutReport) {
    std::wstring folder = testenv::ScratchFolder(L"memory_plugin");
    unsigned char* block = Bytes(MemAllocZero(16, "DlgItb"));
    ASSERT_NE(block, nullptr);
    EXPECT_TRUE(AllZero(block, 0, 16));
    EXPECT_TRUE(AllZero(block, 16, 20)); // the room behind the block holds no guard pattern
    StdoutCapture capture(folder);
    MemFree(block);
    EXPECT_EQ(capture.Text(), "");
}

TEST(PluginMemory, ReallocationWritesTheGuardBehindTheNewSize) {
    std::wstring folder = testenv::ScratchFolder(L"memory_plugin_realloc");
    unsigned char* block = Bytes(MemRealloc(MemAlloc(10, "RepTxt"), 20));
    ASSERT_NE(block, nullptr);
    const unsigned char guard[4] = {1, 2, 3, 4};
    EXPECT_EQ(memcmp(block + 20, guard, 4), 0);
    block[20] = 0; // damaged, yet freed without a word: nothing records the owner
    StdoutCapture capture(folder);
    MemFree(block);
    EXPECT_EQ(capture.Text(), "");
}

#endif
