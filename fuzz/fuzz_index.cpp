// The index reader: ParseIdList over any content, LoadIndex through the
// index file of a scratch data directory, and the round trip through
// FormatIdList, which must give back the same list.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "store/index_file.h"
#include "store/text.h"

namespace {

namespace fs = std::filesystem;
using namespace shenbao;

const fs::path& DataDir() {
    static const fs::path dir = fuzz::MakeScratchDirectory("index");
    return dir;
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

    fuzz::WriteBytes(DataDir() / std::string(kIndexFileName), content);
    FUZZ_CHECK(LoadIndex(DataDir()) == ids);
    return 0;
}
