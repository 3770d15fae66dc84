// info, list and verify: commands that only read a library.
#include "batch/decodedimage.h"
#include "cli/commands.h"
#include "cli/imagerange.h"
#include "library/dib.h"
#include "library/packageimages.h"
#include "library/pngobject.h"

namespace velka::cli {

namespace {

struct TListedImage {
    int32_t Number = 0;
    TImageInfo Info;
    QString Kind;
    QString Damage;  // why the image could not be decoded; empty when it could
};

QString KindOf(const TGraphic* Graphic)
{
    if (!Graphic || Graphic->Empty()) return QStringLiteral("empty");
    if (dynamic_cast<const TPNGObject*>(Graphic)) return QStringLiteral("png");
    if (const auto* Bitmap = dynamic_cast<const TDIB*>(Graphic)) return QStringLiteral("bmp%1").arg(Bitmap->BitCount());
    return QStringLiteral("unknown");
}

TListedImage DescribeImage(TWMImages& Library, int32_t Number)
{
    TListedImage Image;
    Image.Number = Number;
    Image.Info = ReadImageInfo(Library, Number);
    const TDecodedImage Decoded = DecodeImage(Library, Number);
    Image.Damage = Decoded.Damage;
    Image.Kind = Image.Damage.isEmpty() ? KindOf(Decoded.Graphic.get()) : QStringLiteral("damaged");
    return Image;
}

// Pattern with %1 to %7 replaced by number, width, height, x, y, flag and kind.
QString FillFields(const QString& Pattern, const TListedImage& Image)
{
    const TImageInfo& Info = Image.Info;
    return Pattern.arg(Image.Number).arg(Info.Width).arg(Info.Height).arg(Info.X).arg(Info.Y).arg(Info.Flag).arg(Image.Kind);
}

QString TabLine(const TListedImage& Image) { return FillFields(QStringLiteral("%1\t%2\t%3\t%4\t%5\t%6\t%7"), Image); }

QString JsonObject(const TListedImage& Image)
{
    return FillFields(
        QStringLiteral(R"({"number": %1, "width": %2, "height": %3, "x": %4, "y": %5, "flag": %6, "kind": "%7"})"), Image);
}

QString YesNo(bool Value) { return Value ? QStringLiteral("yes") : QStringLiteral("no"); }

}  // namespace

int RunInfo(const QStringList& Words, const TGlobalOptions& Options)
{
    const TCommandArgs Args(Words, {});
    Args.ExpectPositionals(1, 1);
    std::unique_ptr<TWMImages> Library = OpenLibrary(Args.Positionals()[0], Options);
    PrintLine(QStringLiteral("format: ") + FormatName(*Library));
    PrintLine(QStringLiteral("images: %1").arg(Library->ImageCount));
    PrintLine(QStringLiteral("index entries: %1").arg(Library->IndexList.size()));
    PrintLine(QStringLiteral("editable: ") + YesNo(Library->Editable));
    if (const auto* Package = dynamic_cast<const TWMPackageImages*>(Library.get())) {
        const bool Protected = Package->Header.EntryVersion == 1 && Package->Header.Password[0] != 0;
        PrintLine(QStringLiteral("password: ") + (Protected ? QStringLiteral("protected") : QStringLiteral("none")));
    }
    return 0;
}

int RunList(const QStringList& Words, const TGlobalOptions& Options)
{
    const TCommandArgs Args(Words, {{"--range", true}, {"--json", false}});
    Args.ExpectPositionals(1, 1);
    const std::optional<TImageRange> Requested = RangeOption(Args);
    std::unique_ptr<TWMImages> Library = OpenLibrary(Args.Positionals()[0], Options);
    const TImageRange Range = CheckedRange(Requested, *Library);
    const bool Json = Args.Has("--json");
    int Damaged = 0;
    if (Json) PrintLine(QStringLiteral("["));
    for (int32_t N = Range.First; N <= Range.Last; ++N) {
        const TListedImage Image = DescribeImage(*Library, N);
        if (!Image.Damage.isEmpty()) ++Damaged;
        if (Json)
            PrintLine(QStringLiteral("  ") + JsonObject(Image) + (N < Range.Last ? QStringLiteral(",") : QString()));
        else
            PrintLine(TabLine(Image));
    }
    if (Json) PrintLine(QStringLiteral("]"));
    if (Damaged == 0) return 0;
    PrintError(QStringLiteral("%1 images could not be decoded (see 'velka-tool verify')").arg(Damaged));
    return 1;
}

int RunVerify(const QStringList& Words, const TGlobalOptions& Options)
{
    const TCommandArgs Args(Words, {});
    Args.ExpectPositionals(1, 1);
    std::unique_ptr<TWMImages> Library = OpenLibrary(Args.Positionals()[0], Options);
    TProgressLine Progress(Options, QStringLiteral("verifying"));
    const TProgressCallback Report = Progress.Callback();
    int Damaged = 0;
    for (int32_t N = 0; N < Library->ImageCount; ++N) {
        const TListedImage Image = DescribeImage(*Library, N);
        if (!Image.Damage.isEmpty()) {
            ++Damaged;
            PrintLine(QStringLiteral("%1: damaged: %2").arg(N).arg(Image.Damage));
        }
        ReportProgress(Report, N + 1, Library->ImageCount);
    }
    // Images past the end of the index read as empty, so decoding alone would pass them.
    const bool ShortIndex = int64_t(Library->IndexList.size()) < Library->ImageCount;
    if (ShortIndex)
        PrintLine(QStringLiteral("index: %1 entries for %2 images (the index file is missing or short)")
                      .arg(Library->IndexList.size())
                      .arg(Library->ImageCount));
    PrintLine(QStringLiteral("%1 images checked, %2 damaged").arg(Library->ImageCount).arg(Damaged));
    return Damaged == 0 && !ShortIndex ? 0 : 1;
}

}  // namespace velka::cli
