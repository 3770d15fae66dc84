// The tool bar's commands on the open library, each through its (answered) dialog: import,
// export, delete, offsets, new library, image password and the batch hand-offs.
#include "main_window_fixture.h"

#include "library/dib.h"
#include "library/errors.h"
#include "library/picturefile.h"
#include "library/pngobject.h"
#include "ui/batch/convertdialog.h"
#include "ui/main/xyeditor.h"

#include <QFile>
#include <QFileInfo>

namespace velka::test {
namespace {

using ui::TXYEditorValues;

const QString ImportOk = QStringLiteral("图片导入成功 ！！！");
const QString ImportFailed = QStringLiteral("图片导入失败 ！！！");

class CommandTest : public MainWindowTest {
protected:
    // Opens a library of Count numbered bitmaps (or the given images) named Name.
    void OpenLibrary(const QString& Name, const std::vector<TMainImage>& Images)
    {
        LibraryPath = Temp.File(Name);
        WriteLibrary(LibraryPath, Images);
        OpenThroughDialog(LibraryPath);
        ASSERT_TRUE(Library());
        Log.Messages.clear();
        FileDialogs.clear();
    }

    // The image input dialog answers with these values and records what it was given.
    void AnswerImageInput(int X, int Y, int Mode, bool Accept = true)
    {
        Window->Runners.ImageInput = [=, this](QWidget*, int& DX, int& DY, int& DMode) {
            InputGiven = {DX, DY};
            if (!Accept) return false;
            DX = X;
            DY = Y;
            DMode = Mode;
            return true;
        };
    }

    QString WritePicture(const QString& Name, int W, int H, bool Png, QRgb Color = qRgb(1, 2, 3))
    {
        const QString Path = Temp.File(Name);
        std::unique_ptr<TGraphic> Picture = MakeGraphic({W, H, 0, 0, Png, Color, 24});
        if (Png)
            static_cast<TPNGObject*>(Picture.get())->SaveToFile(Path);
        else
            static_cast<TDIB*>(Picture.get())->SaveToFile(Path);
        return Path;
    }

    void AnswerOffsets(int Mode, const QString& X, const QString& Y, int Start = 0, int End = 0)
    {
        Window->Runners.XYEditor = [=, this](QWidget*, TXYEditorValues& Values) {
            OffsetsGiven = Values;
            Values.Mode = Mode;
            Values.EditX = X;
            Values.EditY = Y;
            Values.Start = Start;
            Values.End = End;
            return true;
        };
    }

