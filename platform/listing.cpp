// Finding a file under any letter case of its name, listing a directory
// once when many names are looked up, and reading the entries found.

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cerrno>
#include <deque>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "platform/io_error.h"
#include "platform/platform.h"

namespace shenbao::platform {

namespace {

// `name` with ASCII letters in lower case: the key of case-blind look-ups.
std::string FoldCase(std::string_view name) {
    std::string folded(name);
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return folded;
}

// What a link at `path` leads to; nothing when it leads nowhere.
std::optional<EntryKind> KindLeadTo(const fs::path& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return std::nullopt;
    }
    return KindOfMode(st.st_mode);  // stat has followed every link
}

EntryKind KindOfDirent(const fs::path& dir, const dirent& entry) {
    switch (entry.d_type) {
        case DT_REG:
            return EntryKind::Regular;
        case DT_DIR:
            return EntryKind::Directory;
        case DT_LNK:
            return EntryKind::Link;
        case DT_UNKNOWN:
            // Some file systems do not say; ask the entry itself.
            return EntryKindOf(dir / entry.d_name).value_or(EntryKind::Special);
        default:
            return EntryKind::Special;
    }
}

// The most ASCII letters a name may have for a look-up to try its
// spellings one by one (4096 names at most) rather than list the directory.
constexpr std::size_t kMaxProbedLetters = 12;

// What a look-up meets under `path`: the entry itself; with Links::Follow a
// link counts as what it leads to (one that leads nowhere stays a link).
// Nothing when there is nothing.
std::optional<EntryKind> ProbedKind(const char* path, Links links) {
    struct stat st {};
    if (::lstat(path, &st) != 0) {
        return std::nullopt;
    }
    const EntryKind kind = KindOfMode(st.st_mode);
    if (kind == EntryKind::Link && links == Links::Follow) {
        return KindLeadTo(path).value_or(EntryKind::Link);
    }
    return kind;
}

bool IsAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Of two spellings `a` and `b` of `name` (the same but for the letter case
// of ASCII letters), whether `a` comes first: the one with fewer letters in
// another case; of as many, the one that keeps the case of the later letter
// where they part. Whether the directory is listed or each spelling looked
// up, a name with several spellings on the disk finds the same file.
bool CloserSpelling(std::string_view name, std::string_view a, std::string_view b) {
    std::size_t changedA = 0;
    std::size_t changedB = 0;
    for (std::size_t i = 0; i < name.size(); ++i) {
        changedA += a[i] != name[i] ? 1 : 0;
        changedB += b[i] != name[i] ? 1 : 0;
    }
    if (changedA != changedB) {
        return changedA < changedB;
    }
    for (std::size_t i = name.size(); i-- > 0;) {
        const bool inA = a[i] != name[i];
        const bool inB = b[i] != name[i];
        if (inA != inB) {
            return !inA;
        }
    }
    return false;
}

// The ways of changing the letter case of some of `letters` letters, as
// bit masks (bit b: the b-th letter changed), all but "none", in the order
// CloserSpelling ranks the spellings they give.
const std::vector<std::uint32_t>& SpellingsByCloseness(std::size_t letters) {
    static const std::vector<std::vector<std::uint32_t>> byCount = [] {
        std::vector<std::vector<std::uint32_t>> all(kMaxProbedLetters + 1);
        for (std::size_t n = 0; n <= kMaxProbedLetters; ++n) {
            for (std::uint32_t mask = 1; mask < (std::uint32_t{1} << n); ++mask) {
                all[n].push_back(mask);
            }
            std::stable_sort(all[n].begin(), all[n].end(), [](std::uint32_t a, std::uint32_t b) {
                return std::popcount(a) < std::popcount(b);
            });
        }
        return all;
    }();
    return byCount[letters];
}

// The entry that DirectoryListing::Find finds for `name` in `dir`, found
// without listing the directory: the exact name, then every spelling that
// differs from it in the letter case of ASCII letters, one look-up each.
// Nothing when there is none; `tooManyLetters` is set, and nothing looked
// up beyond the exact name, for a name of more than kMaxProbedLetters
// letters, whose spellings are too many to try.
std::optional<DirectoryEntry> ProbeEntry(const fs::path& dir, std::string_view name, Links links,
                                         bool& tooManyLetters) {
    tooManyLetters = false;
    std::string path = dir.native();
    if (!path.empty() && path.back() != '/') {
        path.push_back('/');
    }
    const std::size_t start = path.size();
    path.append(name);
    const std::optional<EntryKind> exact = ProbedKind(path.c_str(), links);
    if (exact == EntryKind::Regular) {
        return DirectoryEntry{std::string(name), EntryKind::Regular};
    }
    std::vector<std::size_t> letters;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (IsAsciiLetter(name[i])) {
            letters.push_back(start + i);
        }
    }
    if (letters.size() > kMaxProbedLetters) {
        tooManyLetters = true;
        return std::nullopt;
    }
    std::optional<DirectoryEntry> other;
    for (const std::uint32_t flipped : SpellingsByCloseness(letters.size())) {
        for (std::size_t b = 0; b < letters.size(); ++b) {
            const char original = name[letters[b] - start];
            path[letters[b]] = ((flipped >> b) & 1u) != 0
                                   ? static_cast<char>(original ^ 0x20)  // the other case
                                   : original;
        }
        const std::optional<EntryKind> kind = ProbedKind(path.c_str(), links);
        if (!kind) {
            continue;
        }
        if (*kind == EntryKind::Regular) {
            return DirectoryEntry{path.substr(start), EntryKind::Regular};
        }
        if (!other) {
            other = DirectoryEntry{path.substr(start), *kind};
        }
    }
    if (exact) {
        return DirectoryEntry{std::string(name), *exact};
    }
    return other;
}

}  // namespace

