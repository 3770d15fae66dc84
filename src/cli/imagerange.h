#pragma once
// The image range of list, export and offset: "--range A:B" checked against a library.

#include "cli/cliargs.h"

#include <cstdint>

namespace velka {
class TWMImages;
}

namespace velka::cli {

struct TImageRange {
    int32_t First = 0;
    int32_t Last = -1;  // First > Last: no images
};

// The range given by --range, or every image of the library when there is none. A range that
// reaches outside 0..ImageCount-1 raises TFailure.
TImageRange RangeOption(const TCommandArgs& Args, const TWMImages& Library);

}  // namespace velka::cli
