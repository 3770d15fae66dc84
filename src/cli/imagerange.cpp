#include "cli/imagerange.h"

#include "library/wmimages.h"

namespace velka::cli {

TImageRange RangeOption(const TCommandArgs& Args, const TWMImages& Library)
{
    if (!Args.Has("--range")) return {0, Library.ImageCount - 1};
    const auto [First, Last] = ParseRange(Args.Value("--range"), QStringLiteral("--range"));
    if (First > Last) throw TUsageError(QStringLiteral("--range: %1 is greater than %2").arg(First).arg(Last));
    if (First < 0 || Last >= Library.ImageCount)
        throw TFailure(QStringLiteral("range %1:%2 is outside the library's images 0 to %3")
                           .arg(First)
                           .arg(Last)
                           .arg(Library.ImageCount - 1));
    return {First, Last};
}

}  // namespace velka::cli
