// The editor's small modal dialogs driven through their widgets: captions, items, defaults,
// what their runners copy back, and the deletion the delete dialog runs itself.
#include "main_fixtures.h"

#include "ui/main/createdatadialog.h"
#include "ui/main/deleteimagesdialog.h"
#include "ui/main/filedialogs.h"
#include "ui/main/imageinputdialog.h"
#include "ui/main/passworddialog.h"
#include "ui/main/radiogroup.h"
#include "ui/main/xyeditor.h"

#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

namespace velka::test {
namespace {

using namespace velka::ui;

QStringList Items(const TRadioGroup& Group)
{
    QStringList Texts;
    for (int I = 0; I < Group.Count(); ++I) Texts << Group.Button(I)->text();
    return Texts;
}

// Types Text into Target one key press at a time, as a keyboard (or an input method) would;
// unlike QTest::keyClicks it takes any character.
void Type(QWidget* Target, const QString& Text)
{
    for (const QChar Character : Text) {
        QKeyEvent Press(QEvent::KeyPress, 0, Qt::NoModifier, QString(Character));
        QApplication::sendEvent(Target, &Press);
        QKeyEvent Release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(Character));
        QApplication::sendEvent(Target, &Release);
    }
}

// Clicks a radio button on its indicator (the middle of a wide button is outside its label).
void ClickRadio(QRadioButton* Radio) { QTest::mouseClick(Radio, Qt::LeftButton, {}, QPoint(6, Radio->height() / 2)); }

class DialogTest : public TempDirTest {
protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        TestApplication();
    }

    TMessageLog Log;
};

TEST_F(DialogTest, ImageInputShowsItsFieldsAndCopiesTheChoiceBack)
{
    int X = 4, Y = -6, Mode = 9;
    const bool Accepted = WithModal<TuFrmImgInput>(
        [](TuFrmImgInput& Dialog) {
            EXPECT_EQ(Dialog.windowTitle(), QStringLiteral("图片导入"));
            EXPECT_EQ(Dialog.EditX->text(), QStringLiteral("4"));
            EXPECT_EQ(Dialog.EditY->text(), QStringLiteral("-6"));
            EXPECT_TRUE(Dialog.EditX->alignment() & Qt::AlignRight);
            EXPECT_EQ(Dialog.cxRadioGroup1->title(), QStringLiteral("导入方式"));
            EXPECT_EQ(Items(*Dialog.cxRadioGroup1), (QStringList{"覆盖图片", "插入图片", "添加到末尾"}));
            EXPECT_EQ(Dialog.cxRadioGroup1->ItemIndex(), 2);
            SaveScreenshot(Dialog, QStringLiteral("dialog_image_input"));
            Dialog.EditX->setText(QStringLiteral("-12"));
            Dialog.EditY->setText(QStringLiteral("abc"));  // not an integer: 0
            ClickRadio(Dialog.cxRadioGroup1->Button(1));
            QTest::keyClick(Dialog.EditX, Qt::Key_Return);  // 确定 is the default button
        },
        [&] { return ImageInputDialog(nullptr, X, Y, Mode); });
    EXPECT_TRUE(Accepted);
    EXPECT_EQ(X, -12);
    EXPECT_EQ(Y, 0);
    EXPECT_EQ(Mode, 1);
}

TEST_F(DialogTest, ImageInputCancelledLeavesTheValues)
{
    int X = 4, Y = 5, Mode = 2;
    const bool Accepted = WithModal<TuFrmImgInput>(
        [](TuFrmImgInput& Dialog) {
            Dialog.EditX->setText(QStringLiteral("77"));
            QTest::keyClick(&Dialog, Qt::Key_Escape);
        },
        [&] { return ImageInputDialog(nullptr, X, Y, Mode); });
    EXPECT_FALSE(Accepted);
    EXPECT_EQ(QPoint(X, Y), QPoint(4, 5));
    EXPECT_EQ(Mode, 2);
}

