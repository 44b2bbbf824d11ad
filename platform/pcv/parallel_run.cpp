#include "parallel_run.h"

#include <system_error>
#include <thread>

void ParallelRun(int parts, const std::function<void(int part)>& work) {
    if (parts < 1) parts = 1;
    if (parts > kMaxParallelParts) parts = kMaxParallelParts;
    std::thread helpers[kMaxParallelParts];
    bool started[kMaxParallelParts] = {};
    for (int part = 1; part < parts; ++part) {
        try {
            helpers[part] = std::thread(work, part);
            started[part] = true;
        } catch (const std::system_error&) {
            started[part] = false; // the library reports a thread it cannot start only this way
        }
    }
    work(0);
    for (int part = 1; part < parts; ++part) {
        if (started[part]) {
            helpers[part].join();
        } else {
            work(part);
        }
    }
}
