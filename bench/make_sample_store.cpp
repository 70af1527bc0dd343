// make_sample_store DIR COUNT [SEED]: writes COUNT sample projects and their
// index into DIR (created when missing).

#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "bench/sample_store.h"
#include "platform/io_error.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        std::cerr << "usage: make_sample_store DIR COUNT [SEED]\n";
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    const int count = std::atoi(argv[2]);
    const unsigned seed =
        argc > 3 ? static_cast<unsigned>(std::strtoul(argv[3], nullptr, 10)) : 2001u;
    try {
        std::filesystem::create_directories(dir);
        shenbao::sample::WriteSampleStore(dir, count, seed);
    } catch (const shenbao::IoError& error) {
        std::cerr << error.what() << '\n';
        return 1;
    }
    std::cout << "wrote " << count << " projects into " << dir.string() << '\n';
    return 0;
}