// Runs the delete dialog on Library with the range typed as First..Last in Mode.
void RunDelete(TWMImages& Library, const QString& First, const QString& Last, int Mode, bool Screenshot = false)
{
    WithModal<TuFrmDelImages>(
        [&](TuFrmDelImages& Dialog) {
            EXPECT_EQ(Dialog.windowTitle(), QStringLiteral("删除图片"));
            EXPECT_EQ(Dialog.RadioGroup->title(), QStringLiteral("删除方式"));
            EXPECT_EQ(Items(*Dialog.RadioGroup), (QStringList{"彻地删除", "空图片替换"}));
            EXPECT_EQ(Dialog.RadioGroup->ItemIndex(), 0);
            EXPECT_EQ(Dialog.EditX->text(), QStringLiteral("3"));  // the runner's range
            EXPECT_EQ(Dialog.EditY->text(), QStringLiteral("3"));
            if (Screenshot) SaveScreenshot(Dialog, QStringLiteral("dialog_delete_images"));
            Dialog.EditX->setText(First);
            Dialog.EditY->setText(Last);
            Dialog.RadioGroup->SetItemIndex(Mode);
            QTest::mouseClick(Dialog.BitBtnOK, Qt::LeftButton);
        },
        [&] {
            DeleteImagesDialog(nullptr, &Library, 3, 3);
            return 0;
        });
}

TEST_F(DialogTest, DeleteClampsTheRangeBeforeDeleting)
{
    struct TCase {
        const char* First;
        const char* Last;
        std::vector<int> Left;  // the original numbers (widths - 10) that remain
    };
    const TCase Cases[] = {
        {"12", "15", {0, 1, 2, 3, 4, 5, 6, 7, 8}},
        {"-5", "3", {4, 5, 6, 7, 8, 9}},
        {"7", "2", {0, 1, 3, 4, 5, 6, 7, 8, 9}},
        {"x", "$2", {3, 4, 5, 6, 7, 8, 9}},
    };
    int Run = 0;
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(testing::Message() << Case.First << ".." << Case.Last);
        Log.Messages.clear();
        const QString Path = Temp.File(QStringLiteral("d%1.wzl").arg(Run++));
        WriteLibrary(Path, NumberedImages(10));
        std::unique_ptr<TWMImages> Library = OpenLibraryFile(Path);
        RunDelete(*Library, QString::fromUtf8(Case.First), QString::fromUtf8(Case.Last), TuFrmDelImages::Delete,
                  Run == 1);
        EXPECT_EQ(Log.Messages, QStringList{QStringLiteral("图片删除成功 ！！！")});
        ASSERT_EQ(Library->ImageCount, int(Case.Left.size()));
        std::unique_ptr<TWMImages> Stored = OpenLibraryFile(Path);
        for (size_t I = 0; I < Case.Left.size(); ++I) EXPECT_EQ(InfoOf(*Stored, int(I)).W, 10 + Case.Left[I]);
    }
}

TEST_F(DialogTest, BlankKeepsTheNumbering)
{
    const QString Path = Temp.File("b.data");
    WriteLibrary(Path, NumberedImages(10));
    std::unique_ptr<TWMImages> Library = OpenLibraryFile(Path);
    RunDelete(*Library, QStringLiteral("3"), QStringLiteral("5"), TuFrmDelImages::Blank);
    EXPECT_EQ(Log.Messages, QStringList{QStringLiteral("图片删除成功 ！！！")});
    std::unique_ptr<TWMImages> Stored = OpenLibraryFile(Path);
    EXPECT_EQ(Stored->ImageCount, 10);
    for (int I : {3, 4, 5}) EXPECT_EQ(Stored->PositionOf(I), 0) << I;
    EXPECT_EQ(InfoOf(*Stored, 6).W, 16);
}

TEST_F(DialogTest, DeleteOnAnEmptyLibraryClosesWithoutDoingAnything)
{
    const QString Path = Temp.File("e.wzl");
    WriteLibrary(Path, {});
    std::unique_ptr<TWMImages> Library = OpenLibraryFile(Path);
    RunDelete(*Library, QStringLiteral("0"), QStringLiteral("4"), TuFrmDelImages::Delete);
    EXPECT_TRUE(Log.Messages.isEmpty());
    EXPECT_EQ(Library->ImageCount, 0);
}

