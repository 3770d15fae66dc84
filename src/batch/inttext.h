#pragma once
// Integer text: the one rule by which typed numbers, numbered file names and placement lines
// are read. Leading blanks (spaces only), an optional sign, then decimal digits or hexadecimal
// digits after "$", "x", "X", "0x" or "0X", running to the end of the text. Hexadecimal values
// are 32-bit patterns ("$FFFFFFFF" is -1); decimal values must fit a signed 32-bit integer.

#include <QString>

#include <cstdint>

namespace velka {

// False (Value unchanged) when Text is not integer text.
bool TryStrToIntText(const QString& Text, int32_t& Value);
// The value of Text, or Default when it is not integer text.
int32_t IntText(const QString& Text, int32_t Default = 0);

}  // namespace velka
