// The code table reader: every section of any table text, the same text
// read through the file in a scratch data directory, and the department
// lookups over the parsed department entries with fuzzed keys.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "store/code_table.h"
#include "store/text.h"

namespace {

namespace fs = std::filesystem;
using namespace shenbao;

const fs::path& DataDir() {
    return fuzz::ScratchDirectory("codes");
}

const std::vector<const std::string*>& SectionNames() {
    static const std::vector<const std::string*> names = {
        &CodeSection::Department,    &CodeSection::PlanCategory,
        &CodeSection::ProjectField,  &CodeSection::ExpectedResultForm,
        &CodeSection::ProjectSource, &CodeSection::ProjectLocation,
        &CodeSection::UnitNature,    &CodeSection::RegistrationType};
    return names;
}

void CheckEntries(const std::vector<std::string>& entries, std::string_view content) {
    FUZZ_CHECK(entries.size() <= SplitLines(content).size());
    for (const std::string& entry : entries) {
        FUZZ_CHECK(Trim(entry) == entry);
        FUZZ_CHECK(entry.find_first_of("\r\n") == std::string::npos);
    }
}

void CheckDepartmentLookups(const std::vector<std::string>& table, const std::string& code,
                            const std::string& name) {
    if (std::optional<std::string> found = FindDepartmentNameForCode(table, code)) {
        const std::string key = code + ":";
        bool matched = false;
        for (const std::string& entry : table) {
            if (entry.find(key) != std::string::npos) {
                FUZZ_CHECK(*found == DepartmentName(entry));
                matched = true;
                break;
            }
        }
        FUZZ_CHECK(matched);
    } else {
        for (const std::string& entry : table) {
            FUZZ_CHECK(entry.find(code + ":") == std::string::npos);
        }
    }
    if (std::optional<std::string> found = FindDepartmentCodeForName(table, name)) {
        FUZZ_CHECK(!name.empty());
        FUZZ_CHECK(found->size() <= 3);
    } else if (!name.empty()) {
        for (const std::string& entry : table) {
            FUZZ_CHECK(entry.find(name) == std::string::npos);
        }
    }
    for (const std::string& entry : table) {
        FUZZ_CHECK(DepartmentCode(entry) == entry.substr(0, 3));
        FUZZ_CHECK(DepartmentName(entry).size() == (entry.size() > 4 ? entry.size() - 4 : 0));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string code = input.ConsumeRandomLengthString(16);
    const std::string name = input.ConsumeRandomLengthString(32);
    const std::string content = input.ConsumeRemainingBytesAsString();

    fuzz::WriteBytes(DataDir() / std::string(kCodeTableFileName), content);
    for (const std::string* section : SectionNames()) {
        const std::vector<std::string> entries = ParseCodeSection(content, *section);
        CheckEntries(entries, content);
        const std::optional<std::vector<std::string>> read = ReadCodeSection(DataDir(), *section);
        FUZZ_CHECK(read.has_value() && *read == entries);
        if (section == &CodeSection::Department) {
            CheckDepartmentLookups(entries, code, name);
        }
    }
    // A section name out of the input: any name, also one holding "~~~".
    CheckEntries(ParseCodeSection(content, name), content);
    return 0;
}