TEST_F(DialogTest, DeleteRefusedByTheLibraryReportsFailureAndStaysOpenOnErrors)
{
    WriteWilLibrary(Temp.File("r.wil"), 6);
    std::unique_ptr<TWMImages> Wil = OpenLibraryFile(Temp.File("r.wil"));
    RunDelete(*Wil, QStringLiteral("0"), QStringLiteral("1"), TuFrmDelImages::Delete);
    EXPECT_EQ(Log.Messages, QStringList{QStringLiteral("图片删除失败 ！！！")});
}

TEST_F(DialogTest, DeleteThatFailsToSaveSaysWhyAndStaysOpen)
{
    QDir(Temp.Path()).mkdir(QStringLiteral("gone"));
    const QString Path = Temp.File("gone/lib.wzl");
    WriteLibrary(Path, NumberedImages(6));
    std::unique_ptr<TWMImages> Library = OpenLibraryFile(Path);
    ASSERT_TRUE(QDir(Temp.File("gone")).removeRecursively());  // the open library can no longer be saved
    WithModal<TuFrmDelImages>(
        [&](TuFrmDelImages& Dialog) {
            Dialog.EditX->setText(QStringLiteral("1"));
            Dialog.EditY->setText(QStringLiteral("2"));
            QTest::mouseClick(Dialog.BitBtnOK, Qt::LeftButton);
            ASSERT_EQ(Log.Messages.size(), 1);
            EXPECT_TRUE(Log.Messages[0].startsWith(QStringLiteral("图片删除失败 ！！！\n"))) << Log.Messages[0].toStdString();
            EXPECT_TRUE(Dialog.isVisible());
            EXPECT_FALSE(Dialog.Busy);
            EXPECT_TRUE(Dialog.BitBtnOK->isEnabled());
            EXPECT_TRUE(Dialog.BitBtnClose->isEnabled());
            QTest::mouseClick(Dialog.BitBtnClose, Qt::LeftButton);
        },
        [&] {
            DeleteImagesDialog(nullptr, Library.get(), 0, 0);
            return 0;
        });
}

TEST_F(DialogTest, DeleteDialogCannotBeClosedWhileBusy)
{
    TuFrmDelImages Dialog;
    Dialog.show();
    Dialog.Busy = true;
    EXPECT_FALSE(Dialog.close());
    Dialog.reject();
    EXPECT_TRUE(Dialog.isVisible());
    Dialog.Busy = false;
    QTest::mouseClick(Dialog.BitBtnClose, Qt::LeftButton);
    EXPECT_FALSE(Dialog.isVisible());
}

