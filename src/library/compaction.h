#pragma once
// The format-independent part of compacting a library: the stored entries that the index still
// refers to are copied one after another into a new file, which then replaces the library by a
// rename (TReplacementFile), so a failed or interrupted compaction leaves the old library intact.

#include "library/stream.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace velka {

// Copies the stored entry (header and payload) at Position of the library to Output's current
// position; raises the stream's read error when the entry runs past the end of the library.
using TEntryCopier = std::function<void(int32_t Position, TStream& Output)>;

// Copies the entry of every position greater than 0 in Positions, in image-number order, to
// Output from its current position on, and returns the positions the entries got there;
// positions of 0 or less are kept and copy nothing. Positions itself is left alone, so a caller
// takes the new list over only once the new file replaced the old one. Raises EStreamError when
// an entry would start beyond the reach of a 32-bit position.
std::vector<int32_t> CopyEntriesCompacted(const std::vector<int32_t>& Positions, TStream& Output,
                                          const TEntryCopier& CopyEntry);

}  // namespace velka