    QString LibraryPath;
    QPoint InputGiven{-99, -99};
    TXYEditorValues OffsetsGiven;
};

TEST_F(CommandTest, ImportAppendsABitmapAndSaves)
{
    OpenLibrary(QStringLiteral("lib.wzl"), NumberedImages(10));
    FileAnswers = {WritePicture(QStringLiteral("new.bmp"), 33, 21, false)};
    AnswerImageInput(5, -7, 2);
    Window->BtnImport->trigger();

    EXPECT_EQ(InputGiven, QPoint(0, 0));
    EXPECT_EQ(Log.Messages, QStringList{ImportOk});
    ASSERT_EQ(FileDialogs.size(), 1u);
    EXPECT_EQ(FileDialogs[0].Name, QStringLiteral("OPD1"));
    EXPECT_EQ(FileDialogs[0].Filter, QStringLiteral("Bitmaps (*.bmp)|*.bmp|Png(*.png)|*.png|Jpg(jpg)|*.jpg"));
    EXPECT_EQ(Library()->ImageCount, 11);
    EXPECT_EQ(Window->DrawGrid->RowCount(), 2);
    EXPECT_FALSE(Window->Busy);
    EXPECT_EQ(InfoOf(*OpenLibraryFile(LibraryPath), 10), (TInfo{33, 21, 5, -7}));
}

TEST_F(CommandTest, ImportReplacesOrInsertsAtTheCurrentCell)
{
    struct TCase {
        int Mode;
        int Count;
        TInfo AtThree;
        TInfo AtFour;
    };
    const TCase Cases[] = {
        {0, 6, {40, 30, 1, 2}, {14, 5, 4, -4}},  // replaced
        {1, 7, {40, 30, 1, 2}, {13, 4, 3, -3}},  // inserted: the old image 3 moved up
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Mode);
        OpenLibrary(QStringLiteral("lib%1.data").arg(Case.Mode), NumberedImages(6));
        SelectImage(3);
        FileAnswers = {WritePicture(QStringLiteral("p.png"), 40, 30, true)};
        AnswerImageInput(1, 2, Case.Mode);
        Window->BtnImport->trigger();
        EXPECT_EQ(Log.Messages, QStringList{ImportOk});
        std::unique_ptr<TWMImages> Stored = OpenLibraryFile(LibraryPath);
        EXPECT_EQ(Stored->ImageCount, Case.Count);
        EXPECT_EQ(InfoOf(*Stored, 3), Case.AtThree);
        EXPECT_EQ(InfoOf(*Stored, 4), Case.AtFour);
        EXPECT_EQ(Stored->GetImageKind(3), KindPNG);
        EXPECT_EQ(Library()->ImageCount, Case.Count);
    }
}

TEST_F(CommandTest, ImportIntoAnEmptyLibraryBecomesImageZero)
{
    OpenLibrary(QStringLiteral("empty.wzl"), {});
    FileAnswers = {WritePicture(QStringLiteral("a.bmp"), 8, 8, false)};
    AnswerImageInput(0, 0, 2);
    Window->BtnImport->trigger();
    EXPECT_EQ(Log.Messages, QStringList{ImportOk});
    EXPECT_EQ(Library()->ImageCount, 1);
    EXPECT_EQ(InfoOf(*Library(), 0), (TInfo{8, 8, 0, 0}));
}

TEST_F(CommandTest, ImportsThatCannotHappenSayWhyAndChangeNothing)
{
    OpenLibrary(QStringLiteral("lib.wzl"), NumberedImages(4));
    const QString Jpeg = Temp.Write("photo.jpg", {0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F', 0});
    const QString Bmp = WritePicture(QStringLiteral("a.bmp"), 8, 8, false);
    struct TCase {
        const char* What;
        QString Picture;
        int Mode;
        int Cell;
    };
    const TCase Cases[] = {
        {"not a BMP or PNG picture", Jpeg, 2, 0},
        {"replace past the last image", Bmp, 0, 7},
        {"insert past the last image", Bmp, 1, 7},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.What);
        Log.Messages.clear();
        SelectImage(Case.Cell);
        FileAnswers = {Case.Picture};
        AnswerImageInput(0, 0, Case.Mode);
        Window->BtnImport->trigger();
        ASSERT_EQ(Log.Messages.size(), 1);
        EXPECT_TRUE(Log.Messages[0].startsWith(ImportFailed + QLatin1Char('\n'))) << Log.Messages[0].toStdString();
        EXPECT_EQ(Library()->ImageCount, 4);
        EXPECT_FALSE(Window->Busy);
    }
    EXPECT_EQ(OpenLibraryFile(LibraryPath)->ImageCount, 4);
}

TEST_F(CommandTest, PngIntoAWzlLibraryIsRefusedBeforeAnythingIsWritten)
{
    OpenLibrary(QStringLiteral("lib.wzl"), NumberedImages(4));
    const std::vector<uint8_t> Before = ReadFileBytes(LibraryPath);
    for (int Mode : {0, 1, 2}) {
        SCOPED_TRACE(Mode);
        Log.Messages.clear();
        SelectImage(1);
        FileAnswers = {WritePicture(QStringLiteral("p.png"), 9, 9, true)};
        AnswerImageInput(0, 0, Mode);
        Window->BtnImport->trigger();
        EXPECT_EQ(Log.Messages, QStringList{ImportFailed + QStringLiteral("\nWZL 文件不能保存 PNG 图片")});
        EXPECT_EQ(Library()->ImageCount, 4);
    }
    EXPECT_EQ(ReadFileBytes(LibraryPath), Before);
    EXPECT_EQ(OpenLibraryFile(LibraryPath)->ImageCount, 4);
}

TEST_F(CommandTest, CancelledImportChangesNothingAndSaysNothing)
{
    OpenLibrary(QStringLiteral("lib.wzl"), NumberedImages(4));
    FileAnswers = {};
    Window->BtnImport->trigger();  // picture dialog cancelled
    FileAnswers = {WritePicture(QStringLiteral("a.bmp"), 8, 8, false)};
    AnswerImageInput(0, 0, 2, false);
    Window->BtnImport->trigger();  // input dialog cancelled
    EXPECT_TRUE(Log.Messages.isEmpty());
    EXPECT_EQ(Library()->ImageCount, 4);
    EXPECT_FALSE(Window->Busy);
}

TEST_F(CommandTest, ExportWritesTheImageUnderItsNumberInTheChosenFolder)
{
    std::vector<TMainImage> Images = NumberedImages(14);
    Images[12] = {21, 13, 0, 0, true, qRgba(9, 200, 9, 128)};
    Images[3].Bits = 24;
    OpenLibrary(QStringLiteral("lib.data"), Images);
    QDir(Temp.Path()).mkdir(QStringLiteral("out"));

    struct TCase {
        int Index;
        const char* Filter;
        const char* Title;
        const char* Written;
        QSize Size;
    };
    const TCase Cases[] = {
        {3, "BMP 文件|*.BMP|", "保存为BMP 图片文件", "out/00003.BMP", {13, 4}},
        {12, "PNG 文件|*.PNG", "保存为PNG 图片文件", "out/00012.PNG", {21, 13}},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Index);
        Log.Messages.clear();
        FileDialogs.clear();
        SelectImage(Case.Index);
        FileAnswers = {Temp.File("out/abc.png")};
        Window->BtnExport->trigger();
        EXPECT_EQ(Log.Messages, QStringList{QStringLiteral("图片导出成功 ！！！")});
        ASSERT_EQ(FileDialogs.size(), 1u);
        EXPECT_EQ(FileDialogs[0].Name, QStringLiteral("SaveDialog1"));
        EXPECT_EQ(FileDialogs[0].Filter, QString::fromUtf8(Case.Filter));
        EXPECT_EQ(FileDialogs[0].Title, QString::fromUtf8(Case.Title));
        EXPECT_EQ(FileDialogs[0].DefaultExt, QStringLiteral("BMP"));
        const QString Written = Temp.File(QString::fromUtf8(Case.Written));
        EXPECT_EQ(Window->SaveDialog1.FileName, Written);  // the next export starts from it
        uint8_t Kind = 0;
        std::unique_ptr<TGraphic> Picture = LoadPictureFile(Written, Kind);
        ASSERT_TRUE(Picture);
        EXPECT_EQ(QSize(Picture->Width(), Picture->Height()), Case.Size);
        EXPECT_FALSE(QFile::exists(Temp.File("out/abc.png")));
    }
    // A bitmap keeps its own depth.
    uint8_t Kind = 0;
    auto Bitmap = LoadPictureFile(Temp.File("out/00003.BMP"), Kind);
    ASSERT_TRUE(dynamic_cast<TDIB*>(Bitmap.get()));
    EXPECT_EQ(static_cast<TDIB*>(Bitmap.get())->BitCount(), 24);
}

TEST_F(CommandTest, ExportOfAnEmptyImageOrIntoAMissingFolderFails)
{
    std::vector<TMainImage> Images = NumberedImages(3);
    Images[1] = {};
    OpenLibrary(QStringLiteral("lib.wzl"), Images);
    for (const auto& [Index, Target] : {std::pair{1, Temp.File("x.bmp")}, std::pair{0, Temp.File("nowhere/x.bmp")}}) {
        SCOPED_TRACE(Index);
        Log.Messages.clear();
        SelectImage(Index);
        FileAnswers = {Target};
        Window->BtnExport->trigger();
        ASSERT_EQ(Log.Messages.size(), 1);
        EXPECT_TRUE(Log.Messages[0].startsWith(QStringLiteral("图片导出失败 ！！！\n"))) << Log.Messages[0].toStdString();
        EXPECT_FALSE(Window->Busy);
    }
    EXPECT_FALSE(QFile::exists(Temp.File("00001.BMP")));
}

TEST_F(CommandTest, DeleteHandsTheSelectedNumberToItsDialogAndRecountsAfter)
{
    OpenLibrary(QStringLiteral("lib.wzl"), NumberedImages(21));
    SelectImage(15);
    Window->Runners.DeleteImages = [](QWidget*, TWMImages* Given, int First, int Last) {
        EXPECT_EQ(First, 15);
        EXPECT_EQ(Last, 15);
        Given->BeforeSave();
        EXPECT_TRUE(Given->DeleteImages(First, Last + 1));
        Given->Save();
    };
    Window->BtnDelete->trigger();
    EXPECT_EQ(Library()->ImageCount, 19);
    EXPECT_EQ(Window->DrawGrid->RowCount(), 2);
}

TEST_F(CommandTest, OffsetsOfOneImage)
{
    OpenLibrary(QStringLiteral("lib.wzl"), NumberedImages(12));
    SelectImage(3);
    AnswerOffsets(ui::TuFrmXYEditor::Single, QStringLiteral("7"), QStringLiteral("-8"));
    Window->BtnOffset->trigger();
    EXPECT_EQ(OffsetsGiven.MaxIndex, 11);
    EXPECT_EQ(OffsetsGiven.EditX, QStringLiteral("3"));
    EXPECT_EQ(OffsetsGiven.EditY, QStringLiteral("-3"));
    EXPECT_EQ(Log.Messages, QStringList{QStringLiteral("图片坐标修改成功 ！！！")});
    EXPECT_EQ(InfoOf(*OpenLibraryFile(LibraryPath), 3), (TInfo{13, 4, 7, -8}));
    EXPECT_FALSE(Window->Busy);
}

TEST_F(CommandTest, OffsetsOfARangeSetOrShifted)
{
    struct TCase {
        const char* What;
        int Mode;
        const char* X;
        const char* Y;
        int Start, End;
        std::vector<QPoint> Expected;  // offsets of images 0 to 5 afterwards
    };
    const std::vector<QPoint> Original{{0, 0}, {1, -1}, {2, -2}, {3, -3}, {4, -4}, {5, -5}};
    const TCase Cases[] = {
        {"set 2..4", 1, "10", "$14", 2, 4, {{0, 0}, {1, -1}, {10, 20}, {10, 20}, {10, 20}, {5, -5}}},
        {"set 5..3 changes nothing", 1, "10", "20", 5, 3, Original},
        {"shift 0..5 by -4, 0", 2, "-4", "0", 0, 5, {{-4, 0}, {-3, -1}, {-2, -2}, {-1, -3}, {0, -4}, {1, -5}}},
        {"shift by text that is no number", 2, "x", "1", 1, 2, {{0, 0}, {1, 0}, {2, -1}, {3, -3}, {4, -4}, {5, -5}}},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.What);
        OpenLibrary(QStringLiteral("lib.wzl"), NumberedImages(6));
        AnswerOffsets(Case.Mode, QString::fromUtf8(Case.X), QString::fromUtf8(Case.Y), Case.Start, Case.End);
        Window->BtnOffset->trigger();
        EXPECT_EQ(Log.Messages, QStringList{QStringLiteral("图片坐标批量修改成功 ！！！")});
        std::unique_ptr<TWMImages> Stored = OpenLibraryFile(LibraryPath);
        for (int I = 0; I < 6; ++I) {
            const TInfo Info = InfoOf(*Stored, I);
            EXPECT_EQ(QPoint(Info.X, Info.Y), Case.Expected[I]) << "image " << I;
        }
    }
}

