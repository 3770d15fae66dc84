#include "batch/deleterange.h"

namespace velka {

std::optional<TDeleteRange> ClampDeleteRange(int32_t First, int32_t Last, int32_t ImageCount)
{
    const int32_t LastImage = ImageCount - 1;
    if (First < 0) First = 0;
    if (Last > LastImage) Last = LastImage;
    if (First > LastImage) First = LastImage;
    if (Last < First) First = Last;
    if (First > Last || First < 0 || Last >= ImageCount) return std::nullopt;
    return TDeleteRange{First, Last};
}

}  // namespace velka
