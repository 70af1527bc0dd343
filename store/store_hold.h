#pragma once

// One writer per store. A copy of the program holds the store it opened for
// as long as it runs: a second copy, or a second main window in the same
// process, on the same data directory finds it held and stays away, so that
// neither writes the index over the other's work. The hold is an advisory
// lock on the file "vemra.lock" in the data directory; the system releases
// it when its process ends, however it ends, so a killed copy never blocks
// the next start.

#include <filesystem>
#include <optional>
#include <string_view>

#include "platform/platform.h"

namespace shenbao {

inline constexpr std::string_view kStoreLockFileName = "vemra.lock";

class StoreHold {
  public:
    enum class State {
        Held,           // this copy is the store's writer
        HeldElsewhere,  // another copy of the program (or window) has it
        Unavailable,    // no lock can be had here (a read-only folder, a file
                        // system without locks): this copy goes ahead, and
                        // what it cannot write it reports as it goes
    };

    // Tries to take the store of `dataDir` without waiting.
    static StoreHold Take(const std::filesystem::path& dataDir);

    StoreHold() = default;
    State state() const { return state_; }
    // Whether this copy may write the store.
    bool mayWrite() const { return state_ != State::HeldElsewhere; }
    // The errno of an Unavailable hold.
    int error() const { return error_; }

  private:
    State state_ = State::Unavailable;
    int error_ = 0;
    std::optional<platform::FileLock> lock_;
};

}  // namespace shenbao
