#include "batch/inttext.h"

namespace velka {

namespace {

int HexDigitValue(QChar C)
{
    const char16_t U = C.unicode();
    if (U >= u'0' && U <= u'9') return U - u'0';
    if (U >= u'a' && U <= u'f') return U - u'a' + 10;
    if (U >= u'A' && U <= u'F') return U - u'A' + 10;
    return -1;
}

bool IsHexPrefix(QChar C) { return C == u'$' || C == u'x' || C == u'X'; }

// Digits From..end in Base, at least one, none outside the base; the magnitude in Value,
// which stays at most Limit.
bool ReadDigits(const QString& Text, qsizetype From, int Base, uint64_t Limit, uint64_t& Value)
{
    if (From >= Text.size()) return false;
    Value = 0;
    for (qsizetype I = From; I < Text.size(); ++I) {
        const int Digit = HexDigitValue(Text[I]);
        if (Digit < 0 || Digit >= Base) return false;
        Value = Value * Base + Digit;
        if (Value > Limit) return false;
    }
    return true;
}

}  // namespace

bool TryStrToIntText(const QString& Text, int32_t& Value)
{
    qsizetype I = 0;
    while (I < Text.size() && Text[I] == u' ') ++I;
    bool Negative = false;
    if (I < Text.size() && (Text[I] == u'+' || Text[I] == u'-')) {
        Negative = Text[I] == u'-';
        ++I;
    }
    uint64_t Magnitude = 0;
    if (I < Text.size() && IsHexPrefix(Text[I])) {
        if (!ReadDigits(Text, I + 1, 16, 0xFFFFFFFFu, Magnitude)) return false;
    } else if (I + 1 < Text.size() && Text[I] == u'0' && (Text[I + 1] == u'x' || Text[I + 1] == u'X')) {
        if (!ReadDigits(Text, I + 2, 16, 0xFFFFFFFFu, Magnitude)) return false;
    } else {
        const uint64_t Limit = Negative ? uint64_t(1) << 31 : (uint64_t(1) << 31) - 1;
        if (!ReadDigits(Text, I, 10, Limit, Magnitude)) return false;
    }
    // Hexadecimal magnitudes are 32-bit patterns; the sign then negates the pattern's value.
    const auto Pattern = static_cast<int32_t>(static_cast<uint32_t>(Magnitude));
    Value = Negative ? static_cast<int32_t>(0u - static_cast<uint32_t>(Pattern)) : Pattern;
    return true;
}

int32_t IntText(const QString& Text, int32_t Default)
{
    int32_t Value = Default;
    return TryStrToIntText(Text, Value) ? Value : Default;
}

}  // namespace velka
