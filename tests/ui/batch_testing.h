#pragma once
// Shared pieces of the batch dialog tests: fixture libraries and pictures written with the
// core's own writers, answered message boxes and pickers, and waiting for a run to end.

#include "library/dib.h"
#include "library/pngobject.h"
#include "library/wmimages.h"
#include "support/libraryfixtures.h"
#include "support/uitesting.h"
#include "ui/batch/batchdialog.h"
#include "ui/batch/batchjob.h"
#include "ui/batch/batchpickers.h"
#include "ui/main/messagebox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <atomic>
#include <deque>
#include <memory>
#include <semaphore>
#include <vector>

namespace velka::test {

// One image of a fixture library: a Width x Height bitmap (or PNG picture) of one colour, or
// an empty image when Width is 0.
struct TFixtureImage {
    int Width = 0;
    int Height = 0;
    int X = 0;
    int Y = 0;
    bool Png = false;
};

inline std::unique_ptr<TGraphic> MakePicture(const TFixtureImage& Image)
{
    if (Image.Width == 0)
        return nullptr;
    if (Image.Png) {
        QImage Picture(Image.Width, Image.Height, QImage::Format_ARGB32);
        Picture.fill(qRgba(200, 40, 40, 180));
        return std::make_unique<TPNGObject>(Picture);
    }
    auto Bitmap = std::make_unique<TDIB>();
    Bitmap->SetBitCount(24);
    Bitmap->SetSize(Image.Width, Image.Height);
    Bitmap->Fill(qRgb(40, 90, 200));
    return Bitmap;
}

// Writes a new WZL or DATA library (by extension) holding Images, and returns it re-opened.
inline std::unique_ptr<TWMImages> MakeLibrary(const QString& FileName, const std::vector<TFixtureImage>& Images)
{
    std::unique_ptr<TWMImages> Library = CreateImageLibrary(FileName);
    EXPECT_TRUE(Library) << FileName.toStdString();
    if (!Library)
        return nullptr;
    Library->Initialize();
    if (!Images.empty()) {
        Library->BeforeSave();
        for (const TFixtureImage& Image : Images) {
            std::unique_ptr<TGraphic> Picture = MakePicture(Image);
            EXPECT_TRUE(Library->AddImage(Picture.get(), Image.X, Image.Y, Image.Png ? 2 : 0));
        }
        Library->Save();
    }
    return Library;
}

// A library of Count bitmaps whose widths 10, 11, 12, ... tell them apart.
inline std::unique_ptr<TWMImages> MakeNumberedLibrary(const QString& FileName, int Count)
{
    std::vector<TFixtureImage> Images;
    for (int I = 0; I < Count; ++I)
        Images.push_back({10 + I, 4, I, -I});
    return MakeLibrary(FileName, Images);
}

struct TStoredImage {
    int Width = 0;
    int Height = 0;
    int X = 0;
    int Y = 0;
    int Flag = 0;
    bool operator==(const TStoredImage&) const = default;
};

inline TStoredImage Stored(TWMImages& Library, int Index)
{
    int32_t W = 0, H = 0, X = 0, Y = 0;
    uint8_t Flag = 0;
    EXPECT_TRUE(Library.GetImageInfoEx(Index, W, H, X, Y, Flag)) << "image " << Index;
    return {W, H, X, Y, Flag};
}

inline std::ostream& operator<<(std::ostream& Out, const TStoredImage& Image)
{
    return Out << Image.Width << "x" << Image.Height << " @" << Image.X << "," << Image.Y << " flag "
               << Image.Flag;
}

// Picture files for import: a BMP (24 bits) or PNG picture of the given size.
inline void WritePicture(const QString& FileName, int Width, int Height)
{
    const bool Png = FileName.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive);
    std::unique_ptr<TGraphic> Picture = MakePicture({Width, Height, 0, 0, Png});
    if (Png)
        static_cast<TPNGObject*>(Picture.get())->SaveToFile(FileName);
    else
        static_cast<TDIB*>(Picture.get())->SaveToFile(FileName);
}

