// The registry is process-wide and, once full, stays closed; this program fills it on purpose.
#include <gtest/gtest.h>

#include <vector>

#include "runtime/memory.h"
#include "stdout_capture.h"
#include "support/test_environment.h"

#ifndef NIMBO_PLUGIN

TEST(MemoryRegistryFull, BlocksBeyondTheHighWaterLimitStayUntrackedAndUnchecked) {
    std::wstring folder = testenv::ScratchFolder(L"memory_full");
    std::vector<unsigned char*> tracked;
    for (int i = 0; i < kMemRegistrySize; ++i) {
        tracked.push_back(static_cast<unsigned char*>(MemAlloc(1, "TstFil")));
        ASSERT_NE(tracked.back(), nullptr);
    }
    EXPECT_EQ(MemCount(), kMemRegistrySize);
    EXPECT_EQ(MemCheckAll(), kMemRegistrySize);

    // Frees below the limit do not reopen the registry.
    for (int i = 0; i < 10; ++i) MemFree(tracked[i]);
    EXPECT_EQ(MemCount(), kMemRegistrySize - 10);
    unsigned char* late = static_cast<unsigned char*>(MemAlloc(4, "TstLat"));
    ASSERT_NE(late, nullptr);
    EXPECT_EQ(MemFind("TstLat", 0), -1);
    EXPECT_EQ(MemCount(), kMemRegistrySize - 10);

    // Reallocating an untracked block still works and keeps its data.
    late[0] = 11;
    late[3] = 44;
    unsigned char* moved = static_cast<unsigned char*>(MemReallocZero(late, 12));
    ASSERT_NE(moved, nullptr);
    EXPECT_EQ(moved[0], 11);
    EXPECT_EQ(moved[3], 44);
    for (int i = 4; i < 12; ++i) EXPECT_EQ(moved[i], 0) << i;

    unsigned char* unchecked = static_cast<unsigned char*>(MemAlloc(4, "TstUnc"));
    unchecked[4] = 0xAA; // inside the heap block, past the usable bytes
    StdoutCapture capture(folder);
    MemFree(unchecked);
    MemFree(moved);
    EXPECT_EQ(MemCheckAll(), kMemRegistrySize);
    EXPECT_EQ(capture.Text(), "");

    for (int i = 10; i < kMemRegistrySize; ++i) MemFree(tracked[i]);
    EXPECT_EQ(MemCount(), 0);
    // The allocator stays usable for whatever follows, untracked.
    void* after = MemAlloc(8, "TstEnd");
    EXPECT_NE(after, nullptr);
    MemFree(after);
}

#endif