TEST_F(CommandTest, OffsetsThatAreNotNumbersChangeNothingAndSaySo)
{
    OpenLibrary(QStringLiteral("lib.wzl"), NumberedImages(6));
    for (int Mode : {0, 1}) {
        SCOPED_TRACE(Mode);
        Log.Messages.clear();
        AnswerOffsets(Mode, QStringLiteral("12 "), QStringLiteral("3"), 0, 5);
        Window->BtnOffset->trigger();
        ASSERT_EQ(Log.Messages.size(), 1);
        EXPECT_TRUE(Log.Messages[0].contains(QStringLiteral("12 "))) << Log.Messages[0].toStdString();
        EXPECT_FALSE(Window->Busy);
    }
    std::unique_ptr<TWMImages> Stored = OpenLibraryFile(LibraryPath);
    for (int I = 0; I < 6; ++I) EXPECT_EQ(InfoOf(*Stored, I).X, I);
}

TEST_F(CommandTest, OffsetEditorLeavesEmptyImagesAlone)
{
    std::vector<TMainImage> Images = NumberedImages(5);
    Images[2] = {};
    OpenLibrary(QStringLiteral("holes.data"), Images);
    const std::vector<uint8_t> Before = ReadFileBytes(LibraryPath);
    for (int Mode : {1, 2}) {
        AnswerOffsets(Mode, QStringLiteral("9"), QStringLiteral("9"), 0, 4);
        Window->BtnOffset->trigger();
    }
    std::unique_ptr<TWMImages> Stored = OpenLibraryFile(LibraryPath);
    EXPECT_EQ(Stored->ImageCount, 5);
    EXPECT_EQ(Stored->PositionOf(2), 0);
    EXPECT_EQ(InfoOf(*Stored, 2), (TInfo{0, 0, 0, 0}));
    EXPECT_EQ(InfoOf(*Stored, 3), (TInfo{13, 4, 18, 18}));
    EXPECT_EQ(Before.size(), ReadFileBytes(LibraryPath).size());

    Log.Messages.clear();
    SelectImage(2);
    AnswerOffsets(0, QStringLiteral("1"), QStringLiteral("1"));
    Window->BtnOffset->trigger();
    ASSERT_EQ(Log.Messages.size(), 1);
    EXPECT_NE(Log.Messages[0], QStringLiteral("图片坐标修改成功 ！！！"));
    EXPECT_EQ(OpenLibraryFile(LibraryPath)->PositionOf(2), 0);
}

