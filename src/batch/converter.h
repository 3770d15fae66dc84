#pragma once
// The batch format converter: one library file, or a list of them, into new WZL or DATA
// libraries, image by image with each image's offset, in image-number order.

#include "batch/progress.h"
#include "library/wmimages.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <vector>

namespace velka {

// Library type codes of the converter's source and target kinds.
enum class TLibraryKind : uint8_t { WIL = 0, WZL = 1, WIS = 2, DATA = 3 };

// The five conversions, in the order of the dialog's items.
enum class TConversion : int {
    WilToData = 0,  // WIL 转 DATA
    WilToWzl = 1,   // WIL 转 WZL
    WzlToData = 2,  // WZL 转 DATA
    WisToData = 3,  // WIS 转 DATA
    WisToWzl = 4,   // WIS 转 WZL
};
inline constexpr int ConversionCount = 5;

TLibraryKind SourceKindOf(TConversion Conversion);
TLibraryKind TargetKindOf(TConversion Conversion);
// ".WIL", ".WZL", ".WIS" or ".DATA".
QString ExtensionOf(TLibraryKind Kind);

struct TConvertOptions {
    // Decides where offsets are read from (the source kind), and the target extension of a
    // folder run; a single file's target type comes from its own extension.
    TConversion Conversion = TConversion::WilToData;
    // True: offsets are read by the source file's own type (its extension) rather than the
    // conversion's source kind, and a DATA source gives its stored offsets.
    bool OffsetsBySourceType = false;
    int WorkerCount = 2;        // compressing threads
    TPasswordEvent OnPassword;  // assigned to the source library when set
};

struct TConverterCallbacks {
    TProgressCallback ImageProgress;  // images of the library being converted
    TProgressCallback FileProgress;   // files of a folder run
    // Asked when the target exists; true replaces it, false skips this file.
    std::function<bool(const QString& Target)> ConfirmOverwrite;
    // The log: "S -> T" per file of a folder run, "effor <source>: <reason>" per failure.
    std::function<void(const QString& Line)> Log;
};

struct TImageFailure {
    int32_t Number = 0;
    QString Reason;
};

struct TConvertFileResult {
    enum class TStatus {
        Converted,  // the target holds every image of the source
        Declined,   // the target existed and the overwrite was declined: nothing written
        Failed,     // nothing usable was written; Error says why (missing source, bad type, ...)
        Stopped,    // the image progress callback asked to stop; the target is incomplete
    };
    TStatus Status = TStatus::Converted;
    QString Source;
    QString Target;
    int Images = 0;  // images of the source
    // Source images whose stored data is damaged; they went to the target as decoded (blank),
    // or as empty images when nothing could be decoded.
    std::vector<TImageFailure> DamagedImages;
    QString Error;
    bool Ok() const { return Status == TStatus::Converted && DamagedImages.empty(); }
};

// Converts Source into the new library Target (type by Target's extension).
TConvertFileResult ConvertLibrary(const QString& Source, const QString& Target, const TConvertOptions& Options,
                                  const TConverterCallbacks& Callbacks = {});

// The target of a folder run for Source: TargetFolder + ExtractNameBeforeExt(Source) + the
// conversion's target extension.
QString FolderTargetName(const QString& TargetFolder, const QString& Source, TConversion Conversion);

// The source files of a folder run: Folder's files with the conversion's source extension.
QStringList ListSourceFiles(const QString& Folder, TConversion Conversion);

struct TConvertFolderResult {
    std::vector<TConvertFileResult> Files;
    bool Stopped = false;
    // True when no file failed, stopped or had damaged images (a declined overwrite is the
    // user's choice, not a failure).
    bool Ok() const;
};

// Converts every file of Sources in order into TargetFolder, logging "S -> T" before each.
TConvertFolderResult ConvertFolder(const QStringList& Sources, const QString& TargetFolder,
                                   const TConvertOptions& Options, const TConverterCallbacks& Callbacks = {});

}  // namespace velka
