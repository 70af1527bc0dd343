#include "platform/workers.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/platform.h"

namespace shenbao::platform {

namespace {

// 0: no number fixed by a test.
std::atomic<unsigned> gFixedThreads{0};

// Indices a thread takes at a time: enough that handing them out costs
// nothing beside reading a file each, few enough that the threads end
// together.
constexpr std::size_t kRun = 32;

}  // namespace

unsigned WorkerThreads() noexcept {
    if (const unsigned fixed = gFixedThreads.load(std::memory_order_relaxed); fixed > 0) {
        return fixed;
    }
    if (HasFaultInjector()) {
        return 1;
    }
    const unsigned cores = std::thread::hardware_concurrency();
    return std::clamp(cores, 1u, kMaxWorkerThreads);
}

void SetWorkerThreads(std::optional<unsigned> threads) noexcept {
    gFixedThreads.store(threads ? std::max(*threads, 1u) : 0u, std::memory_order_relaxed);
}

void ForEachIndex(std::size_t count, const std::function<void(std::size_t)>& work,
                  std::size_t* failedAt) {
    std::atomic<std::size_t> next{0};
    // The lowest index that has thrown so far; SIZE_MAX while none has.
    std::atomic<std::size_t> stop{SIZE_MAX};
    std::mutex failureMutex;
    std::exception_ptr failure;

    const auto run = [&] {
        for (;;) {
            const std::size_t begin = next.fetch_add(kRun, std::memory_order_relaxed);
            if (begin >= count || begin > stop.load(std::memory_order_acquire)) {
                return;
            }
            const std::size_t end = std::min(count, begin + kRun);
            for (std::size_t i = begin; i < end; ++i) {
                if (i > stop.load(std::memory_order_acquire)) {
                    return;
                }
                try {
                    work(i);
                } catch (...) {
                    std::lock_guard<std::mutex> lock(failureMutex);
                    if (i < stop.load(std::memory_order_relaxed)) {
                        failure = std::current_exception();
                        stop.store(i, std::memory_order_release);
                    }
                    return;
                }
            }
        }
    };

    const std::size_t runs = (count + kRun - 1) / kRun;
    const std::size_t wanted = std::min<std::size_t>(WorkerThreads(), runs);
    std::vector<std::thread> helpers;
    for (std::size_t t = 1; t < wanted; ++t) {
        try {
            helpers.emplace_back(run);
        } catch (const std::system_error&) {
            break;  // no more threads to be had: fewer do the work
        }
    }
    run();
    for (std::thread& helper : helpers) {
        helper.join();
    }
    if (failure) {
        if (failedAt != nullptr) {
            *failedAt = stop.load();
        }
        std::rethrow_exception(failure);
    }
}

}  // namespace shenbao::platform
