#pragma once
// The range a delete works on, by the same rule in the editor and on the command line.

#include <cstdint>
#include <optional>

namespace velka {

struct TDeleteRange {
    int32_t First = 0;
    int32_t Last = 0;
};

// First..Last clamped into 0..ImageCount-1, a reversed range shrunk to its end; nullopt when
// no image is left to delete (an empty library, or a range that ends before image 0).
std::optional<TDeleteRange> ClampDeleteRange(int32_t First, int32_t Last, int32_t ImageCount);

}  // namespace velka