TEST_F(CommandTest, EditingCommandsDoNothingOnReadOnlyLibraries)
{
    WriteWilLibrary(Temp.File("old.wil"), 5);
    WriteLibrary(Temp.File("locked.data"), NumberedImages(5), QStringLiteral("right"));
    PasswordAnswer = QStringLiteral("wrong");
    for (const char* Name : {"old.wil", "locked.data"}) {
        SCOPED_TRACE(Name);
        const QString Path = Temp.File(QString::fromUtf8(Name));
        OpenThroughDialog(Path);
        ASSERT_TRUE(Library());
        FileDialogs.clear();
        Prompts.clear();
        const std::vector<uint8_t> Before = ReadFileBytes(Path);
        // The disabled buttons cannot run; calling the handlers directly is refused too.
        Window->BtnImport->trigger();
        Window->BtnImportClick();
        Window->BtnDeleteClick();
        Window->BtnOffsetClick();
        Window->BtnImportMoreClick();
        Window->BtnEncResClick();
        EXPECT_TRUE(Log.Messages.isEmpty());
        EXPECT_TRUE(FileDialogs.empty());
        EXPECT_TRUE(Prompts.isEmpty());
        EXPECT_EQ(ReadFileBytes(Path), Before);
    }
}

TEST_F(CommandTest, NewLibraryOfEachTypeBecomesTheOpenLibrary)
{
    OpenLibrary(QStringLiteral("before.wzl"), NumberedImages(3));
    const QString CaptionBefore = Window->windowTitle();
    struct TCase {
        int Kind;
        const char* Name;
        const char* Filter;
        const char* Ext;
        std::vector<bool> Buttons;
        const char* Index;
    };
    const TCase Cases[] = {
        {1, "fresh.wzl", "Velka图片资源文件|*.Wzl", "Wzl", EditableButtons, "fresh.wzx"},
        {0, "fresh.data", "Velka图片资源文件|*.Data", "Data", EditableDataButtons, nullptr},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        FileDialogs.clear();
        Window->Runners.CreateData = [&](QWidget*, int& Kind) {
            Kind = Case.Kind;
            return true;
        };
        FileAnswers = {Temp.File(QString::fromUtf8(Case.Name))};
        Window->BtnNew->trigger();
        ASSERT_TRUE(Library());
        EXPECT_EQ(Library()->ImageCount, 0);
        EXPECT_EQ(Library()->FileName, Temp.File(QString::fromUtf8(Case.Name)));
        EXPECT_EQ(Window->DrawGrid->RowCount(), 1);
        EXPECT_EQ(LibraryButtons(), Case.Buttons);
        EXPECT_EQ(Window->windowTitle(), CaptionBefore);
        ASSERT_EQ(FileDialogs.size(), 1u);
        EXPECT_EQ(FileDialogs[0].Name, QStringLiteral("SaveDialog2"));
        EXPECT_EQ(FileDialogs[0].Title, QStringLiteral("创建Data文件"));
        EXPECT_EQ(FileDialogs[0].Filter, QString::fromUtf8(Case.Filter));
        EXPECT_EQ(FileDialogs[0].DefaultExt, QString::fromUtf8(Case.Ext));
        if (Case.Index) {
            EXPECT_TRUE(QFile::exists(Temp.File(QString::fromUtf8(Case.Index))));
        }
    }
    EXPECT_TRUE(Log.Messages.isEmpty());
}

