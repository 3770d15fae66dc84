#include "batch/batchexport.h"

#include "batch/decodedimage.h"
#include "batch/filelists.h"
#include "batch/placement.h"
#include "library/dib.h"
#include "library/pngobject.h"
#include "library/wmimages.h"

#include <QDir>

#include <exception>

namespace velka {

namespace {

// Stands for an empty image, so that the folder keeps one picture per image number.
void WriteEmptyPicture(const QString& FileName)
{
    TDIB Bitmap;
    Bitmap.SetWidth(1);
    Bitmap.SetHeight(1);
    Bitmap.SaveToFile(FileName);
}

class TExportRun {
public:
    TExportRun(TWMImages& Library, const TBatchExportOptions& Options, const TProgressCallback& Progress)
        : Library_(Library), Options_(Options), Progress_(Progress)
    {
    }

    TBatchExportResult Run()
    {
        if (!PrepareFolder()) return Result_;
        if (Options_.First > Options_.Last || Options_.First < 0 || Options_.Last >= Library_.ImageCount) {
            Result_.Status = TBatchExportResult::TStatus::InvalidRange;
            Result_.Error = QStringLiteral("the range %1 to %2 is outside the images 0 to %3")
                                .arg(Options_.First)
                                .arg(Options_.Last)
                                .arg(Library_.ImageCount - 1);
            return Result_;
        }
        Result_.Total = Options_.Last - Options_.First + 1;
        ReportProgress(Progress_, 0, Result_.Total);
        for (int32_t N = Options_.First; N <= Options_.Last; ++N) {
            ExportImage(N);
            if (!ReportProgress(Progress_, N - Options_.First + 1, Result_.Total)) {
                Result_.Status = TBatchExportResult::TStatus::Stopped;
                return Result_;
            }
        }
        if (!Result_.Failures.empty()) Result_.Status = TBatchExportResult::TStatus::Incomplete;
        return Result_;
    }

private:
    bool PrepareFolder()
    {
        const QString Folder = TrimBlanks(Options_.Folder);
        if (Folder.isEmpty()) return FolderFailed(QStringLiteral("no target folder given"));
        if (!QDir().mkpath(Folder)) return FolderFailed(QStringLiteral("Unable to create directory ") + Folder);
        Folder_ = WithTrailingSeparator(Folder);
        return true;
    }

    bool FolderFailed(const QString& Reason)
    {
        Result_.Status = TBatchExportResult::TStatus::FolderError;
        Result_.Error = Reason;
        return false;
    }

    void ExportImage(int32_t N)
    {
        QString FileName = ExportFileName(Folder_, N, QStringLiteral(".BMP"));
        const TDecodedImage Decoded = DecodeImage(Library_, N);
        try {
            const TImageInfo Info = ReadImageInfo(Library_, N);
            if (Decoded.Graphic) {
                FileName = ExportFileName(Folder_, N, PictureExtension(*Decoded.Graphic));
                WritePicture(FileName, *Decoded.Graphic, Info);
            } else {
                ExportEmptyImage(FileName, Info);
            }
        } catch (const std::exception& Error) {
            Fail(N, FileName, QString::fromUtf8(Error.what()));
            return;
        }
        if (!Decoded.Damage.isEmpty()) {
            // Written all the same (blank, or as an empty image) so the folder keeps its numbering.
            Fail(N, FileName, Decoded.Damage);
            return;
        }
        ++Result_.Written;
    }

    // The placement file goes first: a picture whose placement cannot be written is not written.
    static void WritePicture(const QString& FileName, const TGraphic& Picture, const TImageInfo& Info)
    {
        WritePlacement(FileName, QPoint(Info.X, Info.Y), Info.Flag);
        if (!SavePictureFile(Picture, FileName))
            throw std::runtime_error("the image is neither a bitmap nor a PNG picture");
    }

    // An empty image becomes a 1 x 1 picture. One whose entry still records an offset or flag
    // (a DATA entry that only keeps offsets) gets its placement file too, so a re-import keeps them.
    static void ExportEmptyImage(const QString& FileName, const TImageInfo& Info)
    {
        WriteEmptyPicture(FileName);
        if (Info.X != 0 || Info.Y != 0 || Info.Flag != 0)
            WritePlacement(FileName, QPoint(Info.X, Info.Y), Info.Flag);
    }

    void Fail(int32_t N, const QString& FileName, const QString& Reason)
    {
        Result_.Failures.push_back({N, FileName, Reason});
    }

    TWMImages& Library_;
    const TBatchExportOptions& Options_;
    const TProgressCallback& Progress_;
    TBatchExportResult Result_;
    QString Folder_;
};

}  // namespace

QString ExportFileName(const QString& Folder, int32_t Number, const QString& Extension)
{
    return WithTrailingSeparator(Folder) + QString::asprintf("%.5d", Number) + Extension;
}

QString PictureExtension(const TGraphic& Picture)
{
    return dynamic_cast<const TPNGObject*>(&Picture) ? QStringLiteral(".PNG") : QStringLiteral(".BMP");
}

bool SavePictureFile(const TGraphic& Picture, const QString& FileName)
{
    if (const auto* Png = dynamic_cast<const TPNGObject*>(&Picture))
        Png->SaveToFile(FileName);
    else if (const auto* Bitmap = dynamic_cast<const TDIB*>(&Picture))
        Bitmap->SaveToFile(FileName);
    else
        return false;
    return true;
}

TBatchExportResult BatchExport(TWMImages& Library, const TBatchExportOptions& Options,
                               const TProgressCallback& Progress)
{
    return TExportRun(Library, Options, Progress).Run();
}

}  // namespace velka