// The listing of a directory, made once, and the entries found without one;
// shared by the threads that look names up.
struct DirectoryListing::State {
    std::mutex mutex;
    std::atomic<bool> listed{false};
    std::vector<DirectoryEntry> entries;
    std::unordered_map<std::string, std::vector<std::size_t>> byFoldedName;
    // Entries found one by one (Listing::Never); a deque keeps them in place.
    std::deque<DirectoryEntry> probed;
};

DirectoryListing::DirectoryListing() : state_(std::make_unique<State>()) {
    state_->listed.store(true);
}

DirectoryListing::DirectoryListing(const fs::path& dir, Listing when, Links links)
    : dir_(dir), when_(when), links_(links), state_(std::make_unique<State>()) {
    if (when == Listing::Now) {
        List();
    }
}

DirectoryListing::DirectoryListing(DirectoryListing&&) noexcept = default;
DirectoryListing& DirectoryListing::operator=(DirectoryListing&&) noexcept = default;
DirectoryListing::~DirectoryListing() = default;

bool DirectoryListing::listed() const {
    return state_->listed.load(std::memory_order_acquire);
}

const std::vector<DirectoryEntry>& DirectoryListing::entries() const {
    List();
    return state_->entries;
}

void DirectoryListing::List() const {
    if (listed()) {
        return;
    }
    State& state = *state_;
    std::lock_guard<std::mutex> lock(state.mutex);
    if (state.listed.load(std::memory_order_relaxed)) {
        return;  // another thread listed it meanwhile
    }
    const fs::path& dir = dir_;
    state.entries.clear();
    state.byFoldedName.clear();
    if (int fault = InjectedFaultFor(FileOperation::List, dir)) {
        IoError::ThrowCode(dir, fault);
    }
    DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
    if (d == nullptr) {
        IoError::ThrowErrno(dir);
    }
    int readError = 0;
    for (;;) {
        errno = 0;
        dirent* entry = ::readdir(d);
        if (entry == nullptr) {
            readError = errno;
            break;
        }
        std::string_view name(entry->d_name);
        if (name == "." || name == "..") {
            continue;
        }
        EntryKind kind = KindOfDirent(dir, *entry);
        if (kind == EntryKind::Link && links_ == Links::Follow) {
            kind = KindLeadTo(dir / entry->d_name).value_or(EntryKind::Link);
        }
        state.byFoldedName[FoldCase(name)].push_back(state.entries.size());
        state.entries.push_back({std::string(name), kind});
    }
    ::closedir(d);
    if (readError != 0) {
        state.entries.clear();
        state.byFoldedName.clear();
        IoError::ThrowCode(dir, readError);
    }
    state.listed.store(true, std::memory_order_release);
}

