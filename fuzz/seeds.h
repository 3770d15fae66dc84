#pragma once
// Small valid inputs for every harness, made by the project's own writers where the format has
// one (WZL, DATA, BMP, PNG, zlib, cipher) and byte by byte where it has none (WIL, WIS).

#include "targets.h"

#include <vector>

namespace velka::fuzz {

std::vector<TInput> WilSeeds();
std::vector<TInput> WisSeeds();
std::vector<TInput> WzlSeeds();
std::vector<TInput> DataSeeds();
std::vector<TInput> DataPasswordSeeds();
std::vector<TInput> BmpSeeds();
std::vector<TInput> PngSeeds();
std::vector<TInput> PngStreamSeeds();
std::vector<TInput> ZlibSeeds();
std::vector<TInput> CipherSeeds();

// The password of the protected DATA seeds.
inline constexpr char SeedPassword[] = "fuzz";

}  // namespace velka::fuzz
