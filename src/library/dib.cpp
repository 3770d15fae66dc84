#include "library/dib.h"

#include "library/errors.h"
#include "library/littleendian.h"
#include "library/stream.h"

#include <algorithm>
#include <string>
#include <unordered_map>

namespace velka {

namespace {

// DefaultPalette as 0xRRGGBB, eight entries a line.
constexpr uint32_t DefaultColors[256] = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,  // 0-7
    0x558097, 0x9DB9C8, 0x7B7373, 0x2D2929, 0x5A5252, 0x635A5A, 0x423939, 0x1D1818,  // 8-15
    0x181010, 0x291818, 0x100808, 0xF27971, 0xE1675F, 0xFF5A5A, 0xFF3131, 0xD65A52,  // 16-23
    0x941000, 0x942918, 0x390800, 0x731000, 0xB51800, 0xBD6352, 0x421810, 0xFFAA99,  // 24-31
    0x5A1000, 0x733929, 0xA54A31, 0x947B73, 0xBD5231, 0x522110, 0x7B3118, 0x2D1810,  // 32-39
    0x8C4A31, 0x942900, 0xBD3100, 0xC67352, 0x6B3118, 0xC66B42, 0xCE4A00, 0xA56339,  // 40-47
    0x5A3118, 0x2A1000, 0x150800, 0x3A1800, 0x080000, 0x290000, 0x4A0000, 0x9D0000,  // 48-55
    0xDC0000, 0xDE0000, 0xFB0000, 0x9C7352, 0x946B4A, 0x734A29, 0x523118, 0x8C4A18,  // 56-63
    0x884411, 0x4A2100, 0x211810, 0xD6945A, 0xC66B21, 0xEF6B00, 0xFF7700, 0xA59484,  // 64-71
    0x423121, 0x181008, 0x291808, 0x211000, 0x392918, 0x8C6339, 0x422910, 0x6B4218,  // 72-79
    0x7B4A18, 0x944A00, 0x8C847B, 0x6B635A, 0x4A4239, 0x292118, 0x463929, 0xB5A594,  // 80-87
    0x7B6B5A, 0xCEB194, 0xA58C73, 0x8C735A, 0xB59473, 0xD6A573, 0xEFA54A, 0xEFC68C,  // 88-95
    0x7B6342, 0x6B5639, 0xBD945A, 0x633900, 0xD6C6AD, 0x524229, 0x946318, 0xEFD6AD,  // 96-103
    0xA58C63, 0x635A4A, 0xBDA57B, 0x5A4218, 0xBD8C31, 0x353129, 0x948463, 0x7B6B4A,  // 104-111
    0xA58C5A, 0x5A4A29, 0x9C7B39, 0x423110, 0xEFAD21, 0x181000, 0x292100, 0x9C6B00,  // 112-119
    0x94845A, 0x524218, 0x6B5A29, 0x7B6321, 0x9C7B21, 0xDEA500, 0x5A5239, 0x312910,  // 120-127
    0xCEBD7B, 0x635A39, 0x94844A, 0xC6A529, 0x109C18, 0x428C4A, 0x318C42, 0x109429,  // 128-135
    0x081810, 0x081818, 0x082910, 0x184229, 0xA5B5AD, 0x6B7373, 0x182929, 0x18424A,  // 136-143
    0x31424A, 0x63C6DE, 0x44DDFF, 0x8CD6EF, 0x736B39, 0xF7DE39, 0xF7EF8C, 0xF7E700,  // 144-151
    0x6B6B5A, 0x5A8CA5, 0x39B5EF, 0x4A9CCE, 0x3184B5, 0x31526B, 0xDEDED6, 0xBDBDB5,  // 152-159
    0x8C8C84, 0xF7F7DE, 0x000818, 0x081839, 0x081029, 0x081800, 0x082900, 0x0052A5,  // 160-167
    0x007BDE, 0x10294A, 0x10396B, 0x10528C, 0x215AA5, 0x10315A, 0x104284, 0x315284,  // 168-175
    0x182131, 0x4A5A7B, 0x526BA5, 0x293963, 0x104ADE, 0x292921, 0x4A4A39, 0x292918,  // 176-183
    0x4A4A29, 0x7B7B42, 0x9C9C4A, 0x5A5A29, 0x424214, 0x393900, 0x595900, 0xCA352C,  // 184-191
    0x6B7321, 0x293100, 0x313910, 0x313918, 0x424A00, 0x526318, 0x5A7329, 0x314A18,  // 192-199
    0x182100, 0x183100, 0x183910, 0x63844A, 0x6BBD4A, 0x63B54A, 0x63BD4A, 0x5A9C4A,  // 200-207
    0x4A8C39, 0x63C64A, 0x63D64A, 0x52844A, 0x317329, 0x63C65A, 0x52BD4A, 0x10FF00,  // 208-215
    0x182918, 0x4A884A, 0x4AE74A, 0x005A00, 0x008800, 0x009400, 0x00DE00, 0x00EE00,  // 216-223
    0x00FB00, 0x4A5A94, 0x6373B5, 0x7B8CD6, 0x6B7BD6, 0x7788FF, 0xC6C6CE, 0x94949C,  // 224-231
    0x9C94C6, 0x313139, 0x291884, 0x180084, 0x4A4252, 0x52427B, 0x635A73, 0xCEB5F7,  // 232-239
    0x8C7B9C, 0x7722CC, 0xDDAAFF, 0xF0B42A, 0xDF009F, 0xE317B3, 0xFFFBF0, 0xA0A0A4,  // 240-247
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,  // 248-255
};

TColorTable MakeDefaultPalette()
{
    TColorTable Table;
    for (size_t I = 0; I < Table.size(); ++I) {
        const uint32_t C = DefaultColors[I];
        Table[I] = TRGBQuad{uint8_t(C), uint8_t(C >> 8), uint8_t(C >> 16), 0};
    }
    return Table;
}

TColorTable GreyRamp()
{
    TColorTable Table;
    for (size_t I = 0; I < Table.size(); ++I)
        Table[I] = TRGBQuad{uint8_t(I), uint8_t(I), uint8_t(I), 0};
    return Table;
}

constexpr uint32_t Red565 = 0xF800, Green565 = 0x07E0, Blue565 = 0x001F;
constexpr uint32_t Red555 = 0x7C00, Green555 = 0x03E0, Blue555 = 0x001F;
constexpr uint32_t Red888 = 0xFF0000, Green888 = 0x00FF00, Blue888 = 0x0000FF;

constexpr int FileHeaderSize = 14;
constexpr int InfoHeaderSize = 40;
constexpr int MaskBytes = 12;
constexpr int ColorTableBytes = 256 * 4;
constexpr uint32_t CompressionNone = 0;
constexpr uint32_t CompressionBitFields = 3;

// Expands a Bits-wide channel value to 8 bits by repeating its top bits.
uint8_t Expand(uint32_t Value, int Bits)
{
    const uint32_t Shifted = Value << (8 - Bits);
    return uint8_t(Shifted | (Shifted >> Bits));
}

uint8_t BlendChannel(int Source, int Target, int Alpha)
{
    return uint8_t((Source * Alpha + Target * (255 - Alpha) + 127) / 255);
}

QRgb Blend(QRgb Source, QRgb Target)
{
    const int Alpha = qAlpha(Source);
    if (Alpha == 255)
        return Source;
    return qRgb(BlendChannel(qRed(Source), qRed(Target), Alpha),
                BlendChannel(qGreen(Source), qGreen(Target), Alpha),
                BlendChannel(qBlue(Source), qBlue(Target), Alpha));
}

// Maps colours to the nearest colour-table entry (squared RGB distance, lowest index on a tie),
// remembering the answers because pictures repeat their colours a lot.
class TNearestColor {
public:
    explicit TNearestColor(const TColorTable& Table) : Table_(Table) {}

