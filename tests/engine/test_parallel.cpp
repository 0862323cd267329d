#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "parallel.h"

TEST(ParallelFor, CoversEveryIndexExactlyOnce) {
    for (int64_t count : {int64_t{0}, int64_t{1}, int64_t{7}, int64_t{100003}}) {
        std::vector<std::atomic<int>> hits(static_cast<size_t>(count));
        imgproc::parallelFor(count, 1, [&](int64_t begin, int64_t end) {
            ASSERT_LT(begin, end);
            for (int64_t i = begin; i < end; ++i) hits[static_cast<size_t>(i)]++;
        });
        for (auto& h : hits) ASSERT_EQ(h.load(), 1) << count;
    }
}

TEST(ParallelFor, SmallAndNestedLoopsRunWholeOnTheCallingThread) {
    const auto caller = std::this_thread::get_id();
    int calls = 0;
    imgproc::parallelFor(100, 1000, [&](int64_t begin, int64_t end) {
        ++calls;
        EXPECT_EQ(std::this_thread::get_id(), caller);
        EXPECT_EQ(std::pair(begin, end), std::pair(int64_t{0}, int64_t{100}));
    });
    EXPECT_EQ(calls, 1);

    std::atomic<int64_t> inner{0};
    imgproc::parallelFor(64, 1, [&](int64_t begin, int64_t end) {
        const auto outerThread = std::this_thread::get_id();
        for (int64_t i = begin; i < end; ++i)
            imgproc::parallelFor(10, 1, [&](int64_t b, int64_t e) {
                EXPECT_EQ(std::this_thread::get_id(), outerThread);
                inner += e - b;
            });
    });
    EXPECT_EQ(inner.load(), 640);
}

TEST(ParallelFor, ConcurrentCallersBothFinish) {
    std::atomic<int64_t> total{0};
    auto work = [&] {
        for (int round = 0; round < 50; ++round)
            imgproc::parallelFor(10000, 1, [&](int64_t b, int64_t e) { total += e - b; });
    };
    std::thread other(work);
    work();
    other.join();
    EXPECT_EQ(total.load(), 2 * 50 * 10000);
}