TEST_F(CommandTest, CancelledNewLibraryKeepsTheOpenOne)
{
    OpenLibrary(QStringLiteral("keep.wzl"), NumberedImages(3));
    TWMImages* Before = Library();
    Window->Runners.CreateData = [](QWidget*, int& Kind) {
        Kind = 1;
        return false;
    };
    Window->BtnNew->trigger();
    Window->Runners.CreateData = [](QWidget*, int& Kind) {
        Kind = 1;
        return true;
    };
    FileAnswers = {};
    Window->BtnNew->trigger();
    EXPECT_EQ(Library(), Before);
    EXPECT_EQ(Library()->ImageCount, 3);
}

TEST_F(CommandTest, NewLibraryOfAnUnknownTypeLeavesNoLibrary)
{
    OpenLibrary(QStringLiteral("keep.wzl"), NumberedImages(3));
    Window->Runners.CreateData = [](QWidget*, int& Kind) {
        Kind = 0;
        return true;
    };
    FileAnswers = {Temp.File("notes.txt")};
    Window->BtnNew->trigger();
    EXPECT_FALSE(Library());
    EXPECT_EQ(LibraryButtons(), NoLibraryButtons);
    EXPECT_FALSE(QFile::exists(Temp.File("notes.txt")));
    EXPECT_EQ(Log.Messages.size(), 1);
}

