#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/workers.h"

namespace shenbao::platform {
namespace {

// Restores the rule for the number of threads when a test ends.
struct FixedThreads {
    explicit FixedThreads(unsigned threads) { SetWorkerThreads(threads); }
    ~FixedThreads() { SetWorkerThreads(std::nullopt); }
};

// Every index is worked on exactly once, whatever the number of threads and
// however the count falls on the runs handed out; with more than one thread
// the work is really shared.
TEST(ForEachIndex, WorksOnEveryIndexOnce) {
    struct Case {
        unsigned threads;
        std::size_t count;
    };
    const std::vector<Case> cases = {
        {1, 0}, {1, 1}, {1, 1000}, {2, 0}, {2, 1}, {2, 31}, {2, 32},
        {2, 33}, {2, 5000}, {4, 7}, {4, 4097}, {7, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.threads) + " threads, " + std::to_string(c.count));
        FixedThreads fixed(c.threads);
        std::vector<std::atomic<int>> calls(c.count);
        std::mutex mutex;
        std::set<std::thread::id> threads;
        ForEachIndex(c.count, [&](std::size_t i) {
            calls[i].fetch_add(1);
            std::lock_guard<std::mutex> lock(mutex);
            threads.insert(std::this_thread::get_id());
        });
        for (std::size_t i = 0; i < c.count; ++i) {
            ASSERT_EQ(calls[i].load(), 1) << i;
        }
        EXPECT_LE(threads.size(), c.threads);
    }
}

// A failure is reported at the lowest index that failed, with every index
// below it done, on one thread or several; no index past a failure is begun
// on the thread that met it.
TEST(ForEachIndex, RethrowsTheFailureOfTheLowestIndex) {
    struct Case {
        unsigned threads;
        std::size_t count;
        std::set<std::size_t> failing;
        std::size_t expected;
    };
    const std::vector<Case> cases = {
        {1, 100, {0}, 0},
        {1, 100, {40, 7}, 7},
        {2, 100, {99}, 99},
        {2, 3000, {2999, 1500, 33}, 33},
        {4, 3000, {64, 65, 2000}, 64},
        {4, 10, {9, 3}, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.threads) + " threads, fails at " +
                     std::to_string(c.expected));
        FixedThreads fixed(c.threads);
        std::vector<std::atomic<int>> calls(c.count);
        std::size_t failedAt = c.count;
        try {
            ForEachIndex(
                c.count,
                [&](std::size_t i) {
                    calls[i].fetch_add(1);
                    if (c.failing.count(i) != 0) {
                        throw std::runtime_error(std::to_string(i));
                    }
                },
                &failedAt);
            ADD_FAILURE() << "no exception";
        } catch (const std::runtime_error& error) {
            EXPECT_EQ(std::string(error.what()), std::to_string(c.expected));
        }
        EXPECT_EQ(failedAt, c.expected);
        for (std::size_t i = 0; i <= c.expected; ++i) {
            ASSERT_EQ(calls[i].load(), 1) << i;
        }
        for (std::size_t i = c.expected + 1; i < c.count; ++i) {
            ASSERT_LE(calls[i].load(), 1) << i;
        }
    }
}

}  // namespace
}  // namespace shenbao::platform
