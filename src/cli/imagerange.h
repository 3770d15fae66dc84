#pragma once
// The image range of list, export and offset: "--range A:B" checked against a library.

#include "cli/cliargs.h"

#include <cstdint>
#include <optional>

namespace velka {
class TWMImages;
}

namespace velka::cli {

struct TImageRange {
    int32_t First = 0;
    int32_t Last = -1;  // First > Last: no images
};

// The range given by --range (TUsageError when malformed), nullopt when there is none. Parsed
// before the library is opened, so that command-line mistakes come first.
std::optional<TImageRange> RangeOption(const TCommandArgs& Args);

// Range, or every image of the library when there is none. A range that reaches outside
// 0..ImageCount-1 raises TFailure.
TImageRange CheckedRange(const std::optional<TImageRange>& Range, const TWMImages& Library);

}  // namespace velka::cli
