// The engine's worker thread: one piece of work at a time (a conversion and load), its progress
// (0 .. 100; 100 when nothing is running) and the description of its current step.
#pragma once

#include "conversion.h"

#include <stddef.h>

#include <functional>

// Starts work on the worker thread; false when work is still running. Progress is 0 before this
// returns; work reports through the progress it is given and its end sets 100.
bool WorkerStart(const std::function<void(const WorkProgress& progress)>& work);
int WorkerProgress();
void WorkerDescription(wchar_t* text, size_t capacity);
// Asks running work to stop and waits until it has.
void WorkerCancelAndWait();
// Waits until running work has ended.
void WorkerWait();