// A placement file with the given lines beside the picture PictureName of Folder.
inline void WritePlacementLines(const QString& Folder, const QString& PictureName, const QByteArray& Lines)
{
    QDir(Folder).mkpath(QStringLiteral("Placements"));
    QFile File(Folder + QStringLiteral("/Placements/") + QFileInfo(PictureName).completeBaseName() +
               QStringLiteral(".txt"));
    ASSERT_TRUE(File.open(QIODevice::WriteOnly));
    File.write(Lines);
}

inline QByteArray FileBytes(const QString& FileName)
{
    QFile File(FileName);
    return File.open(QIODevice::ReadOnly) ? File.readAll() : QByteArray();
}

// Answers the editor's message boxes and questions, and the batch dialogs' pickers, for the
// lifetime of the object; records what they were asked.
class TAnsweredDialogs {
public:
    TAnsweredDialogs()
    {
        TestApplication();
        ui::SetMessageSeamForTesting({[this](const QString& Text) { Messages.push_back(Text); },
                                      [this](const QString& Text) {
                                          Questions.push_back(Text);
                                          if (OnQuestion)
                                              OnQuestion();
                                          if (Answers.empty())
                                              return false;
                                          const bool Answer = Answers.front();
                                          Answers.pop_front();
                                          return Answer;
                                      }});
        ui::SetBatchDialogSeamForTesting(
            {[this](QWidget*, const QString& Title, const QString& Start) {
                 FolderTitles.push_back(Title);
                 FolderStarts.push_back(Start);
                 return FolderAnswer;
             },
             [this](QFileDialog& Dialog) {
                 if (OnFileDialog)
                     OnFileDialog(Dialog);
                 return FileAnswer;
             }});
    }
    ~TAnsweredDialogs()
    {
        ui::SetMessageSeamForTesting({});
        ui::SetBatchDialogSeamForTesting({});
        ui::TBatchJob::SetProgressHookForTesting({});
    }
    TAnsweredDialogs(const TAnsweredDialogs&) = delete;
    TAnsweredDialogs& operator=(const TAnsweredDialogs&) = delete;

    std::vector<QString> Messages;
    std::vector<QString> Questions;
    std::deque<bool> Answers;            // answers to the questions, in order (then Cancel)
    std::function<void()> OnQuestion;    // runs on the GUI thread while a question is open
    std::vector<QString> FolderTitles;
    std::vector<QString> FolderStarts;
    QString FolderAnswer;                // the folder the picker returns (empty: cancelled)
    std::function<void(QFileDialog&)> OnFileDialog;
    QString FileAnswer;                  // the file the file dialogs return (empty: cancelled)
};

// Holds the worker of a run at its progress report Current (of any channel) until Release.
class TRunHold {
public:
    TRunHold(int Channel, int Current)
    {
        ui::TBatchJob::SetProgressHookForTesting([this, Channel, Current](int OnChannel, int At, int) {
            if (OnChannel == Channel && At == Current && !Held_.exchange(true))
                Gate_.acquire();
        });
    }
    ~TRunHold()
    {
        Release();
        ui::TBatchJob::SetProgressHookForTesting({});
    }
    bool WaitUntilHeld() { return QTest::qWaitFor([this] { return Held_.load(); }, 20000); }
    void Release()
    {
        if (Held_ && !Released_) {
            Released_ = true;
            Gate_.release();
        }
    }

private:
    std::atomic<bool> Held_{false};
    bool Released_ = false;
    std::binary_semaphore Gate_{0};
};

// Clicks Button and waits until the dialog's run has ended and shown its outcome.
inline bool RunAndWait(ui::TBatchDialog& Dialog, QAbstractButton* Button)
{
    QSignalSpy Finished(&Dialog, &ui::TBatchDialog::RunFinished);
    Button->click();
    return Finished.count() > 0 || Finished.wait(30000);
}

template <typename T>
T* Find(QObject& Parent, const char* Name)
{
    T* Child = Parent.findChild<T*>(QString::fromLatin1(Name));
    EXPECT_TRUE(Child) << Name;
    return Child;
}

}  // namespace velka::test
