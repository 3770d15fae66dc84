#include "library/zbuffers.h"

#include "library/errors.h"

#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <climits>
#include <memory>

namespace velka {

namespace {

constexpr int CompressionLevel = 9;

struct CompressorDeleter {
    void operator()(libdeflate_compressor* Compressor) const { libdeflate_free_compressor(Compressor); }
};
struct DecompressorDeleter {
    void operator()(libdeflate_decompressor* Decompressor) const { libdeflate_free_decompressor(Decompressor); }
};

// libdeflate codecs are not shareable between threads; each thread keeps its own.
libdeflate_compressor& ThreadCompressor()
{
    thread_local std::unique_ptr<libdeflate_compressor, CompressorDeleter> Compressor;
    if (!Compressor)
        Compressor.reset(libdeflate_alloc_compressor(CompressionLevel));
    if (!Compressor)
        throw EVelkaError("Cannot allocate the zlib compressor");
    return *Compressor;
}

libdeflate_decompressor& ThreadDecompressor()
{
    thread_local std::unique_ptr<libdeflate_decompressor, DecompressorDeleter> Decompressor;
    if (!Decompressor)
        Decompressor.reset(libdeflate_alloc_decompressor());
    if (!Decompressor)
        throw EVelkaError("Cannot allocate the zlib decompressor");
    return *Decompressor;
}

// Gives back the spare room of a buffer that was sized for the worst case, when it is worth a copy.
void ReleaseSlack(std::vector<uint8_t>& Buffer)
{
    if (Buffer.capacity() - Buffer.size() > Buffer.size() / 4)
        Buffer.shrink_to_fit();
}

// zlib's streaming inflate, used when the output size is not known or the stream is longer than
// the room for it: it stops as soon as the room is full, so no input makes it grow without bound.
class TInflater {
public:
    TInflater(const uint8_t* Input, size_t Length) : Next_(Input), Remaining_(Length)
    {
        if (inflateInit(&Stream_) != Z_OK)
            throw EVelkaError("Cannot start zlib inflate");
    }
    ~TInflater() { inflateEnd(&Stream_); }
    TInflater(const TInflater&) = delete;
    TInflater& operator=(const TInflater&) = delete;

    bool Ended() const { return Ended_; }

    // Inflates into Output until Space bytes are written or the stream ends; returns the count.
    size_t Fill(uint8_t* Output, size_t Space)
    {
        size_t Written = 0;
        while (Written < Space && !Ended_) {
            FeedInput();
            const uInt Room = static_cast<uInt>(std::min<size_t>(Space - Written, UINT_MAX));
            Stream_.next_out = Output + Written;
            Stream_.avail_out = Room;
            const int Result = inflate(&Stream_, Z_NO_FLUSH);
            Written += Room - Stream_.avail_out;
            if (Result == Z_STREAM_END)
                Ended_ = true;
            else if (Result == Z_BUF_ERROR)  // room was given, so the input ran out
                throw EFormatError("Truncated zlib data");
            else if (Result != Z_OK)
                throw EFormatError(std::string("Damaged zlib data") + (Stream_.msg ? ": " + std::string(Stream_.msg) : ""));
        }
        return Written;
    }

private:
    void FeedInput()
    {
        if (Stream_.avail_in != 0 || Remaining_ == 0)
            return;
        const uInt Step = static_cast<uInt>(std::min<size_t>(Remaining_, UINT_MAX));
        Stream_.next_in = const_cast<Bytef*>(Next_);
        Stream_.avail_in = Step;
        Next_ += Step;
        Remaining_ -= Step;
    }

    z_stream Stream_{};
    const uint8_t* Next_;
    size_t Remaining_;
    bool Ended_ = false;
};

// One-shot inflate into a buffer of the expected size; false when the stream needs more room.
bool InflateOneShot(const uint8_t* Input, size_t InputLength, uint8_t* Output, size_t Capacity, size_t& Produced)
{
    switch (libdeflate_zlib_decompress(&ThreadDecompressor(), Input, InputLength, Output, Capacity, &Produced)) {
    case LIBDEFLATE_SUCCESS: return true;
    case LIBDEFLATE_INSUFFICIENT_SPACE: return false;
    default: throw EFormatError("Damaged or truncated zlib data");
    }
}

}  // namespace

size_t ZCompressAppend(const uint8_t* Input, size_t InputLength, std::vector<uint8_t>& Output)
{
    libdeflate_compressor& Compressor = ThreadCompressor();
    const size_t Start = Output.size();
    Output.resize(Start + libdeflate_zlib_compress_bound(&Compressor, InputLength));
    const size_t Length =
        libdeflate_zlib_compress(&Compressor, Input, InputLength, Output.data() + Start, Output.size() - Start);
    if (Length == 0) {
        Output.resize(Start);
        throw EVelkaError("zlib compression failed");
    }
    Output.resize(Start + Length);
    ReleaseSlack(Output);
    return Length;
}

std::vector<uint8_t> ZCompressBuffer(const uint8_t* Input, int32_t InputLength)
{
    if (InputLength < 0)
        throw EVelkaError("Negative length given to ZCompressBuffer");
    std::vector<uint8_t> Output;
    ZCompressAppend(Input, static_cast<size_t>(InputLength), Output);
    return Output;
}

size_t ZDecompressInto(const uint8_t* Input, size_t InputLength, uint8_t* Output, size_t Capacity)
{
    if (Capacity == 0)
        return 0;
    size_t Produced = 0;
    if (InflateOneShot(Input, InputLength, Output, Capacity, Produced))
        return Produced;
    TInflater Inflater(Input, InputLength);
    return Inflater.Fill(Output, Capacity);
}

std::vector<uint8_t> ZDecompressBuffer(const uint8_t* Input, int32_t InputLength, int32_t Estimate, size_t Limit)
{
    if (InputLength < 0)
        throw EFormatError("Negative length given to ZDecompressBuffer");
    if (Limit == 0)
        return {};
    const size_t Length = static_cast<size_t>(InputLength);
    // Growth step: the input length rounded up to a multiple of 256 (at least 256).
    const size_t Step = std::max<size_t>(256, (Length + 255) & ~size_t(255));
    std::vector<uint8_t> Output;
    if (Estimate > 0) {
        Output.resize(std::min<size_t>(static_cast<size_t>(Estimate), Limit));
        size_t Produced = 0;
        if (InflateOneShot(Input, Length, Output.data(), Output.size(), Produced)) {
            Output.resize(Produced);
            ReleaseSlack(Output);
            return Output;
        }
    } else {
        Output.resize(std::min(Step, Limit));
    }
    TInflater Inflater(Input, Length);
    size_t Filled = 0;
    for (;;) {
        Filled += Inflater.Fill(Output.data() + Filled, Output.size() - Filled);
        if (Inflater.Ended() || Filled == Limit)
            break;
        Output.resize(std::min(Output.size() + Step, Limit));
    }
    Output.resize(Filled);
    ReleaseSlack(Output);
    return Output;
}

size_t LongestUsefulPayload(size_t PixelBytes) { return PixelBytes + PixelBytes / 8 + 65536; }

bool PayloadCouldFill(int64_t StoredBytes, size_t PixelBytes)
{
    constexpr int64_t LargestDeflateRatio = 1032;
    constexpr int64_t Slack = 65536;
    return int64_t(PixelBytes) <= std::max<int64_t>(StoredBytes, 0) * LargestDeflateRatio + Slack;
}

}  // namespace velka
