// What DrawView and its host queries do with views the host does not know, in a process where the
// host's interface is loaded but no host runs: nothing is drawn, no lock is taken, nothing changes.
#include "view.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string.h>

namespace {

// Holds ViewMutex on a thread of its own, as a draw or a copy in progress would.
struct HeldLock {
    HANDLE taken = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread = nullptr;

    HeldLock() {
        thread = CreateThread(nullptr, 0, Hold, this, 0, nullptr);
        WaitForSingleObject(taken, 5000);
    }
    ~HeldLock() {
        SetEvent(release);
        WaitForSingleObject(thread, 5000);
        CloseHandle(thread);
        CloseHandle(taken);
        CloseHandle(release);
    }
    static DWORD WINAPI Hold(void* self) {
        HeldLock* lock = static_cast<HeldLock*>(self);
        WaitForSingleObject(ViewMutex, INFINITE);
        SetEvent(lock->taken);
        WaitForSingleObject(lock->release, INFINITE);
        ReleaseMutex(ViewMutex);
        return 0;
    }
};

DWORD WINAPI DrawUnknownView(void* view) {
    DrawView(static_cast<ViewHandle>(view));
    return 0;
}

TEST(DrawView, ViewsTheHostDoesNotIndexAreLeftAloneWithoutTakingTheLock) {
    ViewMutex = CreateMutexA(nullptr, FALSE, nullptr);
    ASSERT_NE(ViewMutex, nullptr);
    static int notAView;
    void* const views[] = {nullptr, &notAView, reinterpret_cast<void*>(static_cast<intptr_t>(8))};
    for (void* view : views) {
        memset(&SharedView, 0x5A, sizeof SharedView);
        ProjectionImageData before = SharedView;
        {
            HeldLock lock;
            // A draw that waited for the lock would never end while it is held.
            HANDLE draw = CreateThread(nullptr, 0, DrawUnknownView, view, 0, nullptr);
            EXPECT_EQ(WaitForSingleObject(draw, 5000), WAIT_OBJECT_0) << view;
            CloseHandle(draw);
        }
        EXPECT_EQ(memcmp(&before, &SharedView, sizeof SharedView), 0) << view;

        ProjectionImageData record;
        memset(&record, 0x3C, sizeof record);
        ProjectionImageData untouched = record;
        FillViewRecord(&record, static_cast<ViewHandle>(view));
        EXPECT_EQ(memcmp(&untouched, &record, sizeof record), 0) << view;
    }
    ViewHookRemove();
    EXPECT_EQ(ViewMutex, nullptr);
    ViewHookRemove(); // again, as after a failed start: harmless
}

TEST(DrawView, ImageSizeOfAViewThatIsNotOpenLeavesTheOutputsAlone) {
    for (int index : {0, 7, 8, -1}) {
        int width = 1234, height = 5678;
        EXPECT_EQ(ViewGetImageSize(&width, &height, index), 0) << index;
        EXPECT_EQ(width, 1234);
        EXPECT_EQ(height, 5678);
        EXPECT_FALSE(IsViewVisible(index));
    }
}

} // namespace