TEST_F(DialogTest, OffsetEditorOpensInSingleModeWithTheRangeDisabled)
{
    TXYEditorValues Values;
    Values.MaxIndex = 41;
    Values.EditX = QStringLiteral("-3");
    Values.EditY = QStringLiteral("8");
    const bool Accepted = WithModal<TuFrmXYEditor>(
        [](TuFrmXYEditor& Dialog) {
            EXPECT_EQ(Dialog.windowTitle(), QStringLiteral("偏移坐标"));
            EXPECT_EQ(Dialog.rg_XYEditor->title(), QStringLiteral("坐标编辑模式"));
            EXPECT_EQ(Items(*Dialog.rg_XYEditor), (QStringList{"单张编辑", "批量设置", "批量增加偏移"}));
            EXPECT_EQ(Dialog.rg_XYEditor->ItemIndex(), 0);
            EXPECT_EQ(Dialog.grp_ImageNumber->title(), QStringLiteral("图片序号"));
            EXPECT_EQ(Dialog.lbl1->text(), QStringLiteral("起始序号:"));
            EXPECT_EQ(Dialog.lbl2->text(), QStringLiteral("结束序号:"));
            EXPECT_EQ(Dialog.lbl3->text(), QStringLiteral("PS:对于批量减少偏移，\n使用批量增加偏移 X Y 为负数即可。"));
            EXPECT_EQ(Dialog.EditX->text(), QStringLiteral("-3"));
            for (QWidget* W : {static_cast<QWidget*>(Dialog.se_Start), static_cast<QWidget*>(Dialog.se_End),
                               static_cast<QWidget*>(Dialog.lbl1), static_cast<QWidget*>(Dialog.lbl2)})
                EXPECT_FALSE(W->isEnabled());
            EXPECT_EQ(Dialog.se_Start->minimum(), 0);
            EXPECT_EQ(Dialog.se_End->maximum(), 41);
            SaveScreenshot(Dialog, QStringLiteral("dialog_offsets_single"));

            ClickRadio(Dialog.rg_XYEditor->Button(2));
            EXPECT_TRUE(Dialog.se_Start->isEnabled());
            EXPECT_TRUE(Dialog.lbl2->isEnabled());
            Dialog.se_Start->setValue(5);
            Dialog.se_End->setValue(99);  // kept within the maximum
            Dialog.EditX->setText(QStringLiteral("-4"));
            SaveScreenshot(Dialog, QStringLiteral("dialog_offsets_range"));
            QTest::keyClick(Dialog.EditY, Qt::Key_Return);
        },
        [&] { return XYEditorDialog(nullptr, Values); });
    EXPECT_TRUE(Accepted);
    EXPECT_EQ(Values.Mode, TuFrmXYEditor::AddToRange);
    EXPECT_EQ(Values.Start, 5);
    EXPECT_EQ(Values.End, 41);
    EXPECT_EQ(Values.EditX, QStringLiteral("-4"));
    EXPECT_EQ(Values.EditY, QStringLiteral("8"));
}

TEST_F(DialogTest, CreateDataOffersBothTypesAndReportsTheChoiceEitherWay)
{
    struct TCase {
        int Pick;
        bool Ok;
    };
    for (const TCase& Case : {TCase{1, true}, TCase{1, false}, TCase{0, true}}) {
        SCOPED_TRACE(testing::Message() << Case.Pick << Case.Ok);
        int Kind = -1;
        const bool Accepted = WithModal<TuFrmCreateData>(
            [&](TuFrmCreateData& Dialog) {
                EXPECT_EQ(Dialog.windowTitle(), QStringLiteral("新建"));
                EXPECT_EQ(Dialog.RadioGroup->title(), QStringLiteral("类型"));
                EXPECT_EQ(Items(*Dialog.RadioGroup), (QStringList{".Data(网络资源格式)", ".Wzl(新格式)"}));
                EXPECT_EQ(Dialog.RadioGroup->ItemIndex(), 0);
                if (Case.Pick == 1 && Case.Ok) SaveScreenshot(Dialog, QStringLiteral("dialog_create_data"));
                ClickRadio(Dialog.RadioGroup->Button(Case.Pick));
                if (Case.Ok)
                    QTest::keyClick(&Dialog, Qt::Key_Return);
                else
                    QTest::keyClick(&Dialog, Qt::Key_Escape);
            },
            [&] { return CreateDataDialog(nullptr, Kind); });
        EXPECT_EQ(Accepted, Case.Ok);
        EXPECT_EQ(Kind, Case.Pick);
    }
}

TEST(PasswordLimit, CountsGBKBytes)
{
    struct TCase {
        const char* Text;
        const char* Kept;
    };
    const TCase Cases[] = {
        {"0123456789abcdef", "0123456789abcdef"},
        {"0123456789abcdefg", "0123456789abcdef"},
        {"一二三四五六七八九", "一二三四五六七八"},  // two bytes each
        {"abc一二三四五六七八", "abc一二三四五六"},
        {"", ""},
    };
    for (const TCase& Case : Cases)
        EXPECT_EQ(TruncateToGBKBytes(QString::fromUtf8(Case.Text), 16), QString::fromUtf8(Case.Kept)) << Case.Text;
}

