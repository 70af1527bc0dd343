#pragma once

// A temporary data directory for a test, removed when the test ends, with
// small helpers to put stored projects and other files into it.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/store.h"

namespace shenbao::testing {

class TempStore {
  public:
    TempStore();
    ~TempStore();
    TempStore(const TempStore&) = delete;
    TempStore& operator=(const TempStore&) = delete;

    // The directory, with a trailing separator as the program holds it.
    const std::filesystem::path& dir() const { return dir_; }
    std::filesystem::path path(std::string_view name) const;

    void Write(std::string_view name, std::string_view content) const;
    std::string Read(std::string_view name) const;
    bool Exists(std::string_view name) const;

    // Copies the code table the program ships into the directory.
    void InstallCodeTable() const;

    // Writes a project's two files and returns its ID unchanged.
    std::string AddProject(const std::string& id, const TProjectRecord& record) const;

  private:
    std::filesystem::path dir_;
};

// Sets an environment variable (nullptr: removes it) until destroyed.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const char* value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;
    void Set(const char* value);

  private:
    const char* name_;
    std::optional<std::string> old_;
};

// The shipped code table file (data/_SysCode.zzj of the source tree).
std::filesystem::path ShippedCodeTable();

// GBK bytes of a UTF-8 literal, for readable tests: Gbk("项目").
std::string Gbk(std::string_view utf8);

// A text NewProjectId tests candidates against, in the form the list's ID
// column gives it (ListedIds): `header`, then every ID, each followed by
// CR LF.
std::string ListedText(std::string_view header, const std::vector<std::string>& ids);

// A record whose list fields hold the given values (UTF-8 in, GBK stored).
TProjectRecord SampleRecord(std::string_view name, std::string_view serial = "",
                            std::string_view unit = "", std::string_view funds = "",
                            std::string_view date = "");

// A record with a text of its own in every place: field f holds
// "字段<f><fieldSuffix>", cell c of member row r (1..) "成员<r>-<c>" (GBK).
TProjectRecord NumberedRecord(std::string_view fieldSuffix = "");

}  // namespace shenbao::testing
