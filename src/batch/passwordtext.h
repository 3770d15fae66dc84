#pragma once
// The rules a new image password must meet to open its library again exactly as typed.

#include <QString>

namespace velka {

// A DATA library keeps at most this many bytes of a password, in GBK.
inline constexpr int MaxPasswordBytes = 16;

// True when every character of Text has a GBK form (no '?' stands in for one).
bool IsGBKText(const QString& Text);

enum class TPasswordProblem {
    None,
    NotGBK,   // a character GBK cannot represent
    TooLong,  // more than MaxPasswordBytes GBK bytes
};
TPasswordProblem CheckPasswordText(const QString& Password);

}  // namespace velka
