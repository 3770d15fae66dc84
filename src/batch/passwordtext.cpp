#include "batch/passwordtext.h"

#include "library/gbk.h"

namespace velka {

bool IsGBKText(const QString& Text) { return FromGBK(ToGBK(Text)) == Text; }

TPasswordProblem CheckPasswordText(const QString& Password)
{
    if (!IsGBKText(Password)) return TPasswordProblem::NotGBK;
    if (static_cast<int>(ToGBK(Password).size()) > MaxPasswordBytes) return TPasswordProblem::TooLong;
    return TPasswordProblem::None;
}

}  // namespace velka
