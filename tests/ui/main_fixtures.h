#pragma once
// Shared pieces of the main window and dialog tests: fixture libraries of every format, picture
// files, message recording and driving modal dialogs.

#include "library/dib.h"
#include "library/pngobject.h"
#include "library/wmimages.h"
#include "support/libraryfixtures.h"
#include "support/tempdir.h"
#include "support/uitesting.h"
#include "support/wilwriter.h"
#include "ui/main/messagebox.h"
#include "ui/main/pixlooker.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace velka::test {

// One image of a fixture library: a Width x Height picture of one colour, or an empty image
// when Width is 0.
struct TMainImage {
    int Width = 0;
    int Height = 0;
    int X = 0;
    int Y = 0;
    bool Png = false;
    QRgb Color = qRgb(40, 90, 200);
    int Bits = 16;
};

inline std::unique_ptr<TGraphic> MakeGraphic(const TMainImage& Image)
{
    if (Image.Width == 0) return nullptr;
    if (Image.Png) {
        QImage Picture(Image.Width, Image.Height, QImage::Format_ARGB32);
        Picture.fill(Image.Color);
        return std::make_unique<TPNGObject>(Picture);
    }
    auto Bitmap = std::make_unique<TDIB>();
    if (Image.Bits == 16) Bitmap->SetMasks(0xF800, 0x07E0, 0x001F);
    Bitmap->SetBitCount(Image.Bits);
    Bitmap->SetSize(Image.Width, Image.Height);
    Bitmap->Fill(Image.Color);
    return Bitmap;
}

// Writes a new WZL or DATA library (by extension) holding Images; a non-empty Password
// protects a DATA library.
inline void WriteLibrary(const QString& FileName, const std::vector<TMainImage>& Images,
                         const QString& Password = QString())
{
    std::unique_ptr<TWMImages> Library = CreateImageLibrary(FileName);
    ASSERT_TRUE(Library) << FileName.toStdString();
    Library->Initialize();
    if (!Images.empty()) {
        Library->BeforeSave();
        for (const TMainImage& Image : Images) {
            std::unique_ptr<TGraphic> Picture = MakeGraphic(Image);
            ASSERT_TRUE(Library->AddImage(Picture.get(), Image.X, Image.Y, Image.Png ? 2 : 0));
        }
        Library->Save();
    }
    if (!Password.isEmpty()) Library->SetPassword(Password);
}

// Count bitmaps whose widths 10, 11, 12, ... and offsets (i, -i) tell them apart.
inline std::vector<TMainImage> NumberedImages(int Count)
{
    std::vector<TMainImage> Images;
    for (int I = 0; I < Count; ++I) Images.push_back({10 + I, 4 + I % 3, I, -I});
    return Images;
}

// A Version 0, 16-bit WIL library of Count solid 4 x 3 images (plus its index file).
inline void WriteWilLibrary(const QString& FileName, int Count)
{
    TWilWriter Writer(0, 16);
    for (int I = 0; I < Count; ++I) {
        TWilImage Image{4, 3, int16_t(I), int16_t(-2 * I), std::vector<uint8_t>(Writer.BlockSize(4, 3), 0x1F)};
        Writer.Add(Image);
    }
    ASSERT_TRUE(Writer.Write(FileName));
}

struct TInfo {
    int W = 0, H = 0, X = 0, Y = 0;
    bool operator==(const TInfo&) const = default;
};
inline std::ostream& operator<<(std::ostream& Out, const TInfo& I)
{
    return Out << I.W << "x" << I.H << " @" << I.X << "," << I.Y;
}
inline TInfo InfoOf(TWMImages& Library, int Index)
{
    int32_t W = 0, H = 0, X = 0, Y = 0;
    EXPECT_TRUE(Library.GetImageInfo(Index, W, H, X, Y)) << "image " << Index;
    return {W, H, X, Y};
}

// Records the editor's message boxes while it lives.
class TMessageLog {
public:
    TMessageLog()
    {
        ui::SetMessageSeamForTesting({[this](const QString& Text) { Messages.push_back(Text); },
                                      [this](const QString& Text) {
                                          Messages.push_back(Text);
                                          return true;
                                      }});
    }
    ~TMessageLog() { ui::SetMessageSeamForTesting({}); }
    TMessageLog(const TMessageLog&) = delete;
    TMessageLog& operator=(const TMessageLog&) = delete;

    QStringList Messages;
};

// Runs Drive on the modal dialog that Start opens, once it is shown; returns what Start returns.
// Drive is expected to close the dialog.
template <typename TDialog, typename TStart>
auto WithModal(const std::function<void(TDialog&)>& Drive, TStart Start)
{
    bool Driven = false;
    QTimer Poll;
    Poll.setInterval(10);
    QObject::connect(&Poll, &QTimer::timeout, [&] {
        auto* Dialog = qobject_cast<TDialog*>(QApplication::activeModalWidget());
        if (!Dialog || !Dialog->isVisible() || Driven) return;
        Driven = true;
        Poll.stop();
        Drive(*Dialog);
        // A dialog the test failed to close fails the test instead of hanging it.
        QTimer::singleShot(3000, Dialog, [Dialog] {
            ADD_FAILURE() << "the modal dialog was left open";
            static_cast<QDialog*>(Dialog)->done(QDialog::Rejected);
        });
    });
    Poll.start();
    auto Result = Start();
    EXPECT_TRUE(Driven) << "the modal dialog was never shown";
    return Result;
}

}  // namespace velka::test
