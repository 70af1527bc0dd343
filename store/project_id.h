#pragma once

// Project IDs: 8 upper-case letters and digits drawn from the process-wide
// pseudo-random generator, and the loop that finds one not yet listed.

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace shenbao {

inline constexpr std::size_t kProjectIdLength = 8;
// Candidates tried by NewProjectId before it gives up.
inline constexpr int kNewIdAttempts = 6000;

// The seed of the clock rule: milliseconds since midnight UTC,
// ((hours * 60 + minutes) * 60 + seconds) * 1000 + milliseconds.
std::uint32_t ClockSeed(std::chrono::system_clock::time_point now);

// Seeds the process-wide generator.
void SeedRandom(std::uint32_t seed);
void SeedRandomFromClock();

// A uniform draw of an integer in 0..bound-1 (bound > 0).
int RandomBelow(int bound);

// The eight selector values of five draws d1..d5 (each 0..31):
// d1, P, d2, d3, d4, S, d5, T (see MakeProjectId).
std::array<int, 8> ProjectIdSelectors(const std::array<int, 5>& draws);

// The raw ID: character k is the character at selector k of row k of the ID
// character table (lower-case letters and digits).
std::string RawProjectId(const std::array<int, 8>& selectors);

// The ID that five draws give; a pure function. P is the product of the
// draws plus one, S their sum plus ten, T the number written by their last
// decimal digits, each mod 32. The raw ID keeps its first character and
// turns the other seven left by (d1 mod 7); the result is upper-cased.
std::string MakeProjectId(const std::array<int, 5>& draws);

// Draws five integers below 32 and returns MakeProjectId of them.
std::string GenerateProjectId();

// A candidate that occurs nowhere in `listed` as a substring, or nothing after
// kNewIdAttempts rejected candidates.
std::optional<std::string> NewProjectId(std::string_view listed);

}  // namespace shenbao