    uint8_t Index(QRgb Color)
    {
        const uint32_t Key = Color & 0xFFFFFF;
        const auto Found = Known_.find(Key);
        if (Found != Known_.end())
            return Found->second;
        const uint8_t Best = Search(Key);
        Known_.emplace(Key, Best);
        return Best;
    }

private:
    uint8_t Search(QRgb Color) const
    {
        int BestIndex = 0;
        int BestDistance = INT32_MAX;
        for (int I = 0; I < int(Table_.size()) && BestDistance > 0; ++I) {
            const int DR = qRed(Color) - Table_[I].rgbRed;
            const int DG = qGreen(Color) - Table_[I].rgbGreen;
            const int DB = qBlue(Color) - Table_[I].rgbBlue;
            const int Distance = DR * DR + DG * DG + DB * DB;
            if (Distance < BestDistance) {
                BestDistance = Distance;
                BestIndex = I;
            }
        }
        return uint8_t(BestIndex);
    }

    const TColorTable& Table_;
    std::unordered_map<uint32_t, uint8_t> Known_;
};

// Reads and writes pixels of one bitmap's depth as 0xAARRGGBB colours.
class TPixelCodec {
public:
    TPixelCodec(int Bits, bool Is555, const TColorTable& Table)
        : Bits_(Bits), Is555_(Is555), Table_(Table), Nearest_(Table) {}

