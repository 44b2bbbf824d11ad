#include "engine_worker.h"

#include "engine_text.h"

#include <atomic>
#include <mutex>
#include <system_error>
#include <thread>

namespace {

// The worker thread. A process that ends without pcvFree must not die in std::thread's destructor
// (a joinable thread terminates the program); at that point the thread is left to the system.
struct WorkerThread {
    std::thread thread;
    ~WorkerThread() {
        if (thread.joinable()) thread.detach();
    }
};

std::mutex workerLock; // guards worker and description
WorkerThread worker;
wchar_t description[kPathChars] = L"";
std::atomic<int> progress{100};
volatile bool cancel = false;

void SetDescription(const wchar_t* text) {
    std::lock_guard<std::mutex> hold(workerLock);
    TextCopy(description, kPathChars, text);
}

void Report(void*, int percent, const wchar_t* text) {
    // Progress only rises while the work runs, and stays below 100 until the work has ended.
    if (percent > 99) percent = 99;
    if (percent > progress) progress = percent;
    if (text) SetDescription(text);
}

// Only called once progress is 100: the work no longer takes the lock then.
void JoinFinished() {
    if (worker.thread.joinable()) worker.thread.join();
}

} // namespace

bool WorkerStart(const std::function<void(const WorkProgress& progress)>& work) {
    std::lock_guard<std::mutex> hold(workerLock);
    if (progress != 100) return false;
    JoinFinished();
    cancel = false;
    progress = 0;
    TextCopy(description, kPathChars, L"Starting");
    try {
        worker.thread = std::thread([work]() {
            WorkProgress reporter{Report, nullptr, &cancel};
            work(reporter);
            SetDescription(L"Done");
            progress = 100;
        });
    } catch (const std::system_error&) {
        progress = 100; // the library reports a thread it cannot start only this way
        return false;
    }
    return true;
}

int WorkerProgress() {
    return progress;
}

void WorkerDescription(wchar_t* text, size_t capacity) {
    std::lock_guard<std::mutex> hold(workerLock);
    TextCopy(text, capacity, description);
}

void WorkerWait() {
    // The work takes the lock to describe its steps, so it is joined without holding it.
    std::thread running;
    {
        std::lock_guard<std::mutex> hold(workerLock);
        running = std::move(worker.thread);
    }
    if (running.joinable()) running.join();
}

void WorkerCancelAndWait() {
    cancel = true;
    WorkerWait();
    cancel = false;
}
