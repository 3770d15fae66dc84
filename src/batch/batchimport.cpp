#include "batch/batchimport.h"

#include "batch/filelists.h"
#include "batch/inttext.h"
#include "batch/librarypicture.h"
#include "batch/placement.h"
#include "library/picturefile.h"
#include "library/wmimages.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <exception>
#include <memory>

namespace velka {

namespace {

class TImportRun {
public:
    TImportRun(TWMImages& Library, const TBatchImportOptions& Options, const TProgressCallback& Progress)
        : Library_(Library), Options_(Options), Progress_(Progress)
    {
    }

    TBatchImportResult Run()
    {
        if (!Library_.Editable) return Refused(QStringLiteral("the library cannot be edited"));
        if (!Library_.PasswordOK) return Refused(QStringLiteral("wrong password: the library is locked"));
        // Start is at most the last image number and at most the end number.
        Start_ = std::min({Options_.StartNumber, Library_.ImageCount - 1, Options_.EndNumber});
        if (Options_.Content == TImportContent::EmptyImages)
            ImportEmptyImages();
        else
            ImportPictures();
        return Result_;
    }

private:
    // A run that does not start: nothing is changed or saved.
    TBatchImportResult Refused(const QString& Reason)
    {
        Result_.Status = TBatchImportResult::TStatus::Failed;
        Result_.Error = Reason;
        return Result_;
    }

    QPoint CommonOffset() const
    {
        return Options_.OffsetsFromPlacementFiles ? QPoint(0, 0) : Options_.CommonOffset;
    }

    void ImportEmptyImages()
    {
        int32_t End = Options_.EndNumber;
        if (Options_.Mode == TImportMode::Overwrite) {
            End = std::min(Options_.EndNumber, Library_.ImageCount - 1);
            Start_ = std::min(Start_, End);
        }
        Result_.Total = static_cast<int>(std::max<int64_t>(0, int64_t(End) - Start_ + 1));
        // Empty images have no placement files: they always take the common offset.
        const QPoint Offset = Options_.CommonOffset;
        RunAndSave([&] {
            Library_.BeforeSave();
            for (int K = 0; K < Result_.Total; ++K) {
                if (!KeepGoing(K)) return;
                Store(Start_ + K, nullptr, Offset, 0);
                ++Result_.Imported;
            }
        });
        ReportProgress(Progress_, Result_.Imported, Result_.Total);
    }

    void ImportPictures()
    {
        const QString Folder = TrimBlanks(Options_.Folder);
        if (Folder.isEmpty()) {
            Refused(QStringLiteral("no picture folder given"));
            return;
        }
        if (!QFileInfo(Folder).isDir()) {
            Refused(QStringLiteral("picture folder not found: ") + Folder);
            return;
        }
        QStringList Pictures;
        ListPictureFiles(WithTrailingSeparator(Folder), Pictures);
        SortByFileNumber(Pictures);
        int64_t Total = Pictures.size();
        if (Options_.Mode == TImportMode::Overwrite) {
            // Overwriting stops at the last existing image.
            const int64_t Last = std::min<int64_t>(Library_.ImageCount - 1, int64_t(Start_) + Total - 1);
            Total = std::min<int64_t>(Last - Start_ + 1, Library_.ImageCount);
        }
        Result_.Total = static_cast<int>(std::max<int64_t>(0, Total));
        ReportProgress(Progress_, 0, Result_.Total);
        if (Result_.Total == 0) return;
        if (!CheckStorable(Pictures)) return;
        RunAndSave([&] {
            Library_.BeforeSave();
            int32_t Number = Start_;
            for (int K = 0; K < Result_.Total; ++K) {
                if (!KeepGoing(K)) return;
                CurrentPicture_ = Pictures[K];
                ImportPicture(Pictures[K], Number);
                ++Result_.Imported;
                if (Options_.Mode != TImportMode::Append) ++Number;
                CurrentPicture_.clear();
                InterleaveEmptyImages(K);
            }
        });
        ReportProgress(Progress_, Result_.Imported, Result_.Total);
    }

    std::unique_ptr<TGraphic> LoadPicture(const QString& Name, uint8_t& Kind) const
    {
        std::unique_ptr<TGraphic> Picture = LoadPictureFile(Name, Kind);
        PrepareForLibrary(Picture, Options_.OneByOneAsEmpty);
        return Picture;
    }