TEST_F(DialogTest, PasswordDialogMasksLimitsAndIgnoresEnter)
{
    QString Password = QStringLiteral("unchanged");
    const bool Accepted = WithModal<TDataEncForm>(
        [](TDataEncForm& Dialog) {
            EXPECT_EQ(Dialog.windowTitle(), QStringLiteral("素材加密"));
            EXPECT_EQ(Dialog.LabelCaption->text(), QStringLiteral("当前文件已加密，请输入密码："));
            EXPECT_EQ(Dialog.LabelCaption->width(), 185);
            EXPECT_EQ(Dialog.EditPwd->echoMode(), QLineEdit::Password);
            EXPECT_EQ(Dialog.focusWidget(), Dialog.EditPwd);
            EXPECT_EQ(Dialog.BtnOK->text(), QStringLiteral("确定"));
            EXPECT_EQ(Dialog.BtnCancel->text(), QStringLiteral("取消"));
            Type(Dialog.EditPwd, QStringLiteral("abcdefghijklmnopqrs"));
            EXPECT_EQ(Dialog.EditPwd->text(), QStringLiteral("abcdefghijklmnop"));
            Dialog.EditPwd->clear();
            Type(Dialog.EditPwd, QStringLiteral("密码一二三四五六七"));
            EXPECT_EQ(Dialog.EditPwd->text(), QStringLiteral("密码一二三四五六"));
            SaveScreenshot(Dialog, QStringLiteral("dialog_password"));
            QTest::keyClick(Dialog.EditPwd, Qt::Key_Return);
            EXPECT_TRUE(Dialog.isVisible());  // Enter does not confirm
            QTest::mouseClick(Dialog.BtnOK, Qt::LeftButton);
        },
        [&] { return PasswordDialog(nullptr, QStringLiteral("当前文件已加密，请输入密码："), Password); });
    EXPECT_TRUE(Accepted);
    EXPECT_EQ(Password, QStringLiteral("密码一二三四五六"));
}

// The library would store '?' for such a character: the password as typed could never open it.
TEST_F(DialogTest, PasswordDialogRefusesCharactersGBKCannotHold)
{
    QString Password;
    const bool Accepted = WithModal<TDataEncForm>(
        [](TDataEncForm& Dialog) {
            Type(Dialog.EditPwd, QStringLiteral("ab\u0e01c\U0001F600d\u00e9"));
            EXPECT_EQ(Dialog.EditPwd->text(), QStringLiteral("abcd\u00e9"));  // é is a GBK character
            QTest::mouseClick(Dialog.BtnOK, Qt::LeftButton);
        },
        [&] { return PasswordDialog(nullptr, QStringLiteral("请输入新密码："), Password); });
    EXPECT_TRUE(Accepted);
    EXPECT_EQ(Password, QStringLiteral("abcd\u00e9"));
}

TEST_F(DialogTest, PasswordDialogEscapeCancelsButStillCopiesTheText)
{
    QString Password;
    const bool Accepted = WithModal<TDataEncForm>(
        [](TDataEncForm& Dialog) {
            QTest::keyClicks(Dialog.EditPwd, QStringLiteral("typed"));
            QTest::keyClick(Dialog.EditPwd, Qt::Key_Escape);
        },
        [&] { return PasswordDialog(nullptr, QStringLiteral("请输入新密码："), Password); });
    EXPECT_FALSE(Accepted);
    EXPECT_EQ(Password, QStringLiteral("typed"));
}

TEST_F(DialogTest, MessagesAreQuestionBoxesCaptionedWithTheEditorsCaption)
{
    ui::SetMessageSeamForTesting({});  // the real box
    WithModal<QMessageBox>(
        [](QMessageBox& Box) {
            EXPECT_EQ(Box.windowTitle(), QStringLiteral("提示信息"));
            EXPECT_EQ(Box.text(), QStringLiteral("图片导入成功 ！！！"));
            EXPECT_EQ(Box.icon(), QMessageBox::Question);
            EXPECT_EQ(Box.standardButtons(), QMessageBox::Ok);
            SaveScreenshot(Box, QStringLiteral("dialog_message"));
            Box.button(QMessageBox::Ok)->click();
        },
        [] {
            ShowMessage(nullptr, QStringLiteral("图片导入成功 ！！！"));
            return 0;
        });
}