TEST_F(CommandTest, ImagePasswordIsAskedForAtTheNextOpening)
{
    OpenLibrary(QStringLiteral("lock.data"), NumberedImages(4));
    PasswordAnswer = QStringLiteral("pw");
    Window->BtnEncRes->trigger();
    EXPECT_EQ(Prompts, QStringList{QStringLiteral("请输入新密码：")});
    EXPECT_TRUE(Log.Messages.isEmpty());

    Prompts.clear();
    OpenThroughDialog(LibraryPath);
    EXPECT_EQ(Prompts, QStringList{QStringLiteral("当前文件已加密，请输入密码：")});
    EXPECT_EQ(Library()->ImageCount, 4);

    // A cancelled password dialog sets nothing.
    PasswordAnswer = QStringLiteral("other");
    PasswordAccepted = false;
    Window->BtnEncRes->trigger();
    PasswordAccepted = true;
    PasswordAnswer = QStringLiteral("pw");
    OpenThroughDialog(LibraryPath);
    EXPECT_EQ(Library()->ImageCount, 4);
}

TEST_F(CommandTest, BatchImportRunsBusyOnTheLibraryAndRecountsAfter)
{
    OpenLibrary(QStringLiteral("lib.wzl"), NumberedImages(8));
    Window->show();
    SelectImage(5);
    bool Ran = false;
    Window->Runners.BatchImport = [&](TWMImages* Given, int Start, QWidget* Parent) {
        Ran = true;
        EXPECT_EQ(Given, Library());
        EXPECT_EQ(Start, 5);
        EXPECT_EQ(Parent, Window.get());
        EXPECT_TRUE(Window->Busy);
        EXPECT_FALSE(Window->close());  // refused while the batch runs
        Window->BtnImportMoreClick();   // no second run
        Given->BeforeSave();
        for (int I = 0; I < 5; ++I) {
            std::unique_ptr<TGraphic> Picture = MakeGraphic({5, 5});
            EXPECT_TRUE(Given->AddImage(Picture.get(), 0, 0, 0));
        }
        Given->Save();
    };
    Window->BtnImportMore->trigger();
    EXPECT_TRUE(Ran);
    EXPECT_FALSE(Window->Busy);
    EXPECT_TRUE(Window->isVisible());
    EXPECT_EQ(Window->DrawGrid->RowCount(), 2);
}

TEST_F(CommandTest, BatchExportGetsTheWholeRangeAndConverterItsDialog)
{
    OpenLibrary(QStringLiteral("lib.wzl"), NumberedImages(8));
    int Calls = 0;
    Window->Runners.BatchExport = [&](TWMImages* Given, int First, int Last, QWidget*) {
        ++Calls;
        EXPECT_EQ(Given, Library());
        EXPECT_EQ(First, 0);
        EXPECT_EQ(Last, 7);
        EXPECT_TRUE(Window->Busy);
    };
    Window->BtnExportMore->trigger();
    Window->Runners.Convert = [&](ui::TfrmConvertDlg& Dialog) {
        ++Calls;
        EXPECT_EQ(&Dialog, Window->frmConvertDlg);
    };
    Window->BtnSave->trigger();
    EXPECT_EQ(Calls, 2);
    EXPECT_FALSE(Window->Busy);
}

TEST_F(CommandTest, AFailureInsideABatchRunIsShownAndClearsBusy)
{
    OpenLibrary(QStringLiteral("lib.wzl"), NumberedImages(2));
    Window->Runners.BatchExport = [](TWMImages*, int, int, QWidget*) { throw EVelkaError("disk full"); };
    Window->BtnExportMore->trigger();
    EXPECT_EQ(Log.Messages, QStringList{QStringLiteral("disk full")});
    EXPECT_FALSE(Window->Busy);
}

}  // namespace
}  // namespace velka::test
