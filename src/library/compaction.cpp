#include "library/compaction.h"

#include "library/errors.h"

#include <limits>

namespace velka {

std::vector<int32_t> CopyEntriesCompacted(const std::vector<int32_t>& Positions, TStream& Output,
                                          const TEntryCopier& CopyEntry)
{
    std::vector<int32_t> NewPositions(Positions);
    for (int32_t& Position : NewPositions) {
        if (Position <= 0)
            continue;
        const int64_t Target = Output.Position();
        if (Target > std::numeric_limits<int32_t>::max())
            throw EStreamError("The compacted library would grow past the 2 GB its positions can address");
        CopyEntry(Position, Output);
        Position = static_cast<int32_t>(Target);
    }
    return NewPositions;
}

}  // namespace velka
