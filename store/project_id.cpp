#include "store/project_id.h"

#include <mutex>
#include <random>

#include "store/index_file.h"

namespace shenbao {

namespace {

// Row k supplies the k-th character of a raw ID; the selector picks a column.
constexpr std::array<std::string_view, 8> kIdTable = {
    "k3m9q2x7b5w1z8c4n6v0p2r7t1y5h3j9", "e4u8a2s6d0f5g9h1j3k7l2z6x0c4v8b1",
    "9n3m7q1w5e0r4t8y2u6i1o5p9a3s7d2f", "g6h0j4k8l3z7x1c5v9b2n6m0q4w8e3r7",
    "t2y6u0i5o9p3a7s1d5f0g4h8j2k6l1z5", "x9c3v7b1n5m0q4w8e2r6t1y5u9i3o7p2",
    "a5s9d3f7g1h6j0k4l8z2x7c1v5b9n3m8", "w0e4r8t3y7u1i5o0p4a8s2d6f1g5h9j3",
};

std::mutex gRandomMutex;
std::mt19937& Generator() {
    static std::mt19937 generator(5489u);
    return generator;
}

}  // namespace

std::uint32_t ClockSeed(std::chrono::system_clock::time_point now) {
    using namespace std::chrono;
    auto sinceEpoch = duration_cast<milliseconds>(now.time_since_epoch());
    auto perDay = duration_cast<milliseconds>(days(1)).count();
    auto ms = sinceEpoch.count() % perDay;
    if (ms < 0) {
        ms += perDay;
    }
    // ms already equals ((h * 60 + m) * 60 + s) * 1000 + milliseconds of the
    // UTC time of day.
    return static_cast<std::uint32_t>(ms);
}

void SeedRandom(std::uint32_t seed) {
    std::lock_guard<std::mutex> lock(gRandomMutex);
    Generator().seed(seed);
}

void SeedRandomFromClock() {
    SeedRandom(ClockSeed(std::chrono::system_clock::now()));
}

int RandomBelow(int bound) {
    std::lock_guard<std::mutex> lock(gRandomMutex);
    std::uniform_int_distribution<int> distribution(0, bound - 1);
    return distribution(Generator());
}

std::array<int, 8> ProjectIdSelectors(const std::array<int, 5>& d) {
    const int product = (d[0] + 1) * (d[1] + 1) * (d[2] + 1) * (d[3] + 1) * (d[4] + 1) % 32;
    const int sum = (d[0] + d[1] + d[2] + d[3] + d[4] + 10) % 32;
    int lastDigits = 0;
    for (int value : d) {
        lastDigits = lastDigits * 10 + value % 10;
    }
    return {d[0], product, d[1], d[2], d[3], sum, d[4], lastDigits % 32};
}

std::string RawProjectId(const std::array<int, 8>& selectors) {
    std::string raw(kProjectIdLength, ' ');
    for (std::size_t k = 0; k < kProjectIdLength; ++k) {
        raw[k] = kIdTable[k][static_cast<std::size_t>(selectors[k])];
    }
    return raw;
}

std::string MakeProjectId(const std::array<int, 5>& d) {
    const std::string raw = RawProjectId(ProjectIdSelectors(d));
    // Keep the first character; rotate the other seven left by r - 1.
    const std::size_t r = static_cast<std::size_t>(d[0] % 7 + 1);
    std::string id;
    id.reserve(kProjectIdLength);
    id.push_back(raw[0]);
    id.append(raw, r, kProjectIdLength - r);
    id.append(raw, 1, r - 1);
    for (char& c : id) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return id;
}

std::string GenerateProjectId() {
    std::array<int, 5> draws{};
    for (int& d : draws) {
        d = RandomBelow(32);
    }
    return MakeProjectId(draws);
}

std::optional<std::string> NewProjectId(std::string_view listed) {
    for (int attempt = 1; attempt <= kNewIdAttempts; ++attempt) {
        std::string candidate = GenerateProjectId();
        if (listed.find(candidate) == std::string_view::npos && !IsReservedId(candidate)) {
            return candidate;
        }
    }
    return std::nullopt;
}

}  // namespace shenbao
