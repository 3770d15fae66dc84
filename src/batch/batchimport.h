#pragma once
// Batch import: fills a library from a folder of numbered BMP/PNG pictures (with offsets from
// their placement files or one common offset), or adds runs of empty images.

#include "batch/progress.h"

#include <QPoint>
#include <QString>
#include <QStringList>

#include <cstdint>

namespace velka {

class TWMImages;

// What a run imports (the items of the dialog's content group, in order).
enum class TImportContent : int {
    PicturesAndOffsets = 0,  // 图片和坐标
    Pictures = 1,            // 图片
    Offsets = 2,             // 坐标: entries without a picture carrying the placement values
    EmptyImages = 3,         // 空图片
};

// Where a run puts the images (the items of the dialog's mode group, in order).
enum class TImportMode : int {
    Append = 0,     // 从末尾添加
    Insert = 1,     // 按编号插入
    Overwrite = 2,  // 按编号覆盖
};

struct TBatchImportOptions {
    TImportContent Content = TImportContent::PicturesAndOffsets;
    TImportMode Mode = TImportMode::Append;
    QString Folder;               // picture folder (content 0 to 2)
    int32_t StartNumber = 0;      // 起始编号
    int32_t EndNumber = 0;        // 结束编号
    bool OffsetsFromPlacementFiles = true;  // 同名坐标文件; false: 相同坐标 with CommonOffset
    QPoint CommonOffset;  // used when OffsetsFromPlacementFiles is false, and by empty images
    bool OneByOneAsEmpty = true;  // 1 x 1 pictures become empty images
    bool InterleaveEmpty = false; // append only: Every pictures are followed by Count empty images
    int InterleaveEvery = 0;
    int InterleaveCount = 0;
};

// The common offset typed as "X,Y": two comma-separated integer texts, each 0 when not one.
QPoint ParseCommonOffset(const QString& Text);

struct TBatchImportResult {
    enum class TStatus {
        Imported,  // every entry was taken and the library saved
        Failed,    // a picture or a library operation failed at FailedPicture
        Stopped,   // the progress callback asked to stop
    };
    TStatus Status = TStatus::Imported;
    int Total = 0;          // entries the run meant to write (pictures, or empty images)
    int Imported = 0;       // entries handed to the library and saved
    bool Saved = false;     // the library was saved (false only when Save itself failed)
    QString FailedPicture;  // the picture at which the run failed (empty when no picture was at fault)
    int FailedIndex = -1;   // the entry of the run's order (0-based) that failed, -1 when none
    QString Error;          // why it failed
    // Pictures that could not be decoded: each went in as an empty image, keeping the numbering.
    QStringList Undecodable;
    bool Ok() const { return Status == TStatus::Imported; }
    // Ok, and every picture went in as itself.
    bool Clean() const { return Ok() && Undecodable.isEmpty(); }
};

// Runs the import on an open, editable library. When the library cannot store one of the
// listed pictures (a PNG picture in a WZL library) the run is refused before anything is
// written, naming that picture. A run that fails or stops part-way saves the
// entries handed over before it (so the files hold a consistent library: the first Imported
// entries of the run) and reports the picture it failed at. Abandoning them instead is not an
// option: a DATA library's appends overwrite its stored index until the next Save.
TBatchImportResult BatchImport(TWMImages& Library, const TBatchImportOptions& Options,
                               const TProgressCallback& Progress = {});

}  // namespace velka
