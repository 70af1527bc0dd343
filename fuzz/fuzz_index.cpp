// The index reader: ParseIdList over any content, LoadIndex through the
// index file of a scratch data directory, and the round trip through
// FormatIdList, which must give back the same list. Also the clearing of a
// store, which deletes what the index lines name: only files inside the data
// directory, never the code table or a path setting file.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "store/project_removal.h"
#include "fuzz/fuzz_support.h"
#include "store/index_file.h"
#include "store/text.h"

namespace {

namespace fs = std::filesystem;
using namespace shenbao;

// A directory beside the data directory that clearing must not touch.
const fs::path& OutsideDir() {
    static const fs::path dir = [] {
        const fs::path made = fuzz::MakeScratchDirectory("outside");
        fuzz::WriteBytes(made / "victim.zzj", "keep");
        fuzz::WriteBytes(made / "victim.zj", "keep");
        return made;
    }();
    return dir;
}

const std::vector<std::string>& KeptNames() {
    static const std::vector<std::string> names = {"_SysCode.zzj", "_DataOut.zzj", "_DataIn.zzj"};
    return names;
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

bool Kept(std::string_view name) {
    for (const std::string& kept : KeptNames()) {
        if (SameIgnoringCase(name, kept)) {
            return true;
        }
    }
    return false;
}

// A name that names a file inside the directory it is joined to.
bool InsideName(std::string_view name) {
    if (name.empty() || name.find("..") != std::string_view::npos) {
        return false;
    }
    for (char c : name) {
        const unsigned char b = static_cast<unsigned char>(c);
        if (c == '/' || c == '\\' || c == ':' || b < 32 || b == 127) {
            return false;
        }
    }
    return name.size() <= 200;
}

void CheckClearing(std::string_view content) {
    const fs::path& dir = fuzz::ScratchDirectory("clear");
    const auto outsideBefore = fuzz::Snapshot(OutsideDir());
    fuzz::EmptyDirectory(dir);
    fuzz::WriteBytes(dir / std::string(kIndexFileName), content);
    for (const std::string& kept : KeptNames()) {
        fuzz::WriteBytes(dir / kept, "kept");
    }
    fs::create_directory(dir / "sub");
    fuzz::WriteBytes(dir / "sub" / "x.zzj", "kept");
    // Files for the first lines, so that clearing has something to delete.
    std::set<std::string> named;
    // The IDs as every command reads them from the index.
    const std::vector<std::string> ids = ParseIdList(content);
    for (std::size_t i = 0; i < ids.size(); ++i) {
        for (const char* extension : {".zzj", ".zj"}) {
            const std::string name = ids[i] + extension;
            if (!IsReservedId(ids[i])) {
                named.insert(name);  // a reserved line names no project's file
            }
            if (i < 8 && InsideName(name) && !fs::exists(fs::symlink_status(dir / name))) {
                fuzz::WriteBytes(dir / name, "project");
            }
        }
    }
    const auto before = fuzz::Snapshot(dir);

    FUZZ_CHECK(ClearStore(dir));

    const auto after = fuzz::Snapshot(dir);
    FUZZ_CHECK(after.count(std::string(kIndexFileName)) == 0);
    FUZZ_CHECK(after.count("sub/x.zzj") == 1);
    for (const std::string& kept : KeptNames()) {
        FUZZ_CHECK(after.count(kept) == 1);
    }
    for (const auto& [name, file] : before) {
        const bool removed = after.count(name) == 0;
        if (name == kIndexFileName) {
            continue;
        }
        const bool expected = named.count(name) != 0 && InsideName(name) && !Kept(name);
        FUZZ_CHECK(removed == expected);
    }
    FUZZ_CHECK(after.size() <= before.size());
    FUZZ_CHECK(fuzz::Snapshot(OutsideDir()) == outsideBefore);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view content = fuzz::InputText(data, size);
    const std::vector<std::string> ids = ParseIdList(content);
    std::size_t bytes = 0;
    for (const std::string& id : ids) {
        FUZZ_CHECK(!id.empty());
        FUZZ_CHECK(Trim(id) == id);
        FUZZ_CHECK(id.find_first_of("\r\n") == std::string::npos);
        bytes += id.size();
    }
    FUZZ_CHECK(bytes <= content.size());

    const std::string formatted = FormatIdList(ids);
    FUZZ_CHECK(formatted.size() == bytes + 2 * ids.size());
    FUZZ_CHECK(ParseIdList(formatted) == ids);
    FUZZ_CHECK(FormatIdList(ParseIdList(formatted)) == formatted);

    const fs::path& dir = fuzz::ScratchDirectory("index");
    fuzz::WriteBytes(dir / std::string(kIndexFileName), content);
    FUZZ_CHECK(LoadIndex(dir) == ids);

    CheckClearing(content);
    return 0;
}