const DirectoryEntry* DirectoryListing::Find(std::string_view name) const {
    if (when_ == Listing::Never && !listed()) {
        bool tooManyLetters = false;
        std::optional<DirectoryEntry> entry = ProbeEntry(dir_, name, links_, tooManyLetters);
        if (!tooManyLetters) {
            if (!entry) {
                return nullptr;
            }
            std::lock_guard<std::mutex> lock(state_->mutex);
            state_->probed.push_back(std::move(*entry));
            return &state_->probed.back();
        }
    }
    List();
    const State& state = *state_;
    auto it = state.byFoldedName.find(FoldCase(name));
    if (it == state.byFoldedName.end()) {
        return nullptr;
    }
    const DirectoryEntry* exact = nullptr;
    const DirectoryEntry* regular = nullptr;
    const DirectoryEntry* other = nullptr;
    for (std::size_t i : it->second) {
        const DirectoryEntry& entry = state.entries[i];
        const bool same = entry.name == name;
        if (same && entry.kind == EntryKind::Regular) {
            return &entry;
        }
        if (same) {
            exact = &entry;
        } else if (entry.kind == EntryKind::Regular) {
            if (regular == nullptr || CloserSpelling(name, entry.name, regular->name)) {
                regular = &entry;
            }
        } else if (other == nullptr || CloserSpelling(name, entry.name, other->name)) {
            other = &entry;
        }
    }
    if (regular != nullptr) {
        return regular;
    }
    return exact != nullptr ? exact : other;
}

EntryRead ReadEntry(const DirectoryListing& listing, const DirectoryEntry* entry) {
    EntryRead read;
    if (entry == nullptr) {
        return read;
    }
    const fs::path path = listing.PathOf(*entry);
    try {
        if (entry->kind == EntryKind::Link && listing.links() == Links::Follow) {
            return read;  // a link that leads nowhere: no file
        }
        if (entry->kind != EntryKind::Regular) {
            ThrowNotARegularFile(path, entry->kind);
        }
        if (ReadFileInto(path, read.content, listing.links())) {
            read.outcome = EntryRead::Outcome::Read;
            read.name = entry->name;
        }
    } catch (const IoError& error) {
        if (!IsUnreadableEntry(error.errorCode())) {
            throw;
        }
        read.outcome = EntryRead::Outcome::Refused;
        read.refusal = error;
        read.content.clear();
    }
    return read;
}

EntryRead ReadNamed(const DirectoryListing& listing, std::string_view name) {
    if (name.size() > 255) {
        EntryRead refused;
        refused.outcome = EntryRead::Outcome::Refused;
        refused.refusal = IoError(listing.directory() / std::string(name), ENAMETOOLONG,
                                  ReasonText(ENAMETOOLONG));
        return refused;
    }
    if (!listing.listed()) {
        EntryRead read;
        try {
            if (ReadFileInto(listing.directory() / name, read.content, listing.links())) {
                read.outcome = EntryRead::Outcome::Read;
                read.name = std::string(name);
                return read;
            }
        } catch (const IoError& error) {
            // No regular file under that very name: a variant of it may be one.
            if (!IsUnreadableEntry(error.errorCode())) {
                throw;
            }
        }
    }
    return ReadEntry(listing, listing.Find(name));
}
std::optional<fs::path> FindFile(const fs::path& dir, std::string_view name, Links links) {
    bool tooManyLetters = false;
    if (std::optional<DirectoryEntry> entry = ProbeEntry(dir, name, links, tooManyLetters)) {
        return dir / entry->name;
    }
    if (!tooManyLetters) {
        return std::nullopt;
    }
    // A name of many letters: one pass over the directory instead.
    fs::path exact = dir / fs::path(std::string(name));
    try {
        const DirectoryListing listing(dir, Listing::Now, links);
        if (const DirectoryEntry* entry = listing.Find(name)) {
            return listing.PathOf(*entry);
        }
        return std::nullopt;
    } catch (const IoError&) {
        return EntryKindOf(exact) ? std::optional<fs::path>(exact) : std::nullopt;
    }
}

}  // namespace shenbao::platform