    QRgb Get(const uint8_t* Row, int X) const
    {
        switch (Bits_) {
        case 8: {
            const TRGBQuad& Q = Table_[Row[X]];
            return qRgb(Q.rgbRed, Q.rgbGreen, Q.rgbBlue);
        }
        case 16: {
            const uint32_t W = ReadLE<uint16_t>(Row, size_t(X) * 2);
            if (Is555_)
                return qRgb(Expand((W >> 10) & 31, 5), Expand((W >> 5) & 31, 5), Expand(W & 31, 5));
            return qRgb(Expand(W >> 11, 5), Expand((W >> 5) & 63, 6), Expand(W & 31, 5));
        }
        case 24: return qRgb(Row[X * 3 + 2], Row[X * 3 + 1], Row[X * 3]);
        default: return qRgb(Row[X * 4 + 2], Row[X * 4 + 1], Row[X * 4]);
        }
    }

    void Put(uint8_t* Row, int X, QRgb Color)
    {
        switch (Bits_) {
        case 8: Row[X] = Nearest_.Index(Color); break;
        case 16: WriteLE<uint16_t>(Row, size_t(X) * 2, Encode16(Color)); break;
        case 24:
            Row[X * 3] = uint8_t(qBlue(Color));
            Row[X * 3 + 1] = uint8_t(qGreen(Color));
            Row[X * 3 + 2] = uint8_t(qRed(Color));
            break;
        default:
            Row[X * 4] = uint8_t(qBlue(Color));
            Row[X * 4 + 1] = uint8_t(qGreen(Color));
            Row[X * 4 + 2] = uint8_t(qRed(Color));
            Row[X * 4 + 3] = 0;
            break;
        }
    }

private:
    uint16_t Encode16(QRgb Color) const
    {
        if (Is555_)
            return uint16_t(((qRed(Color) >> 3) << 10) | ((qGreen(Color) >> 3) << 5) | (qBlue(Color) >> 3));
        return uint16_t(((qRed(Color) >> 3) << 11) | ((qGreen(Color) >> 2) << 5) | (qBlue(Color) >> 3));
    }

    int Bits_;
    bool Is555_;
    const TColorTable& Table_;
    TNearestColor Nearest_;
};

std::string SizeText(int64_t Width, int64_t Height, int Bits)
{
    return std::to_string(Width) + " x " + std::to_string(Height) + " x " + std::to_string(Bits) + " bits";
}

}  // namespace

const TColorTable DefaultPalette = MakeDefaultPalette();

int32_t WidthBytes(int32_t Width, int32_t Bits)
{
    return static_cast<int32_t>((int64_t(Width) * Bits + 31) / 32 * 4);
}

