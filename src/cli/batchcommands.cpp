// export, import and convert: the batch engines on the command line.
#include "batch/batchexport.h"
#include "batch/batchimport.h"
#include "batch/converter.h"
#include "cli/commands.h"
#include "cli/imagerange.h"

#include <QFileInfo>

namespace velka::cli {

namespace {

template <typename Enum, size_t N>
Enum ParseChoice(const QString& Text, const char* Option, const std::pair<const char*, Enum> (&Choices)[N])
{
    for (const auto& [Name, Value] : Choices)
        if (Text == QLatin1String(Name)) return Value;
    QStringList Names;
    for (const auto& Choice : Choices) Names.append(QLatin1String(Choice.first));
    throw TUsageError(QStringLiteral("%1: expected %2, got '%3'").arg(QLatin1String(Option), Names.join(u'|'), Text));
}

const std::pair<const char*, TImportContent> ContentChoices[] = {
    {"all", TImportContent::PicturesAndOffsets},
    {"pictures", TImportContent::Pictures},
    {"offsets", TImportContent::Offsets},
    {"empty", TImportContent::EmptyImages},
};

const std::pair<const char*, TImportMode> ModeChoices[] = {
    {"append", TImportMode::Append},
    {"insert", TImportMode::Insert},
    {"overwrite", TImportMode::Overwrite},
};

const std::pair<const char*, TConversion> ConversionChoices[] = {
    {"wil-data", TConversion::WilToData}, {"wil-wzl", TConversion::WilToWzl}, {"wzl-data", TConversion::WzlToData},
    {"wis-data", TConversion::WisToData}, {"wis-wzl", TConversion::WisToWzl},
};

// Everything but the default end number, which needs the library.
TBatchImportOptions ImportOptions(const TCommandArgs& Args)
{
    TBatchImportOptions Import;
    if (Args.Has("--content")) Import.Content = ParseChoice(Args.Value("--content"), "--content", ContentChoices);
    if (Args.Has("--mode")) Import.Mode = ParseChoice(Args.Value("--mode"), "--mode", ModeChoices);
    if (Import.Content != TImportContent::EmptyImages) {
        if (Args.Positionals().size() < 2) throw TUsageError(QStringLiteral("missing the picture folder DIR"));
        Import.Folder = Args.Positionals()[1];
    }
    Import.StartNumber = Args.Has("--start") ? ParseNumber(Args.Value("--start"), QStringLiteral("--start")) : 0;
    if (Args.Has("--end")) Import.EndNumber = ParseNumber(Args.Value("--end"), QStringLiteral("--end"));
    if (Args.Has("--offset")) {
        const auto [X, Y] = ParsePair(Args.Value("--offset"), QStringLiteral("--offset"));
        Import.OffsetsFromPlacementFiles = false;
        Import.CommonOffset = QPoint(X, Y);
    }
    Import.OneByOneAsEmpty = !Args.Has("--keep-1x1");
    if (Args.Has("--interleave")) {
        if (Import.Mode != TImportMode::Append) throw TUsageError(QStringLiteral("--interleave needs --mode append"));
        const auto [Every, Count] = ParsePair(Args.Value("--interleave"), QStringLiteral("--interleave"));
        if (Every <= 0 || Count <= 0) throw TUsageError(QStringLiteral("--interleave: both numbers must be positive"));
        Import.InterleaveEmpty = true;
        Import.InterleaveEvery = Every;
        Import.InterleaveCount = Count;
    }
    return Import;
}

void PrintConvertLog(const QString& Line)
{
    static const QString FailureMark = QStringLiteral("effor ");
    if (Line.startsWith(FailureMark))
        PrintError(Line.mid(FailureMark.size()));
    else
        PrintLine(Line);
}

TConverterCallbacks ConverterCallbacks(bool Replace, const TProgressCallback& Progress)
{
    TConverterCallbacks Callbacks;
    Callbacks.ImageProgress = Progress;
    Callbacks.ConfirmOverwrite = [Replace](const QString&) { return Replace; };
    Callbacks.Log = PrintConvertLog;
    return Callbacks;
}

// Declined overwrites are the one outcome the engine does not log.
int ReportConverted(const std::vector<TConvertFileResult>& Files, bool Stopped)
{
    int Failed = 0;
    for (const TConvertFileResult& File : Files) {
        if (File.Status == TConvertFileResult::TStatus::Declined)
            PrintError(File.Target + QStringLiteral(" exists (use --yes to replace it)"));
        if (!File.Ok()) ++Failed;
    }
    if (Stopped) PrintError(QStringLiteral("stopped"));
    PrintLine(QStringLiteral("converted %1 of %2 files").arg(Files.size() - Failed).arg(Files.size()));
    return Failed == 0 && !Stopped ? 0 : 1;
}

int ConvertOneFile(const TCommandArgs& Args, const TGlobalOptions& Options)
{
    Args.ExpectPositionals(2, 2);
    if (Args.Has("--type")) throw TUsageError(QStringLiteral("--type belongs to --folder runs"));
    const QString Source = Args.Positionals()[0];
    const QString Target = Args.Positionals()[1];
    TConvertOptions Convert;
    Convert.OffsetsBySourceType = true;
    Convert.OnPassword = AnswerPassword(Options.Password);
    TProgressLine Progress(Options, QStringLiteral("converting"));
    const TConvertFileResult Result =
        ConvertLibrary(Source, Target, Convert, ConverterCallbacks(Args.Has("--yes"), Progress.Callback()));
    return ReportConverted({Result}, Result.Status == TConvertFileResult::TStatus::Stopped);
}

int ConvertFolderRun(const TCommandArgs& Args, const TGlobalOptions& Options)
{
    Args.ExpectPositionals(1, 1);
    if (!Args.Has("--type")) throw TUsageError(QStringLiteral("--folder needs --type"));
    const QString SourceFolder = Args.Value("--folder");
    const QString TargetFolder = Args.Positionals()[0];
    TConvertOptions Convert;
    Convert.Conversion = ParseChoice(Args.Value("--type"), "--type", ConversionChoices);
    if (!QFileInfo(SourceFolder).isDir()) throw TFailure(SourceFolder + QStringLiteral(": folder not found"));
    if (!QFileInfo(TargetFolder).isDir()) throw TFailure(TargetFolder + QStringLiteral(": folder not found"));
    QStringList Sources = ListSourceFiles(SourceFolder, Convert.Conversion);
    Sources.sort();
    TProgressLine Progress(Options, QStringLiteral("converting"));
    const TConvertFolderResult Result =
        ConvertFolder(Sources, TargetFolder, Convert, ConverterCallbacks(Args.Has("--yes"), Progress.Callback()));
    return ReportConverted(Result.Files, Result.Stopped);
}

}  // namespace

int RunExport(const QStringList& Words, const TGlobalOptions& Options)
{
    const TCommandArgs Args(Words, {{"--range", true}});
    Args.ExpectPositionals(2, 2);
    const std::optional<TImageRange> Requested = RangeOption(Args);
    std::unique_ptr<TWMImages> Library = OpenLibrary(Args.Positionals()[0], Options);
    const TImageRange Range = CheckedRange(Requested, *Library);
    if (Range.First > Range.Last) {
        PrintLine(QStringLiteral("exported 0 images (the library has none)"));
        return 0;
    }
    TProgressLine Progress(Options, QStringLiteral("exporting"));
    const TBatchExportResult Result =
        BatchExport(*Library, {Args.Positionals()[1], Range.First, Range.Last}, Progress.Callback());
    if (!Result.Error.isEmpty()) throw TFailure(Result.Error);
    for (const TExportFailure& Failure : Result.Failures)
        PrintError(QStringLiteral("image %1 (%2): %3").arg(Failure.Number).arg(Failure.FileName, Failure.Reason));
    PrintLine(QStringLiteral("exported %1 of %2 images to %3").arg(Result.Written).arg(Result.Total).arg(Args.Positionals()[1]));
    return Result.Ok() ? 0 : 1;
}

int RunImport(const QStringList& Words, const TGlobalOptions& Options)
{
    const TCommandArgs Args(Words, {{"--content", true}, {"--mode", true}, {"--start", true}, {"--end", true},
                                    {"--offset", true}, {"--keep-1x1", false}, {"--interleave", true}});
    Args.ExpectPositionals(1, 2);
    TBatchImportOptions Import = ImportOptions(Args);
    std::unique_ptr<TWMImages> Library = OpenEditableLibrary(Args.Positionals()[0], Options);
    if (!Args.Has("--end")) Import.EndNumber = Library->ImageCount - 1;
    TProgressLine Progress(Options, QStringLiteral("importing"));
    const TBatchImportResult Result = BatchImport(*Library, Import, Progress.Callback());
    for (const QString& Picture : Result.Undecodable)
        PrintError(Picture + QStringLiteral(": not a decodable BMP or PNG picture, imported as an empty image"));
    if (!Result.Ok()) {
        QString Message = Result.FailedPicture.isEmpty() ? QStringLiteral("import failed: ")
                                                         : QStringLiteral("import failed at %1: ").arg(Result.FailedPicture);
        Message += Result.Error;
        if (Result.Saved) Message += QStringLiteral(" (the %1 entries before it were saved)").arg(Result.Imported);
        throw TFailure(Message);
    }
    PrintLine(QStringLiteral("imported %1 entries; the library has %2 images").arg(Result.Imported).arg(Library->ImageCount));
    return Result.Clean() ? 0 : 1;
}

int RunConvert(const QStringList& Words, const TGlobalOptions& Options)
{
    const TCommandArgs Args(Words, {{"--folder", true}, {"--type", true}, {"--yes", false}});
    return Args.Has("--folder") ? ConvertFolderRun(Args, Options) : ConvertOneFile(Args, Options);
}

}  // namespace velka::cli
