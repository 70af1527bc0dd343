#pragma once

// A sample store in a temporary directory, made once per size and kept for
// the whole benchmark run.

#include <unistd.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench/sample_store.h"

namespace shenbao::bench {

class SampleDir {
  public:
    explicit SampleDir(int count) {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "shenbao-bench-XXXXXX").string();
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        dir_ = std::filesystem::path(::mkdtemp(buffer.data())) / "";
        ids_ = sample::WriteSampleStore(dir_, count);
    }
    ~SampleDir() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    const std::filesystem::path& dir() const { return dir_; }
    const std::vector<std::string>& ids() const { return ids_; }

    static SampleDir& Of(int count) {
        static std::map<int, std::unique_ptr<SampleDir>> dirs;
        auto& slot = dirs[count];
        if (!slot) {
            slot = std::make_unique<SampleDir>(count);
        }
        return *slot;
    }

  private:
    std::filesystem::path dir_;
    std::vector<std::string> ids_;
};

}  // namespace shenbao::bench
