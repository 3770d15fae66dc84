// Whole-buffer zlib: the streams must be plain RFC 1950 data for any inflater, and inflating
// hostile input must stop with an error instead of looping or growing without bound.
#include "library/errors.h"
#include "library/zbuffers.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <string>
#include <thread>

namespace velka {
namespace {

std::vector<uint8_t> RandomBytes(size_t Count, uint32_t Seed)
{
    std::mt19937 Random(Seed);
    std::vector<uint8_t> Bytes(Count);
    for (uint8_t& Byte : Bytes)
        Byte = uint8_t(Random());
    return Bytes;
}

// Pixel-like data: runs and gradients that compress well but not trivially.
std::vector<uint8_t> PictureLikeBytes(size_t Count)
{
    std::vector<uint8_t> Bytes(Count);
    for (size_t I = 0; I < Count; ++I)
        Bytes[I] = uint8_t((I / 7) ^ (I % 251 < 40 ? 0 : I / 300));
    return Bytes;
}

std::vector<uint8_t> ZlibUncompress(const std::vector<uint8_t>& Stream, size_t Expected)
{
    std::vector<uint8_t> Output(Expected + 1);
    uLongf Length = uLongf(Output.size());
    EXPECT_EQ(uncompress(Output.data(), &Length, Stream.data(), uLong(Stream.size())), Z_OK);
    Output.resize(Length);
    return Output;
}

std::vector<uint8_t> ZlibCompress(const std::vector<uint8_t>& Input)
{
    std::vector<uint8_t> Output(compressBound(uLong(Input.size())));
    uLongf Length = uLongf(Output.size());
    EXPECT_EQ(compress2(Output.data(), &Length, Input.data(), uLong(Input.size()), 9), Z_OK);
    Output.resize(Length);
    return Output;
}

struct RoundTripCase {
    const char* Name;
    std::vector<uint8_t> Data;
};

std::vector<RoundTripCase> RoundTripCases()
{
    return {
        {"empty", {}},
        {"one byte", {0x5A}},
        {"a thousand zeros", std::vector<uint8_t>(1000, 0)},
        {"picture-like, over 64 KiB", PictureLikeBytes(70001)},
        {"incompressible", RandomBytes(200000, 7)},
    };
}

TEST(ZBuffers, CompressedStreamsAreReadByPlainZlibAndByTheDecompressor)
{
    for (const RoundTripCase& C : RoundTripCases()) {
        SCOPED_TRACE(C.Name);
        const std::vector<uint8_t> Stream = ZCompressBuffer(C.Data.data(), int32_t(C.Data.size()));
        ASSERT_GE(Stream.size(), 6u);
        // zlib header of a deflate stream with a 32 KiB window at the maximum compression level.
        EXPECT_EQ(Stream[0], 0x78);
        EXPECT_EQ(Stream[1], 0xDA);
        EXPECT_EQ(ZlibUncompress(Stream, C.Data.size()), C.Data);

        const size_t Size = C.Data.size();
        const int32_t Estimates[] = {0, int32_t(Size), int32_t(Size / 3 + 1)};
        for (const int32_t Estimate : Estimates) {
            SCOPED_TRACE("estimate " + std::to_string(Estimate));
            EXPECT_EQ(ZDecompressBuffer(Stream.data(), int32_t(Stream.size()), Estimate, Size + 100), C.Data);
        }
        std::vector<uint8_t> Into(Size + 10, 0xEE);
        ASSERT_EQ(ZDecompressInto(Stream.data(), Stream.size(), Into.data(), Into.size()), Size);
        EXPECT_TRUE(std::equal(C.Data.begin(), C.Data.end(), Into.begin()));
    }
}

TEST(ZBuffers, StreamsFromZlibDeflateAreRead)
{
    const std::vector<uint8_t> Data = PictureLikeBytes(50000);
    const std::vector<uint8_t> Stream = ZlibCompress(Data);
    EXPECT_EQ(ZDecompressBuffer(Stream.data(), int32_t(Stream.size()), 0, Data.size()), Data);
    std::vector<uint8_t> Into(Data.size());
    EXPECT_EQ(ZDecompressInto(Stream.data(), Stream.size(), Into.data(), Into.size()), Data.size());
    EXPECT_EQ(Into, Data);
}

TEST(ZBuffers, AppendKeepsWhatTheBufferHeld)
{
    const std::vector<uint8_t> Data = PictureLikeBytes(5000);
    std::vector<uint8_t> Output = {1, 2, 3};
    const size_t Length = ZCompressAppend(Data.data(), Data.size(), Output);
    ASSERT_EQ(Output.size(), 3 + Length);
    EXPECT_EQ(Output[0], 1);
    EXPECT_EQ(Output[2], 3);
    const std::vector<uint8_t> Stream(Output.begin() + 3, Output.end());
    EXPECT_EQ(ZlibUncompress(Stream, Data.size()), Data);
}

TEST(ZBuffers, OutputStopsAtTheLimit)
{
    // 16 MiB of zeros shrink to some 16 KiB; a 1 MiB limit must give exactly its first 1 MiB.
    const std::vector<uint8_t> Zeros(16 << 20, 0);
    const std::vector<uint8_t> Stream = ZCompressBuffer(Zeros.data(), int32_t(Zeros.size()));
    const size_t Limit = 1 << 20;
    for (const int32_t Estimate : {0, int32_t(Limit), int32_t(Limit / 2), int32_t(Zeros.size())}) {
        SCOPED_TRACE("estimate " + std::to_string(Estimate));
        const std::vector<uint8_t> Output = ZDecompressBuffer(Stream.data(), int32_t(Stream.size()), Estimate, Limit);
        EXPECT_EQ(Output.size(), Limit);
        EXPECT_EQ(Output, std::vector<uint8_t>(Limit, 0));
    }
    std::vector<uint8_t> Into(Limit, 0xEE);
    EXPECT_EQ(ZDecompressInto(Stream.data(), Stream.size(), Into.data(), Into.size()), Limit);
    EXPECT_EQ(Into, std::vector<uint8_t>(Limit, 0));

    const std::vector<uint8_t> Data = PictureLikeBytes(10000);
    const std::vector<uint8_t> Short = ZCompressBuffer(Data.data(), int32_t(Data.size()));
    EXPECT_EQ(ZDecompressBuffer(Short.data(), int32_t(Short.size()), 0, 100),
              std::vector<uint8_t>(Data.begin(), Data.begin() + 100));
    EXPECT_TRUE(ZDecompressBuffer(Short.data(), int32_t(Short.size()), 0, 0).empty());
}

TEST(ZBuffers, DamagedInputFailsCleanly)
{
    const std::vector<uint8_t> Data = PictureLikeBytes(20000);
    const std::vector<uint8_t> Good = ZCompressBuffer(Data.data(), int32_t(Data.size()));

    std::vector<uint8_t> Truncated(Good.begin(), Good.begin() + Good.size() / 2);
    std::vector<uint8_t> CorruptBody = Good;
    for (size_t I = 10; I < 40; ++I)
        CorruptBody[I] ^= 0xA5;
    std::vector<uint8_t> BadChecksum = Good;
    BadChecksum.back() ^= 1;
    std::vector<uint8_t> BadHeader = Good;
    BadHeader[1] ^= 0xFF;
    const std::vector<uint8_t> Png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R',
                                      0, 0, 0, 3, 0, 0, 0, 2, 8, 2, 0, 0, 0, 0x12, 0x34, 0x56, 0x78};
    struct Case {
        const char* Name;
        std::vector<uint8_t> Input;
    };
    const Case Cases[] = {
        {"empty input", {}},
        {"only the zlib header", {0x78, 0xDA}},
        {"truncated stream", Truncated},
        {"corrupt body", CorruptBody},
        {"wrong checksum", BadChecksum},
        {"bad header", BadHeader},
        {"PNG file bytes", Png},
        {"random bytes", RandomBytes(4096, 3)},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Name);
        for (const int32_t Estimate : {0, int32_t(Data.size())})
            EXPECT_THROW(ZDecompressBuffer(C.Input.data(), int32_t(C.Input.size()), Estimate, Data.size()),
                         EFormatError);
        std::vector<uint8_t> Into(Data.size());
        EXPECT_THROW(ZDecompressInto(C.Input.data(), C.Input.size(), Into.data(), Into.size()), EFormatError);
    }
    EXPECT_THROW(ZDecompressBuffer(Good.data(), -1, 0, 100), EFormatError);
}

TEST(ZBuffers, ThreadsCompressAtTheSameTime)
{
    constexpr int Threads = 4;
    std::vector<std::vector<uint8_t>> Inputs, Outputs(Threads);
    for (int T = 0; T < Threads; ++T)
        Inputs.push_back(RandomBytes(30000, uint32_t(T)));
    std::vector<std::thread> Workers;
    for (int T = 0; T < Threads; ++T)
        Workers.emplace_back([&, T] {
            for (int Round = 0; Round < 5; ++Round)
                Outputs[T] = ZCompressBuffer(Inputs[T].data(), int32_t(Inputs[T].size()));
        });
    for (std::thread& Worker : Workers)
        Worker.join();
    for (int T = 0; T < Threads; ++T)
        EXPECT_EQ(ZlibUncompress(Outputs[T], Inputs[T].size()), Inputs[T]);
}

}  // namespace
}  // namespace velka
