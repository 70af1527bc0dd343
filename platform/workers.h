#pragma once

// Work on many files shared among the cores. A command that reads or copies
// thousands of files (the list of a large store, an export) hands the files
// to every core and waits until all are done before it goes on: nothing of
// it runs after the command returns.

#include <cstddef>
#include <functional>
#include <optional>

namespace shenbao::platform {

// The most threads ForEachIndex uses, whatever the machine.
inline constexpr unsigned kMaxWorkerThreads = 4;

// The threads ForEachIndex uses: one per core, at most kMaxWorkerThreads;
// one while a fault injector is installed, so that the injector sees the
// steps of the files in their order (tests count them); or what
// SetWorkerThreads fixed.
unsigned WorkerThreads() noexcept;

// Tests fix the number of threads (also while an injector is installed);
// nothing gives the rule above back.
void SetWorkerThreads(std::optional<unsigned> threads) noexcept;

// Calls work(i) for every i in [0, count). Runs of consecutive indices go to
// WorkerThreads() threads, the calling thread one of them, each run in
// increasing order; returns when every call has returned. When a call
// throws, no further index above it is begun; once all threads are done,
// the exception of the lowest index that threw is rethrown and `failedAt`
// (when given) gets that index: every index below it has been done, indices
// above it may have been done or not. `work` must be safe to call from
// several threads at once for different indices.
void ForEachIndex(std::size_t count, const std::function<void(std::size_t)>& work,
                  std::size_t* failedAt = nullptr);

}  // namespace shenbao::platform