TEST(FileDialogFilters, BecomeQtNameFilters)
{
    EXPECT_EQ(QtNameFilters(QStringLiteral("Velka图片资源文件|*.Data;*.Wil;*.Wis;*.wzl")),
              QStringList{QStringLiteral("Velka图片资源文件 (*.Data *.Wil *.Wis *.wzl)")});
    EXPECT_EQ(QtNameFilters(QStringLiteral("Bitmaps (*.bmp)|*.bmp|Png(*.png)|*.png|Jpg(jpg)|*.jpg")),
              (QStringList{"Bitmaps (*.bmp)", "Png(*.png)", "Jpg(jpg) (*.jpg)"}));
    EXPECT_EQ(QtNameFilters(QStringLiteral("BMP 文件|*.BMP|")), QStringList{QStringLiteral("BMP 文件 (*.BMP)")});
    EXPECT_TRUE(QtNameFilters(QString()).isEmpty());
}

TEST_F(DialogTest, RealFileDialogsShowTheirSettingsAndReturnTheChosenName)
{
    WriteLibrary(Temp.File("pick.WZL"), NumberedImages(1));
    TFileDialogSettings Settings{QStringLiteral("OpenDialog"), TFileDialogSettings::TMode::Open,
                                 QStringLiteral("Velka图片资源文件|*.Data;*.Wil;*.Wis;*.wzl"), QStringLiteral("打开"),
                                 QString(), false, Temp.File("pick.WZL")};
    const TPixlookerRunners Runners = DefaultRunners();
    const bool Chosen = WithModal<QFileDialog>(
        [&](QFileDialog& Dialog) {
            EXPECT_EQ(Dialog.objectName(), QStringLiteral("OpenDialog"));
            EXPECT_EQ(Dialog.nameFilters(), QtNameFilters(Settings.Filter));
            EXPECT_EQ(Dialog.acceptMode(), QFileDialog::AcceptOpen);
            EXPECT_EQ(QDir::cleanPath(Dialog.directory().path()), QDir::cleanPath(Temp.Path()));
            Dialog.resize(760, 420);
            QTest::qWait(100);  // lets the folder listing arrive
            SaveScreenshot(Dialog, QStringLiteral("dialog_open_library"));
            Dialog.selectFile(Temp.File("pick.WZL"));
            QMetaObject::invokeMethod(&Dialog, "accept");
        },
        [&] { return Runners.FileDialog(nullptr, Settings); });
    EXPECT_TRUE(Chosen);
    EXPECT_EQ(QDir::cleanPath(Settings.FileName), QDir::cleanPath(Temp.File("pick.WZL")));

    TFileDialogSettings Save{QStringLiteral("SaveDialog2"), TFileDialogSettings::TMode::Save,
                             QStringLiteral("Velka图片资源文件|*.Wzl"), QStringLiteral("创建Data文件"),
                             QStringLiteral("Wzl"), true, QString()};
    const bool Cancelled = !WithModal<QFileDialog>(
        [&](QFileDialog& Dialog) {
            EXPECT_EQ(Dialog.windowTitle(), QStringLiteral("创建Data文件"));
            EXPECT_EQ(Dialog.acceptMode(), QFileDialog::AcceptSave);
            EXPECT_EQ(Dialog.defaultSuffix(), QStringLiteral("Wzl"));
            EXPECT_FALSE(Dialog.testOption(QFileDialog::DontConfirmOverwrite));
            QMetaObject::invokeMethod(&Dialog, "reject");
        },
        [&] { return Runners.FileDialog(nullptr, Save); });
    EXPECT_TRUE(Cancelled);
}

}  // namespace
}  // namespace velka::test
