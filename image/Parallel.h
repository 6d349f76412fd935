// Runs fn(first, last) over [0, count) in contiguous blocks on the machine's cores.
// Used only where each index writes its own output, so the result never depends on
// the number of threads.
#pragma once

#include <algorithm>
#include <thread>
#include <vector>

// At most this many threads when above 0 (benchmarks measure one thread with 1).
inline int g_parallelThreadLimit = 0;
inline void SetParallelThreadLimit(int threads) { g_parallelThreadLimit = std::max(0, threads); }

template <class Fn>
void ParallelRanges(int count, int minPerThread, Fn fn) {
    int cores = int(std::max(1u, std::thread::hardware_concurrency()));
    if (g_parallelThreadLimit > 0) cores = std::min(cores, g_parallelThreadLimit);
    const int threads = std::min(cores, std::max(1, count / std::max(1, minPerThread)));
    if (threads <= 1) {
        fn(0, count);
        return;
    }
    std::vector<std::thread> pool;
    const int block = (count + threads - 1) / threads;
    for (int t = 1; t < threads; ++t) {
        const int first = t * block, last = std::min(count, first + block);
        if (first < last) pool.emplace_back([=, &fn] { fn(first, last); });
    }
    fn(0, std::min(count, block));
    for (std::thread& th : pool) th.join();
}
