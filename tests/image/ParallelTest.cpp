// The thread helper: every index is done exactly once, also when the system refuses
// a thread part way (the program used to end then).
#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "Parallel.h"

TEST(Parallel, EveryIndexOnceWhateverThreadsTheSystemGives) {
    for (int refuseFrom : {1, 2, 3, 99}) {  // the n-th thread and all after it are refused
        SCOPED_TRACE(refuseFrom);
        std::vector<std::atomic<int>> done(1001);
        auto fn = [&](int first, int last) {
            for (int i = first; i < last; ++i) ++done[size_t(i)];
        };
        int started = 0;
        ParallelRangesWith(1001, 4, fn, [&](auto task) {
            if (++started >= refuseFrom) throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
            return std::thread(std::move(task));
        });
        for (const auto& d : done) EXPECT_EQ(d.load(), 1);
    }
}