    // Only PNG pictures may be refused by a library, so only they are decoded ahead of the run;
    // the first one the library takes shows that it takes them all.
    bool CheckStorable(const QStringList& Pictures)
    {
        if (Options_.Content == TImportContent::Offsets) return true;
        for (int K = 0; K < Result_.Total; ++K) {
            if (!HasPngSignature(Pictures[K])) continue;
            uint8_t Kind = 0;
            std::unique_ptr<TGraphic> Picture;
            try {
                Picture = LoadPicture(Pictures[K], Kind);
            } catch (const std::exception&) {
                continue;  // the run reports it at its place
            }
            if (!Picture || Picture->Empty()) continue;
            if (Library_.CanStore(Picture.get())) return true;
            Refused(NotStorable(Kind));
            Result_.FailedPicture = Pictures[K];
            Result_.FailedIndex = K;
            return false;
        }
        return true;
    }

    static bool HasPngSignature(const QString& Name)
    {
        static const QByteArray Signature("\x89PNG\r\n\x1a\n", 8);
        QFile File(Name);
        return File.open(QIODevice::ReadOnly) && File.read(Signature.size()) == Signature;
    }

    static QString NotStorable(uint8_t Kind)
    {
        return Kind == KindPNG ? QStringLiteral("a WZL library cannot hold PNG pictures")
                               : QStringLiteral("the library cannot store this picture");
    }

    void ImportPicture(const QString& Name, int32_t Number)
    {
        QPoint Offset = CommonOffset();
        uint8_t Flag = 0;
        std::unique_ptr<TGraphic> Picture;
        if (Options_.Content != TImportContent::Offsets) {
            Picture = LoadPictureFile(Name, Flag);
            if (!Picture) Result_.Undecodable.append(Name);
            PrepareForLibrary(Picture, Options_.OneByOneAsEmpty);
            if (Picture && !Library_.CanStore(Picture.get())) throw std::runtime_error(NotStorable(Flag).toStdString());
        }
        if (Options_.Content != TImportContent::Pictures && Options_.OffsetsFromPlacementFiles)
            ReadPlacement(Name, Offset, Flag);
        Store(Number, Picture.get(), Offset, Flag);
    }

    void InterleaveEmptyImages(int K)
    {
        if (!Options_.InterleaveEmpty || Options_.Mode != TImportMode::Append) return;
        if (Options_.InterleaveEvery <= 0 || Options_.InterleaveCount <= 0) return;
        if ((K + 1) % Options_.InterleaveEvery != 0) return;
        for (int I = 0; I < Options_.InterleaveCount; ++I) Store(0, nullptr, QPoint(0, 0), 0);
    }

    void Store(int32_t Number, TGraphic* Picture, QPoint Offset, uint8_t Flag)
    {
        bool Taken = false;
        switch (Options_.Mode) {
        case TImportMode::Append: Taken = Library_.AddImage(Picture, Offset.x(), Offset.y(), Flag); break;
        case TImportMode::Insert: Taken = Library_.InsertImage(Number, Picture, Offset.x(), Offset.y(), Flag); break;
        case TImportMode::Overwrite: Taken = Library_.ReplaceImage(Number, Picture, Offset.x(), Offset.y(), Flag); break;
        }
        if (!Taken) throw std::runtime_error("the library refused the image");
    }

    bool KeepGoing(int Done)
    {
        if (ReportProgress(Progress_, Done, Result_.Total)) return true;
        Result_.Status = TBatchImportResult::TStatus::Stopped;
        return false;
    }

    // Runs the changes, then saves what was handed over, whether or not the changes all went in.
    template <typename Changes>
    void RunAndSave(Changes MakeChanges)
    {
        try {
            MakeChanges();
        } catch (const std::exception& Error) {
            Result_.Status = TBatchImportResult::TStatus::Failed;
            Result_.FailedPicture = CurrentPicture_;
            Result_.FailedIndex = Result_.Imported;
            Result_.Error = QString::fromUtf8(Error.what());
        }
        try {
            Library_.Save();
            Result_.Saved = true;
        } catch (const std::exception& Error) {
            Result_.Status = TBatchImportResult::TStatus::Failed;
            Result_.Saved = false;
            const QString Reason = QStringLiteral("the library could not be saved: ") + QString::fromUtf8(Error.what());
            Result_.Error = Result_.Error.isEmpty() ? Reason : Result_.Error + QStringLiteral("; ") + Reason;
        }
    }

    TWMImages& Library_;
    const TBatchImportOptions& Options_;
    const TProgressCallback& Progress_;
    TBatchImportResult Result_;
    int32_t Start_ = 0;
    QString CurrentPicture_;
};

}  // namespace

QPoint ParseCommonOffset(const QString& Text)
{
    QString XText;
    QString YText;
    const QString Rest = SplitFirstToken(TrimBlanks(Text), XText, QStringLiteral(","));
    SplitFirstToken(Rest, YText, QStringLiteral(","));
    return QPoint(IntText(XText), IntText(YText));
}

TBatchImportResult BatchImport(TWMImages& Library, const TBatchImportOptions& Options,
                               const TProgressCallback& Progress)
{
    return TImportRun(Library, Options, Progress).Run();
}

}  // namespace velka
