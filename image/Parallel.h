// Runs fn(first, last) over [0, count) in contiguous blocks on the machine's cores.
// Used only where each index writes its own output, so the result never depends on
// the number of threads. When the system cannot give a thread, the calling thread
// does that block itself.
#pragma once

#include <algorithm>
#include <system_error>
#include <thread>
#include <vector>

// At most this many threads when above 0 (benchmarks measure one thread with 1).
inline int g_parallelThreadLimit = 0;
inline void SetParallelThreadLimit(int threads) { g_parallelThreadLimit = std::max(0, threads); }

// The blocks of [0, count) on `threads` threads, each made by start(task), which
// returns a std::thread or throws std::system_error as std::thread's constructor does.
template <class Fn, class Start>
void ParallelRangesWith(int count, int threads, Fn& fn, Start&& start) {
    std::vector<std::thread> pool;
    const int block = (count + threads - 1) / threads;
    bool refused = false;
    for (int t = 1; t < threads; ++t) {
        const int first = t * block, last = std::min(count, first + block);
        if (first >= last) continue;
        if (!refused) {
            try {
                pool.push_back(start([=, &fn] { fn(first, last); }));
                continue;
            } catch (const std::system_error&) {
                refused = true;  // no more threads now: the rest runs here
            }
        }
        fn(first, last);
    }
    fn(0, std::min(count, block));
    for (std::thread& th : pool) th.join();
}

template <class Fn>
void ParallelRanges(int count, int minPerThread, Fn fn) {
    int cores = int(std::max(1u, std::thread::hardware_concurrency()));
    if (g_parallelThreadLimit > 0) cores = std::min(cores, g_parallelThreadLimit);
    const int threads = std::min(cores, std::max(1, count / std::max(1, minPerThread)));
    if (threads <= 1) {
        fn(0, count);
        return;
    }
    ParallelRangesWith(count, threads, fn, [](auto task) { return std::thread(std::move(task)); });
}
