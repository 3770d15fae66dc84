#include "library/gbk.h"

#include "library/errors.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <string_view>

namespace velka {

namespace {

constexpr const char* CodePage936 = "CP936";

// One conversion per call: an iconv descriptor may not be shared between threads.
class TConverter {
public:
    TConverter(const char* To, const char* From) : Handle_(iconv_open(To, From))
    {
        if (Handle_ == reinterpret_cast<iconv_t>(-1))
            throw EVelkaError(std::string("No converter from ") + From + " to " + To);
    }
    ~TConverter() { iconv_close(Handle_); }
    TConverter(const TConverter&) = delete;
    TConverter& operator=(const TConverter&) = delete;

    // Converts Input; a sequence the target cannot hold (or the source does not form) is replaced
    // by '?' and skipped by SkipLength(remaining input).
    template <typename TSkip>
    std::string Convert(std::string_view Input, TSkip SkipLength)
    {
        std::string Output;
        char Buffer[256];
        char* In = const_cast<char*>(Input.data());
        size_t InLeft = Input.size();
        while (InLeft > 0) {
            char* Out = Buffer;
            size_t OutLeft = sizeof(Buffer);
            const size_t Result = iconv(Handle_, &In, &InLeft, &Out, &OutLeft);
            Output.append(Buffer, static_cast<size_t>(Out - Buffer));
            if (Result != static_cast<size_t>(-1))
                continue;
            if (errno == E2BIG)
                continue;
            // EILSEQ, or EINVAL for a sequence cut off at the end of the input.
            const size_t Skip = std::min(InLeft, std::max<size_t>(1, SkipLength(In, InLeft)));
            Output.push_back('?');
            In += Skip;
            InLeft -= Skip;
            iconv(Handle_, nullptr, nullptr, nullptr, nullptr);
        }
        return Output;
    }

private:
    iconv_t Handle_;
};

// Length of the UTF-8 sequence that starts at Text (the input is valid UTF-8 from QString).
size_t Utf8SequenceLength(const char* Text, size_t Left)
{
    size_t Length = 1;
    while (Length < Left && (static_cast<unsigned char>(Text[Length]) & 0xC0) == 0x80)
        ++Length;
    return Length;
}

// An undecodable GBK byte is skipped alone, so the next byte gets its own chance.
size_t SingleByte(const char*, size_t) { return 1; }

}  // namespace

std::string ToGBK(const QString& Text)
{
    const QByteArray Utf8 = Text.toUtf8();
    return TConverter(CodePage936, "UTF-8").Convert(std::string_view(Utf8.constData(), Utf8.size()),
                                                  Utf8SequenceLength);
}

QString FromGBK(const std::string& Bytes)
{
    const std::string Utf8 = TConverter("UTF-8", CodePage936).Convert(Bytes, SingleByte);
    return QString::fromUtf8(Utf8.data(), static_cast<qsizetype>(Utf8.size()));
}

std::string TruncateGBK(const std::string& Bytes, size_t MaxBytes)
{
    size_t Kept = 0;
    while (Kept < Bytes.size()) {
        const auto Lead = static_cast<unsigned char>(Bytes[Kept]);
        const size_t Length = Lead >= 0x81 && Lead <= 0xFE && Kept + 1 < Bytes.size() ? 2 : 1;
        if (Kept + Length > MaxBytes)
            break;
        Kept += Length;
    }
    return Bytes.substr(0, Kept);
}

}  // namespace velka
