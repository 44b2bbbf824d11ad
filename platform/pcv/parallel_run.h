// Running one piece of work on both cores: the calling thread takes part 0, helper threads the others.
#pragma once

#include <functional>

// The most parts ParallelRun splits work into; the machine we target has two cores.
constexpr int kMaxParallelParts = 2;

// Calls work(part) for part 0 .. parts - 1 (parts limited to 1 .. kMaxParallelParts), part 0 on the
// calling thread, and returns when all have returned. A helper thread that cannot be started leaves
// its part to the calling thread.
void ParallelRun(int parts, const std::function<void(int part)>& work);

// The range [begin, end) of part of parts equal slices of count items.
inline void ParallelSlice(unsigned long long count, int part, int parts, unsigned long long* begin,
                          unsigned long long* end) {
    *begin = count * part / parts;
    *end = count * (part + 1) / parts;
}