bool TDIB::SizeAllowed(int64_t Width, int64_t Height, int Bits)
{
    if (Width < 0 || Height < 0 || Bits <= 0 || Width > INT32_MAX || Height > INT32_MAX)
        return false;
    const int64_t Row = (Width * Bits + 31) / 32 * 4;
    return Height == 0 || Row <= MaxPixelBytes / Height;
}

TDIB::TDIB() : ColorTable_(GreyRamp()) {}

void TDIB::SetMasks(uint32_t RedMask, uint32_t GreenMask, uint32_t BlueMask)
{
    PendingRedMask_ = RedMask;
    PendingGreenMask_ = GreenMask;
    PendingBlueMask_ = BlueMask;
}

void TDIB::SetBitCount(int Bits)
{
    if (Bits != 8 && Bits != 16 && Bits != 24 && Bits != 32)
        throw EVelkaError("Unsupported bitmap depth: " + std::to_string(Bits));
    // Only 16-bit pixels have a choice of layout (5-6-5 or 5-5-5); the others are always
    // blue, green, red bytes.
    const bool Wants555 = PendingRedMask_ == Red555 && PendingGreenMask_ == Green555 && PendingBlueMask_ == Blue555;
    if (Bits == 16 && Wants555) {
        RedMask_ = Red555, GreenMask_ = Green555, BlueMask_ = Blue555;
    } else if (Bits == 16) {
        RedMask_ = Red565, GreenMask_ = Green565, BlueMask_ = Blue565;
    } else {
        RedMask_ = Red888, GreenMask_ = Green888, BlueMask_ = Blue888;
    }
    BitCount_ = Bits;
    if (Empty()) {
        Width_ = 1;
        Height_ = 1;
    }
    Reallocate();
}

void TDIB::SetWidth(int Width) { SetSize(Width, Height_); }

void TDIB::SetHeight(int Height) { SetSize(Width_, Height); }

void TDIB::SetSize(int Width, int Height)
{
    const int Bits = BitCount_ == 0 ? 8 : BitCount_;
    if (!SizeAllowed(Width, Height, Bits))
        throw EVelkaError("Bitmap size not allowed: " + SizeText(Width, Height, Bits));
    BitCount_ = Bits;
    Width_ = Width;
    Height_ = Height;
    Reallocate();
}

void TDIB::Reallocate()
{
    Pixels_.assign(size_t(RowBytes()) * size_t(Height_), 0);
}

// The colour table is read as written whenever pixels are drawn or shown, so applying it needs
// no work here; the operation exists because callers write the table and then apply it.
void TDIB::UpdatePalette() {}

uint8_t* TDIB::ScanLine(int Y)
{
    return const_cast<uint8_t*>(std::as_const(*this).ScanLine(Y));
}

const uint8_t* TDIB::ScanLine(int Y) const
{
    if (Y < 0 || Y >= Height_)
        throw EVelkaError("Scan line out of range: " + std::to_string(Y));
    return Pixels_.data() + size_t(Height_ - 1 - Y) * size_t(RowBytes());
}

void TDIB::Fill(QRgb Color)
{
    if (Empty())
        return;
    TPixelCodec Codec(BitCount_, GreenMask_ == Green555, ColorTable_);
    uint8_t* First = Pixels_.data();
    for (int X = 0; X < Width_; ++X)
        Codec.Put(First, X, Color);
    for (int Y = 1; Y < Height_; ++Y)
        std::copy(First, First + RowBytes(), First + size_t(Y) * size_t(RowBytes()));
}

