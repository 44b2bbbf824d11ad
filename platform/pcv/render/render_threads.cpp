#include "render/render_threads.h"

#include <windows.h>

#include <new>

namespace {

struct Worker {
    RenderThreads* owner;
    int index;
    HANDLE thread;
    HANDLE start; // auto-reset: one run per signal
    HANDLE done;
};

} // namespace

struct RenderThreads {
    Worker workers[kLargestWorkerCount];
    int count;
    RenderJob job;
    void* context;
    volatile LONG stopping;
};

namespace {

DWORD WINAPI WorkerMain(void* parameter) {
    Worker* worker = static_cast<Worker*>(parameter);
    RenderThreads* owner = worker->owner;
    for (;;) {
        WaitForSingleObject(worker->start, INFINITE);
        if (InterlockedCompareExchange(&owner->stopping, 0, 0)) return 0;
        owner->job(owner->context, worker->index);
        SetEvent(worker->done);
    }
}

void CloseWorker(Worker& worker) {
    if (worker.thread) CloseHandle(worker.thread);
    if (worker.start) CloseHandle(worker.start);
    if (worker.done) CloseHandle(worker.done);
    worker.thread = worker.start = worker.done = nullptr;
}

} // namespace

RenderThreads* RenderThreadsStart(int count) {
    if (count < 1) count = 1;
    if (count > kLargestWorkerCount) count = kLargestWorkerCount;
    RenderThreads* threads = new (std::nothrow) RenderThreads();
    if (!threads) return nullptr;
    for (int i = 0; i < count; ++i) {
        Worker& worker = threads->workers[i];
        worker.owner = threads;
        worker.index = i;
        worker.start = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        worker.done = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        if (worker.start && worker.done)
            worker.thread = CreateThread(nullptr, 0, WorkerMain, &worker, 0, nullptr);
        if (!worker.thread) {
            CloseWorker(worker);
            threads->count = i;
            RenderThreadsStop(threads);
            return nullptr;
        }
    }
    threads->count = count;
    return threads;
}

void RenderThreadsStop(RenderThreads* threads) {
    if (!threads) return;
    InterlockedExchange(&threads->stopping, 1);
    for (int i = 0; i < threads->count; ++i) SetEvent(threads->workers[i].start);
    for (int i = 0; i < threads->count; ++i) {
        WaitForSingleObject(threads->workers[i].thread, INFINITE);
        CloseWorker(threads->workers[i]);
    }
    delete threads;
}

int RenderThreadsCount(const RenderThreads* threads) {
    return threads->count;
}

void RenderThreadsRun(RenderThreads* threads, RenderJob job, void* context) {
    threads->job = job;
    threads->context = context;
    HANDLE done[kLargestWorkerCount];
    for (int i = 0; i < threads->count; ++i) {
        done[i] = threads->workers[i].done;
        SetEvent(threads->workers[i].start);
    }
    WaitForMultipleObjects(static_cast<DWORD>(threads->count), done, TRUE, INFINITE);
}
