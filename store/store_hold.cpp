#include "store/store_hold.h"

namespace shenbao {

StoreHold StoreHold::Take(const std::filesystem::path& dataDir) {
    StoreHold hold;
    const platform::FileLock::Outcome outcome = platform::FileLock::TryLock(
        dataDir / std::string(kStoreLockFileName), hold.lock_, &hold.error_);
    switch (outcome) {
        case platform::FileLock::Outcome::Locked:
            hold.state_ = State::Held;
            break;
        case platform::FileLock::Outcome::HeldElsewhere:
            hold.state_ = State::HeldElsewhere;
            break;
        case platform::FileLock::Outcome::Unavailable:
            hold.state_ = State::Unavailable;
            break;
    }
    return hold;
}

}  // namespace shenbao