void TDIB::Draw(const QImage& Picture, int X, int Y)
{
    if (Empty() || Picture.isNull())
        return;
    const QImage Source = Picture.convertToFormat(QImage::Format_ARGB32);
    const int Left = std::max(0, X), Top = std::max(0, Y);
    const int Right = int(std::min<int64_t>(Width_, int64_t(X) + Source.width()));
    const int Bottom = int(std::min<int64_t>(Height_, int64_t(Y) + Source.height()));
    TPixelCodec Codec(BitCount_, GreenMask_ == Green555, ColorTable_);
    for (int Row = Top; Row < Bottom; ++Row) {
        const auto* From = reinterpret_cast<const QRgb*>(Source.constScanLine(Row - Y));
        uint8_t* To = ScanLine(Row);
        for (int Column = Left; Column < Right; ++Column) {
            const QRgb Color = From[Column - X];
            const int Alpha = qAlpha(Color);
            if (Alpha == 0)
                continue;
            Codec.Put(To, Column, Alpha == 255 ? Color : Blend(Color, Codec.Get(To, Column)));
        }
    }
}

void TDIB::FlipVertical()
{
    const size_t Row = size_t(RowBytes());
    for (int Y = 0; Y < Height_ / 2; ++Y) {
        uint8_t* A = Pixels_.data() + size_t(Y) * Row;
        uint8_t* B = Pixels_.data() + size_t(Height_ - 1 - Y) * Row;
        std::swap_ranges(A, A + Row, B);
    }
}

void TDIB::SaveToStream(TStream& Stream) const
{
    if (BitCount_ == 0)
        throw EVelkaError("Cannot save a bitmap that has no pixels");
    const bool BitFields = BitCount_ == 16 || BitCount_ == 32;
    const uint32_t InfoSize = InfoHeaderSize + (BitFields ? MaskBytes : 0) + (BitCount_ == 8 ? ColorTableBytes : 0);
    const uint32_t ImageSize = uint32_t(Pixels_.size());

    std::vector<uint8_t> Header;
    Header.reserve(FileHeaderSize + InfoSize);
    Header.push_back('B');
    Header.push_back('M');
    AppendLE<uint32_t>(Header, FileHeaderSize + InfoSize + ImageSize);
    AppendLE<uint32_t>(Header, 0);
    AppendLE<uint32_t>(Header, FileHeaderSize + InfoSize);
    AppendLE<uint32_t>(Header, InfoHeaderSize);
    AppendLE<int32_t>(Header, Width_);
    AppendLE<int32_t>(Header, Height_);
    AppendLE<uint16_t>(Header, 1);
    AppendLE<uint16_t>(Header, uint16_t(BitCount_));
    AppendLE<uint32_t>(Header, BitFields ? CompressionBitFields : CompressionNone);
    AppendLE<uint32_t>(Header, ImageSize);
    Header.resize(Header.size() + 16, 0);  // resolution and colour counts
    if (BitFields) {
        AppendLE<uint32_t>(Header, RedMask_);
        AppendLE<uint32_t>(Header, GreenMask_);
        AppendLE<uint32_t>(Header, BlueMask_);
    }
    if (BitCount_ == 8) {
        for (const TRGBQuad& Q : ColorTable_) {
            Header.push_back(Q.rgbBlue);
            Header.push_back(Q.rgbGreen);
            Header.push_back(Q.rgbRed);
            Header.push_back(0);
        }
    }
    Stream.WriteBuffer(Header.data(), Header.size());
    Stream.WriteBuffer(Pixels_.data(), Pixels_.size());
}

void TDIB::SaveToFile(const QString& FileName) const
{
    TFileStream File(FileName, TFileStream::Mode::Create);
    SaveToStream(File);
}

QImage TDIB::ToImage() const
{
    if (Empty() || BitCount_ == 0)
        return {};
    QImage Image(Width_, Height_, QImage::Format_RGB32);
    if (Image.isNull())
        return {};
    TPixelCodec Codec(BitCount_, GreenMask_ == Green555, ColorTable_);
    for (int Y = 0; Y < Height_; ++Y) {
        const uint8_t* From = ScanLine(Y);
        auto* To = reinterpret_cast<QRgb*>(Image.scanLine(Y));
        for (int X = 0; X < Width_; ++X)
            To[X] = Codec.Get(From, X);
    }
    return Image;
}

}  // namespace velka
