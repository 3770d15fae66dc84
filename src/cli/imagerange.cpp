#include "cli/imagerange.h"

#include "library/wmimages.h"

namespace velka::cli {

std::optional<TImageRange> RangeOption(const TCommandArgs& Args)
{
    if (!Args.Has("--range")) return std::nullopt;
    const auto [First, Last] = ParseRange(Args.Value("--range"), QStringLiteral("--range"));
    if (First > Last) throw TUsageError(QStringLiteral("--range: %1 is greater than %2").arg(First).arg(Last));
    return TImageRange{First, Last};
}

TImageRange CheckedRange(const std::optional<TImageRange>& Range, const TWMImages& Library)
{
    if (!Range) return {0, Library.ImageCount - 1};
    if (Range->First < 0 || Range->Last >= Library.ImageCount)
        throw TFailure(QStringLiteral("range %1:%2 is outside the library's images 0 to %3")
                           .arg(Range->First)
                           .arg(Range->Last)
                           .arg(Library.ImageCount - 1));
    return *Range;
}

}  // namespace velka::cli
