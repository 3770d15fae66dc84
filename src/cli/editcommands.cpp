// create, delete, offset and password: single edits of a library.
#include "batch/deleterange.h"
#include "batch/passwordtext.h"
#include "cli/commands.h"
#include "cli/imagerange.h"
#include "library/packageimages.h"

#include <QFileInfo>

#include <cstdint>

namespace velka::cli {

namespace {

// Offsets are stored as 16-bit values: anything else would come back as another number.
bool FitsOffset(int64_t Value) { return Value >= INT16_MIN && Value <= INT16_MAX; }

void CheckTypedOffset(int32_t X, int32_t Y)
{
    if (!FitsOffset(X) || !FitsOffset(Y))
        throw TUsageError(QStringLiteral("offset %1,%2: offsets must lie in -32768..32767").arg(X).arg(Y));
}

// An empty image has no stored entry to hold an offset.
bool HasStoredImage(const TWMImages& Library, int32_t N) { return Library.PositionOf(N) > 0; }

struct TOffsetRun {
    int Changed = 0;
    int Empty = 0;
    int OutOfRange = 0;
};

TOffsetRun SetOffsets(TWMImages& Library, const TImageRange& Range, int32_t X, int32_t Y, bool Add)
{
    TOffsetRun Run;
    for (int32_t N = Range.First; N <= Range.Last; ++N) {
        int32_t Width = 0, Height = 0, OldX = 0, OldY = 0;
        if (!HasStoredImage(Library, N) || !Library.GetImageInfo(N, Width, Height, OldX, OldY)) {
            ++Run.Empty;
            continue;
        }
        const int64_t NewX = Add ? int64_t(OldX) + X : X;
        const int64_t NewY = Add ? int64_t(OldY) + Y : Y;
        if (!FitsOffset(NewX) || !FitsOffset(NewY)) {
            PrintError(QStringLiteral("image %1: offset %2,%3 would leave -32768..32767; left at %4,%5")
                           .arg(N).arg(NewX).arg(NewY).arg(OldX).arg(OldY));
            ++Run.OutOfRange;
            continue;
        }
        Library.SetImageOffset(N, int32_t(NewX), int32_t(NewY));
        ++Run.Changed;
    }
    return Run;
}

// The library keeps 16 GBK bytes: a password that does not fit as typed would never open it.
void CheckPassword(const QString& Password)
{
    switch (CheckPasswordText(Password)) {
    case TPasswordProblem::None: return;
    case TPasswordProblem::NotGBK:
        throw TUsageError(QStringLiteral("NEW: the password holds characters GBK cannot represent"));
    case TPasswordProblem::TooLong:
        throw TUsageError(QStringLiteral("NEW: the password is longer than %1 GBK bytes").arg(MaxPasswordBytes));
    }
}

}  // namespace

int RunCreate(const QStringList& Words, const TGlobalOptions&)
{
    const TCommandArgs Args(Words, {});
    Args.ExpectPositionals(1, 1);
    const QString FileName = Args.Positionals()[0];
    const QString Extension = UpperExtension(FileName);
    if (Extension != QStringLiteral(".WZL") && Extension != QStringLiteral(".DATA"))
        throw TFailure(FileName + QStringLiteral(": only .wzl and .data libraries can be created"));
    if (QFileInfo::exists(FileName)) throw TFailure(FileName + QStringLiteral(": file exists"));
    if (!CreateImageLibrary(FileName)) throw TFailure(FileName + QStringLiteral(": cannot create the library"));
    PrintLine(QStringLiteral("created ") + FileName);
    return 0;
}

int RunDelete(const QStringList& Words, const TGlobalOptions& Options)
{
    const TCommandArgs Args(Words, {{"--blank", false}});
    Args.ExpectPositionals(3, 3);
    const int32_t First = ParseNumber(Args.Positionals()[1], QStringLiteral("A"));
    const int32_t Last = ParseNumber(Args.Positionals()[2], QStringLiteral("B"));
    std::unique_ptr<TWMImages> Library = OpenEditableLibrary(Args.Positionals()[0], Options);
    // The editor's delete dialog clamps the range by the same rule.
    const std::optional<TDeleteRange> Range = ClampDeleteRange(First, Last, Library->ImageCount);
    if (!Range)
        throw TFailure(Library->ImageCount == 0 ? QStringLiteral("nothing to delete: the library has no images")
                                                : QStringLiteral("nothing to delete: the range ends before image 0"));
    const bool Blank = Args.Has("--blank");
    Library->BeforeSave();
    const bool Done = Blank ? Library->BlankImages(Range->First, Range->Last) : Library->DeleteImages(Range->First, Range->Last);
    if (!Done) throw TFailure(QStringLiteral("the library refused to change images %1 to %2").arg(Range->First).arg(Range->Last));
    Library->Save();
    PrintLine(QStringLiteral("%1 images %2 to %3; the library has %4 images")
                  .arg(Blank ? QStringLiteral("blanked") : QStringLiteral("deleted"))
                  .arg(Range->First)
                  .arg(Range->Last)
                  .arg(Library->ImageCount));
    return 0;
}

int RunOffset(const QStringList& Words, const TGlobalOptions& Options)
{
    const TCommandArgs Args(Words, {{"--range", true}, {"--set", true}, {"--add", true}});
    if (!Args.Has("--range")) {
        if (Args.Has("--set") || Args.Has("--add")) throw TUsageError(QStringLiteral("--set and --add need --range"));
        Args.ExpectPositionals(4, 4);
        const int32_t N = ParseNumber(Args.Positionals()[1], QStringLiteral("N"));
        const int32_t X = ParseNumber(Args.Positionals()[2], QStringLiteral("X"));
        const int32_t Y = ParseNumber(Args.Positionals()[3], QStringLiteral("Y"));
        CheckTypedOffset(X, Y);
        std::unique_ptr<TWMImages> Library = OpenEditableLibrary(Args.Positionals()[0], Options);
        if (N < 0 || N >= Library->ImageCount)
            throw TFailure(QStringLiteral("image %1 is outside the library's images 0 to %2").arg(N).arg(Library->ImageCount - 1));
        if (!HasStoredImage(*Library, N)) throw TFailure(QStringLiteral("image %1 is empty").arg(N));
        Library->SetImageOffset(N, X, Y);
        PrintLine(QStringLiteral("image %1: offset %2,%3").arg(N).arg(X).arg(Y));
        return 0;
    }
    Args.ExpectPositionals(1, 1);
    if (Args.Has("--set") == Args.Has("--add")) throw TUsageError(QStringLiteral("give exactly one of --set and --add"));
    const bool Add = Args.Has("--add");
    const auto [X, Y] = ParsePair(Add ? Args.Value("--add") : Args.Value("--set"), Add ? QStringLiteral("--add") : QStringLiteral("--set"));
    if (!Add) CheckTypedOffset(X, Y);
    const std::optional<TImageRange> Requested = RangeOption(Args);
    std::unique_ptr<TWMImages> Library = OpenEditableLibrary(Args.Positionals()[0], Options);
    const TImageRange Range = CheckedRange(Requested, *Library);
    const TOffsetRun Run = SetOffsets(*Library, Range, X, Y, Add);
    PrintLine(QStringLiteral("images %1 to %2: offsets of %3 images %4; %5 empty images skipped")
                  .arg(Range.First)
                  .arg(Range.Last)
                  .arg(Run.Changed)
                  .arg(Add ? QStringLiteral("moved") : QStringLiteral("set"))
                  .arg(Run.Empty));
    if (Run.OutOfRange == 0) return 0;
    PrintError(QStringLiteral("%1 images left unchanged: their offsets would leave -32768..32767").arg(Run.OutOfRange));
    return 1;
}

int RunPassword(const QStringList& Words, const TGlobalOptions& Options)
{
    const TCommandArgs Args(Words, {});
    Args.ExpectPositionals(2, 2);
    std::unique_ptr<TWMImages> Library = OpenEditableLibrary(Args.Positionals()[0], Options);
    if (!dynamic_cast<TWMPackageImages*>(Library.get()))
        throw TFailure(Args.Positionals()[0] + QStringLiteral(": only DATA libraries have an image password"));
    const QString Password = Args.Positionals()[1];
    CheckPassword(Password);
    Library->SetPassword(Password);
    PrintLine(Password.isEmpty() ? QStringLiteral("password removed") : QStringLiteral("password set"));
    return 0;
}

}  // namespace velka::cli
