#include "batch/converter.h"

#include "batch/decodedimage.h"
#include "batch/encodepool.h"
#include "batch/filelists.h"
#include "batch/librarypicture.h"
#include "batch/targetfiles.h"
#include "library/dib.h"

#include <QFileInfo>

#include <cstring>
#include <exception>
#include <stdexcept>
#include <string>

namespace velka {

namespace {

struct TConversionRow {
    TLibraryKind Source;
    TLibraryKind Target;
};

constexpr TConversionRow ConversionRows[ConversionCount] = {
    {TLibraryKind::WIL, TLibraryKind::DATA}, {TLibraryKind::WIL, TLibraryKind::WZL},
    {TLibraryKind::WZL, TLibraryKind::DATA}, {TLibraryKind::WIS, TLibraryKind::DATA},
    {TLibraryKind::WIS, TLibraryKind::WZL},
};

int16_t ReadInt16(const std::array<uint8_t, 16>& Header, size_t At)
{
    int16_t Value = 0;
    std::memcpy(&Value, Header.data() + At, sizeof Value);
    return Value;
}

// Decoded images queued for encoding ahead of the one being appended, per worker.
constexpr int WindowPerWorker = 4;

class TFileConversion {
public:
    TFileConversion(const QString& Source, const QString& Target, const TConvertOptions& Options,
                    const TConverterCallbacks& Callbacks)
        : Options_(Options), Callbacks_(Callbacks)
    {
        Result_.Source = Source;
        Result_.Target = Target;
    }

    TConvertFileResult Run()
    {
        ReportProgress(Callbacks_.ImageProgress, 0, 0);
        try {
            Convert();
        } catch (const std::exception& Error) {
            Fail(QString::fromUtf8(Error.what()));
        }
        Source_.reset();
        if (Result_.Status == TConvertFileResult::TStatus::Failed)
            Log(QStringLiteral("effor ") + Result_.Source + QStringLiteral(": ") + Result_.Error);
        return Result_;
    }

private:
    void Convert()
    {
        if (Result_.Source.compare(Result_.Target, Qt::CaseInsensitive) == 0)
            return Fail(QStringLiteral("source and target are the same file"));
        if (!QFileInfo(Result_.Source).isFile()) return Fail(QStringLiteral("source file not found"));
        Source_ = OpenImageLibrary(Result_.Source, true);
        if (!Source_) return Fail(QStringLiteral("not a library file"));
        if (Options_.OnPassword) Source_->OnPassword = Options_.OnPassword;
        Source_->Initialize();
        if (!Source_->PasswordOK) return Fail(QStringLiteral("wrong password"));
        const QString Extension = UpperExtension(Result_.Target);
        if (Extension != ExtensionOf(TLibraryKind::WZL) && Extension != ExtensionOf(TLibraryKind::DATA))
            return Fail(QStringLiteral("the target must be a .wzl or .data file: ") + Result_.Target);
        if (QFileInfo::exists(Result_.Target) && !ConfirmOverwrite()) {
            Result_.Status = TConvertFileResult::TStatus::Declined;
            return;
        }
        Result_.Images = Source_->ImageCount;
        OffsetSourceKind_ = OffsetSourceKind();
        ReportProgress(Callbacks_.ImageProgress, 0, Result_.Images);
        TTargetFiles Files(Result_.Target);
        std::unique_ptr<TWMImages> Target = CreateImageLibrary(Files.Partial());
        Target.reset();
        Target = OpenImageLibrary(Files.Partial(), true);
        if (!Target) return Fail(QStringLiteral("cannot create the target: ") + Result_.Target);
        Target->Initialize();
        if (Source_->ImageCount > 0) {
            Target->BeforeSave();
            if (!CopyImages(*Target)) return;
            Target->Save();
        }
        Target.reset();
        Files.Commit();
    }

    bool ConfirmOverwrite() const
    {
        return Callbacks_.ConfirmOverwrite && Callbacks_.ConfirmOverwrite(Result_.Target);
    }

    // Decodes in order on this thread, encodes on the pool, appends in order.
    bool CopyImages(TWMImages& Target)
    {
        TEncodePool Pool(Target, Options_.WorkerCount);
        const int Window = WindowPerWorker * std::max(1, Options_.WorkerCount);
        const int32_t Count = Source_->ImageCount;
        int32_t Decoded = 0;
        int32_t Appended = 0;
        while (Appended < Count) {
            TPreparedImage Image;
            if (Pool.TakeNext(Image)) {
                if (!Target.AddPreparedImage(Image))
                    throw std::runtime_error("the target library refused image " + std::to_string(Appended));
                ++Appended;
                if (!ReportProgress(Callbacks_.ImageProgress, Appended, Count)) {
                    Result_.Status = TConvertFileResult::TStatus::Stopped;
                    Result_.Error = QStringLiteral("stopped");
                    return false;
                }
                continue;
            }
            const bool CanDecode = Decoded < Count && Pool.Pending() < Window;
            if (CanDecode && Pool.HasFreeWorker()) {
                SubmitDecoded(Pool, Target, Decoded++);
                continue;
            }
            Pool.WaitForProgress(CanDecode);
        }
        return true;
    }

