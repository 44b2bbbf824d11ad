// The renderer's worker threads: the calling thread hands them a job and waits until every worker has
// run it once. The threads live from RendererCreate to RendererDestroy.
#pragma once

constexpr int kLargestWorkerCount = 16;

struct RenderThreads;

using RenderJob = void (*)(void* context, int worker);

// Null when the threads cannot be started.
RenderThreads* RenderThreadsStart(int count);
void RenderThreadsStop(RenderThreads* threads);
int RenderThreadsCount(const RenderThreads* threads);
// Runs job(context, worker) on every worker, worker = 0 .. count - 1, and returns when all are done.
void RenderThreadsRun(RenderThreads* threads, RenderJob job, void* context);
