// Writes the seed corpus of every fuzz target with the program's own
// writers: encoded project files, the shipped code table, index and control
// files, exchange directories and print feeds. Inputs of targets that take
// several parts are laid out the way FuzzedDataProvider reads them back.
//
//   make_seeds <source dir> <corpus dir>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench/sample_store.h"
#include "core/print_feed.h"
#include "core/project_rows.h"
#include "platform/gbk.h"
#include "platform/platform.h"
#include "store/codec.h"
#include "store/index_file.h"
#include "store/project_id.h"
#include "store/project_record.h"
#include "store/text.h"

namespace {

namespace fs = std::filesystem;
using namespace shenbao;

// An input as FuzzedDataProvider takes it apart: strings from the front,
// integers from the back, in the order the target consumes them.
class ProviderInput {
  public:
    // A string read with ConsumeRandomLengthString (shorter than its limit).
    ProviderInput& String(std::string_view text) {
        for (char c : text) {
            front_.push_back(c);
            if (c == '\\') {
                front_.push_back('\\');
            }
        }
        front_.append("\\ ");
        return *this;
    }
    // A byte read with ConsumeIntegral<uint8_t> or a small integer range.
    ProviderInput& Byte(std::uint8_t value) {
        back_.push_back(static_cast<char>(value));
        return *this;
    }
    // What ConsumeRemainingBytesAsString takes; must come last.
    ProviderInput& Rest(std::string_view text) {
        front_.append(text);
        return *this;
    }
    std::string Bytes() const { return front_ + std::string(back_.rbegin(), back_.rend()); }

  private:
    std::string front_;
    std::string back_;
};

fs::path gCorpus;

void Seed(const std::string& target, const std::string& name, std::string_view bytes) {
    const fs::path dir = gCorpus / target;
    fs::create_directories(dir);
    std::ofstream out(dir / name, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadAll(const fs::path& path) {
    return platform::ReadFile(path);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_seeds <source dir> <corpus dir>\n");
        return 2;
    }
    const fs::path sourceDir = argv[1];
    gCorpus = argv[2];
    const fs::path scratch = fs::temp_directory_path() / "shenbao-make-seeds";
    fs::remove_all(scratch);
    fs::create_directories(scratch);

    SeedRandom(716);
    const std::vector<std::string> ids = sample::WriteSampleStore(scratch, 3, 2001);
    const TProjectRecord record = ReadProjectRecord(scratch, ids[0]).record;
    const std::string mainFile = ReadAll(scratch / (ids[0] + ".zzj"));
    const std::string memberFile = ReadAll(scratch / (ids[0] + ".zj"));
    const std::string codeTable = ReadAll(sourceDir / "data" / "_SysCode.zzj");
    const std::string index = ReadAll(scratch / "vemra.zzj");
    std::vector<ListRow> rows;
    for (const std::string& id : ids) {
        rows.push_back(LoadProjectRow(scratch, id));
    }
    const std::string feed = PrintFeedText(rows);
    const std::string gbkName = Utf8ToGbk("项目");

    // The codec: stored lines as written, and text that is no codec output.
    Seed("fuzz_codec", "main-file", mainFile);
    Seed("fuzz_codec", "member-file", memberFile);
    Seed("fuzz_codec", "encoded-gbk", EncodeField(record.Fields[Field::ProjectName]));
    Seed("fuzz_codec", "outside-alphabet", "vvzz0G~@~9");

    // Splitting: the joined texts of a record and a feed line, and an
    // overlapping separator of the input's own.
    Seed("fuzz_split_fields", "main-text", JoinMainText(record) + '\0');
    Seed("fuzz_split_fields", "member-text", JoinMemberText(record) + '\1');
    Seed("fuzz_split_fields", "feed-line", SplitLines(feed)[0] + '\2');
    Seed("fuzz_split_fields", "own-separator",
         ProviderInput().Byte(3).String("aba").Rest("xabababay").Bytes());

    // The project files: flags, an optional second ID, main file, member file.
    Seed("fuzz_project_files", "both-files",
         ProviderInput().Byte(0).String(mainFile).Rest(memberFile).Bytes());
    Seed("fuzz_project_files", "written-back",
         ProviderInput().Byte(8).String(mainFile).Rest(memberFile).Bytes());
    Seed("fuzz_project_files", "other-id",
         ProviderInput().Byte(4 | 8).String(" A B ").String(mainFile).Rest(memberFile).Bytes());
    Seed("fuzz_project_files", "member-missing",
         ProviderInput().Byte(2).String(mainFile).Rest("").Bytes());
    Seed("fuzz_project_files", "main-missing",
         ProviderInput().Byte(1).String("").Rest(memberFile).Bytes());

    // The code table: department code, name to look up, table text.
    Seed("fuzz_code_table", "shipped",
         ProviderInput().String("002").String(Utf8ToGbk("科委")).Rest(codeTable).Bytes());
    Seed("fuzz_code_table", "head",
         ProviderInput().String("001").String("").Rest(codeTable.substr(0, 400)).Bytes());

    // The index file.
    Seed("fuzz_index", "index", index);
    Seed("fuzz_index", "blank-lines", "\r\n  " + ids[0] + "  \n\n" + ids[1] + "\r" + ids[2]);

    // Exchange directories: flags, candidate IDs, listed IDs, files, control.
    {
        ProviderInput control;
        control.Byte(0x04).String(ids[1] + "\r\n").Byte(3);
        control.String(ids[0]).Byte(1).String(mainFile);
        control.String(ids[0]).Byte(0).String(memberFile);
        control.String(ids[1]).Byte(1).String(mainFile);
        control.Rest(FormatIdList({ids[0], ids[1], gbkName}));
        Seed("fuzz_import", "control-file", control.Bytes());

        ProviderInput members;
        members.Byte(0x01).Byte(4);
        members.String(ids[2]).Byte(3).String(mainFile);
        members.String(ids[2]).Byte(2).String(memberFile);
        members.String("项目").Byte(0).String("");
        members.String(".hidden").Byte(0).String("");
        Seed("fuzz_import", "member-files", members.Bytes());

        ProviderInput odd;
        odd.Byte(0x12 | 0x20).String("..").String("vemra").String("OK000001").Byte(2);
        odd.String("A").Byte(1).String(mainFile);
        odd.String("B").Byte(5).String("");
        odd.Rest("A\r\nB\r\n../A\r\n");
        Seed("fuzz_import", "odd-names", odd.Bytes());

        // One usable candidate offered again and again: the second project
        // finds no new ID.
        ProviderInput exhausted;
        exhausted.Byte(0x08 | 0x10).String("ABCDEFGH").Byte(2);
        exhausted.String(ids[0]).Byte(1).String(mainFile);
        exhausted.String(ids[1]).Byte(1).String(mainFile);
        exhausted.Rest(FormatIdList({ids[0], ids[1]}));
        Seed("fuzz_import", "no-new-id", exhausted.Bytes());
    }

    // The print feed.
    Seed("fuzz_print_feed", "feed", feed);
    Seed("fuzz_print_feed", "closing-line-only", PrintFeedText({}));
    Seed("fuzz_print_feed", "short-lines", "1\t" + gbkName + "\r\n\t\t\r\n\n" + feed.substr(0, 30));

    fs::remove_all(scratch);
    return 0;
}