    void SubmitDecoded(TEncodePool& Pool, const TWMImages& Target, int32_t Number)
    {
        TDecodedImage Decoded = DecodeImage(*Source_, Number);
        if (!Decoded.Damage.isEmpty()) Damaged(Number, Decoded.Damage);
        std::unique_ptr<TGraphic> Picture = std::move(Decoded.Graphic);
        int32_t X = 0;
        int32_t Y = 0;
        if (Picture) ReadDecodedOffset(Number, X, Y);
        PrepareForLibrary(Picture, true);
        // Passing over a picture would renumber every later image: the file fails instead.
        if (Picture && !Target.CanStore(Picture.get()))
            throw std::runtime_error("image " + std::to_string(Number) +
                                     (dynamic_cast<const TDIB*>(Picture.get())
                                          ? std::string(": the target cannot store it")
                                          : std::string(" is a PNG picture, which a WZL library cannot hold")));
        Pool.Submit(Number, std::move(Picture), X, Y, 0);
    }

    TLibraryKind OffsetSourceKind() const
    {
        if (!Options_.OffsetsBySourceType) return SourceKindOf(Options_.Conversion);
        const QString Extension = UpperExtension(Result_.Source);
        for (TLibraryKind Kind : {TLibraryKind::WIL, TLibraryKind::WZL, TLibraryKind::WIS, TLibraryKind::DATA})
            if (Extension == ExtensionOf(Kind)) return Kind;
        return TLibraryKind::DATA;
    }

    // The offset of the image just decoded: from the header copy of the source kind's reader.
    void ReadDecodedOffset(int32_t Number, int32_t& X, int32_t& Y) const
    {
        switch (OffsetSourceKind_) {
        case TLibraryKind::WIL:
        case TLibraryKind::WIS:
            X = ReadInt16(Source_->LastWilHeader, 4);
            Y = ReadInt16(Source_->LastWilHeader, 6);
            break;
        case TLibraryKind::WZL:
            X = ReadInt16(Source_->LastWzlHeader, 8);
            Y = ReadInt16(Source_->LastWzlHeader, 10);
            break;
        case TLibraryKind::DATA:
            if (Options_.OffsetsBySourceType) {
                int32_t Width = 0, Height = 0;
                Source_->GetImageInfo(Number, Width, Height, X, Y);
            }
            break;
        }
    }

    void Damaged(int32_t Number, const QString& Reason)
    {
        Result_.DamagedImages.push_back({Number, Reason});
        Log(QStringLiteral("effor %1: image %2: %3").arg(Result_.Source).arg(Number).arg(Reason));
    }

    void Fail(const QString& Reason)
    {
        Result_.Status = TConvertFileResult::TStatus::Failed;
        Result_.Error = Reason;
    }

    void Log(const QString& Line) const
    {
        if (Callbacks_.Log) Callbacks_.Log(Line);
    }

    const TConvertOptions& Options_;
    const TConverterCallbacks& Callbacks_;
    TConvertFileResult Result_;
    std::unique_ptr<TWMImages> Source_;
    TLibraryKind OffsetSourceKind_ = TLibraryKind::WIL;
};

}  // namespace

TLibraryKind SourceKindOf(TConversion Conversion) { return ConversionRows[static_cast<int>(Conversion)].Source; }
TLibraryKind TargetKindOf(TConversion Conversion) { return ConversionRows[static_cast<int>(Conversion)].Target; }

QString ExtensionOf(TLibraryKind Kind)
{
    switch (Kind) {
    case TLibraryKind::WIL: return QStringLiteral(".WIL");
    case TLibraryKind::WZL: return QStringLiteral(".WZL");
    case TLibraryKind::WIS: return QStringLiteral(".WIS");
    case TLibraryKind::DATA: return QStringLiteral(".DATA");
    }
    return {};
}

TConvertFileResult ConvertLibrary(const QString& Source, const QString& Target, const TConvertOptions& Options,
                                  const TConverterCallbacks& Callbacks)
{
    return TFileConversion(Source, Target, Options, Callbacks).Run();
}

QString FolderTargetName(const QString& TargetFolder, const QString& Source, TConversion Conversion)
{
    return WithTrailingSeparator(TargetFolder) + ExtractNameBeforeExt(Source) + ExtensionOf(TargetKindOf(Conversion));
}

QStringList ListSourceFiles(const QString& Folder, TConversion Conversion)
{
    QStringList Files;
    ListFilesByExt(Folder, ExtensionOf(SourceKindOf(Conversion)), Files);
    return Files;
}

bool TConvertFolderResult::Ok() const
{
    if (Stopped) return false;
    for (const TConvertFileResult& File : Files)
        if (!File.Ok() && File.Status != TConvertFileResult::TStatus::Declined) return false;
    return true;
}

TConvertFolderResult ConvertFolder(const QStringList& Sources, const QString& TargetFolder,
                                   const TConvertOptions& Options, const TConverterCallbacks& Callbacks)
{
    TConvertFolderResult Result;
    const QString Folder = TrimBlanks(TargetFolder);
    const int Total = static_cast<int>(Sources.size());
    ReportProgress(Callbacks.FileProgress, 0, Total);
    for (int I = 0; I < Total; ++I) {
        const QString Target = FolderTargetName(Folder, Sources[I], Options.Conversion);
        if (Callbacks.Log) Callbacks.Log(Sources[I] + QStringLiteral(" -> ") + Target);
        Result.Files.push_back(ConvertLibrary(Sources[I], Target, Options, Callbacks));
        if (Result.Files.back().Status == TConvertFileResult::TStatus::Stopped ||
            !ReportProgress(Callbacks.FileProgress, I + 1, Total)) {
            Result.Stopped = true;
            break;
        }
    }
    return Result;
}

}  // namespace velka
