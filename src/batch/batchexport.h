#pragma once
// Batch export: writes a range of images as numbered BMP/PNG files with placement files.

#include "batch/progress.h"

#include <QString>

#include <cstdint>
#include <vector>

namespace velka {

class TGraphic;
class TWMImages;

struct TBatchExportOptions {
    QString Folder;         // created with its missing parents
    int32_t First = 0;      // 起始编号
    int32_t Last = 0;       // 结束编号
};

// The picture file name of image Number: Folder + "%.5d" + Extension (".BMP" or ".PNG").
QString ExportFileName(const QString& Folder, int32_t Number, const QString& Extension);
// The extension an image is exported with: ".PNG" for a PNG picture, else ".BMP".
QString PictureExtension(const TGraphic& Picture);
// Saves a bitmap or PNG picture as FileName; false (nothing written) for any other kind.
bool SavePictureFile(const TGraphic& Picture, const QString& FileName);

struct TExportFailure {
    int32_t Number = 0;  // image number
    QString FileName;    // the picture file that was being written
    QString Reason;
};

struct TBatchExportResult {
    enum class TStatus {
        Exported,      // every image of the range was written
        InvalidRange,  // First > Last, First < 0 or Last >= ImageCount: nothing written
        FolderError,   // the folder is empty or cannot be created: nothing written
        Stopped,       // the progress callback asked to stop
        Incomplete,    // the run went through, but the images in Failures were not written
    };
    TStatus Status = TStatus::Exported;
    int Total = 0;    // images in the range
    int Written = 0;  // images whose files were written
    std::vector<TExportFailure> Failures;
    QString Error;    // for InvalidRange and FolderError
    bool Ok() const { return Status == TStatus::Exported; }
};

// Exports Options.First..Options.Last of an open library. Bitmaps go to N.BMP, PNG pictures to
// N.PNG, each with its placement file; empty images become 1 x 1 8-bit N.BMP files without one.
// A failing image is recorded and the run goes on with the next.
TBatchExportResult BatchExport(TWMImages& Library, const TBatchExportOptions& Options,
                               const TProgressCallback& Progress = {});

}  // namespace velka
