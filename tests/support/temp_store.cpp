#include "tests/support/temp_store.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "platform/gbk.h"
#include "platform/platform.h"

namespace shenbao::testing {

namespace fs = std::filesystem;

namespace {

// Tests never see the machine's own mounts: drive A: finds only the media
// that a test lists in a mount table of its own.
[[maybe_unused]] const bool kNoRealMounts = [] {
    platform::SetMountTable(std::string());
    return true;
}();

}  // namespace

TempStore::TempStore() {
    std::string pattern = (fs::temp_directory_path() / "shenbao-test-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (::mkdtemp(buffer.data()) == nullptr) {
        throw std::runtime_error("cannot create a temporary directory");
    }
    dir_ = fs::path(buffer.data()) / "";
}

TempStore::~TempStore() {
    std::error_code ec;
    // Give back write permission a test may have taken away.
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(dir_, ec);
}

fs::path TempStore::path(std::string_view name) const {
    return dir_ / std::string(name);
}

void TempStore::Write(std::string_view name, std::string_view content) const {
    // Set-up needs no flush to the disk: a test's files never outlive it.
    // Whatever stood under the name (a link too) is replaced.
    const fs::path file = path(name);
    ::unlink(file.c_str());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    if (!out.flush()) {
        throw std::runtime_error("cannot write " + file.string());
    }
}

std::string TempStore::Read(std::string_view name) const {
    return platform::ReadFile(path(name));
}

bool TempStore::Exists(std::string_view name) const {
    return fs::exists(path(name));
}

void TempStore::InstallCodeTable() const {
    platform::CopyFileReplacing(ShippedCodeTable(), path(kCodeTableFileName));
}

std::string TempStore::AddProject(const std::string& id, const TProjectRecord& record) const {
    // The files as a save writes them, without its flushes.
    Write(id + std::string(kMainFileExtension), EncodeField(JoinMainText(record)) + "\r\n");
    Write(id + std::string(kMemberFileExtension), EncodeField(JoinMemberText(record)) + "\r\n");
    return id;
}

fs::path ShippedCodeTable() {
    return fs::path(SHENBAO_SOURCE_DIR) / "data" / "_SysCode.zzj";
}

std::string Gbk(std::string_view utf8) {
    return Utf8ToGbk(utf8);
}

TProjectRecord SampleRecord(std::string_view name, std::string_view serial, std::string_view unit,
                            std::string_view funds, std::string_view date) {
    TProjectRecord record;
    record.Fields[Field::ProjectName] = Gbk(name);
    record.Fields[Field::SerialNumber] = Gbk(serial);
    record.Fields[Field::UnitName] = Gbk(unit);
    record.Fields[Field::FundsProvincial] = Gbk(funds);
    record.Fields[Field::ApplicationDate] = Gbk(date);
    return record;
}

TProjectRecord NumberedRecord(std::string_view fieldSuffix) {
    TProjectRecord record;
    for (std::size_t f = 0; f < kFieldCount; ++f) {
        record.Fields[f] = Gbk("字段") + std::to_string(f) + Gbk(fieldSuffix);
    }
    for (std::size_t r = 0; r < kMemberRowCount; ++r) {
        for (std::size_t c = 0; c < kMemberCellCount; ++c) {
            record.Members[r].Cells[c] =
                Gbk("成员") + std::to_string(r + 1) + "-" + std::to_string(c);
        }
    }
    return record;
}

std::string ListedText(std::string_view header, const std::vector<std::string>& ids) {
    std::string listed(header);
    listed.append("\r\n");
    for (const std::string& id : ids) {
        listed.append(id);
        listed.append("\r\n");
    }
    return listed;
}

ScopedEnv::ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) {
        old_ = old;
    }
    Set(value);
}

ScopedEnv::~ScopedEnv() {
    Set(old_ ? old_->c_str() : nullptr);
}

void ScopedEnv::Set(const char* value) {
    if (value != nullptr) {
        ::setenv(name_, value, 1);
    } else {
        ::unsetenv(name_);
    }
}

}  // namespace shenbao::testing
