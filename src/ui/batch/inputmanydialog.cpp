#include "ui/batch/inputmanydialog.h"

#include "batch/inttext.h"
#include "library/wmimages.h"
#include "ui/batch/batchpickers.h"
#include "ui/batch/batchwidgets.h"
#include "ui/main/dialogparts.h"
#include "ui/main/radiogroup.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

namespace velka::ui {

namespace {

// Without a parent: the gap check box adopts it.
QSpinBox* MakeCountSpin(const QString& ObjectName) { return RightAlignedSpin(ObjectName, 99999, nullptr); }

}  // namespace

TuFrmInputMany::TuFrmInputMany(QWidget* Parent) : TBatchDialog(Parent)
{
    setObjectName(QStringLiteral("uFrmInputMany"));
    setWindowTitle(QStringLiteral("批量导入图片"));
    BuildControls();

    RadioGroup1->SetItemIndex(0);
    RadioGroup3->SetItemIndex(0);
    RadioGroup1PropertiesChange();
    RadioGroup3PropertiesChange();

    connect(RadioGroup1, &TRadioGroup::ItemIndexChanged, this, &TuFrmInputMany::RadioGroup1PropertiesChange);
    connect(RadioGroup3, &TRadioGroup::ItemIndexChanged, this, &TuFrmInputMany::RadioGroup3PropertiesChange);
    connect(EditFileDirButton, &QToolButton::clicked, this, &TuFrmInputMany::EditFileDirPropertiesButtonClick);
    connect(BitBtnOK, &QPushButton::clicked, this, &TuFrmInputMany::BitBtnOKClick);
    connect(BitBtnClose, &QPushButton::clicked, this, &TuFrmInputMany::close);
    LockWhileRunning({BitBtnOK, BitBtnClose});
    ShowProgressIn(ProgressBar);
    connect(Job(), &TBatchJob::Finished, this, [this] { RunFinishedWith(Result_); });
}

void TuFrmInputMany::BuildControls()
{
    auto* Main = new QVBoxLayout(this);
    Main->setSizeConstraint(QLayout::SetFixedSize);

    RadioGroup1 = new TRadioGroup(QStringLiteral("导入内容"),
                                  {QStringLiteral("图片和坐标"), QStringLiteral("图片"), QStringLiteral("坐标"),
                                   QStringLiteral("空图片")},
                                  this, 4);
    RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
    Main->addWidget(RadioGroup1);

    const TButtonEdit Folder = MakePictureFolderRow(QStringLiteral("图片位置:"), this);
    EditFileDir = Folder.Edit;
    EditFileDirButton = Folder.Button;
    Main->addLayout(Folder.Row);

    const TEditPairGroup Numbers = MakeEditPairGroup(QStringLiteral("图片索引号"), QStringLiteral("起始编号:"),
                                                     QStringLiteral("结束编号:"), QString(), this);
    EditX = Numbers.EditX;
    EditY = Numbers.EditY;
    EditX->setFixedWidth(NumberEditWidth);
    EditY->setFixedWidth(NumberEditWidth);
    RadioGroup3 = new TRadioGroup(QStringLiteral("导入方式"),
                                  {QStringLiteral("从末尾添加"), QStringLiteral("按编号插入"),
                                   QStringLiteral("按编号覆盖")},
                                  this);
    RadioGroup3->setObjectName(QStringLiteral("RadioGroup3"));
    auto* NumbersAndMode = new QHBoxLayout;
    NumbersAndMode->addWidget(Numbers.Group, 1);
    NumbersAndMode->addWidget(RadioGroup3, 1);
    Main->addLayout(NumbersAndMode);

    auto* OffsetSource = new QGroupBox(QStringLiteral("坐标获得方式"), this);
    auto* OffsetRow = new QHBoxLayout(OffsetSource);
    RadioButton1 = new QRadioButton(QStringLiteral("同名坐标文件"), OffsetSource);
    RadioButton1->setObjectName(QStringLiteral("RadioButton1"));
    RadioButton1->setChecked(true);
    RadioButton2 = new QRadioButton(QStringLiteral("相同坐标"), OffsetSource);
    RadioButton2->setObjectName(QStringLiteral("RadioButton2"));
    EditXY = new QLineEdit(QStringLiteral("0,0"), OffsetSource);
    EditXY->setObjectName(QStringLiteral("EditXY"));
    EditXY->setFixedWidth(110);
    OffsetRow->addWidget(RadioButton1);
    OffsetRow->addSpacing(24);
    OffsetRow->addWidget(RadioButton2);
    OffsetRow->addWidget(EditXY);
    OffsetRow->addStretch(1);
    Main->addWidget(OffsetSource);

    auto* Extras = new QGroupBox(QStringLiteral("附加"), this);
    auto* ExtraColumn = new QVBoxLayout(Extras);
    CheckBoxEmpty1X1 = new QCheckBox(
        QStringLiteral("1X1尺寸黑底图片以空图片处理（其他工具可能会将空图导出为1X1尺寸的黑底图片）"), Extras);
    CheckBoxEmpty1X1->setObjectName(QStringLiteral("CheckBoxEmpty1X1"));
    CheckBoxEmpty1X1->setChecked(true);
    CheckBoxInputEmpty = new TGapCheckBox(QStringLiteral("CheckBoxInputEmpty"),
                                          QStringLiteral("每隔            张图插入            张空图"), Extras);
    EditSkipNum = MakeCountSpin(QStringLiteral("EditSkipNum"));
    EditAddNum = MakeCountSpin(QStringLiteral("EditAddNum"));
    CheckBoxInputEmpty->AttachToGap(0, EditSkipNum);
    CheckBoxInputEmpty->AttachToGap(1, EditAddNum);
    ExtraColumn->addWidget(CheckBoxEmpty1X1);
    ExtraColumn->addWidget(CheckBoxInputEmpty);
    Main->addWidget(Extras);

    const TOkCancelButtons Buttons = AddRunButtonRow(*this, *Main);
    BitBtnOK = Buttons.Ok;
    BitBtnClose = Buttons.Cancel;

    ProgressBar = MakeProgressBar(QStringLiteral("ProgressBar"), this);
    Main->addWidget(ProgressBar);
}

void TuFrmInputMany::EditFileDirPropertiesButtonClick()
{
    const QString Folder = PickFolder(this, QStringLiteral("浏览文件夹"));
    if (!Folder.isEmpty())
        EditFileDir->setText(Folder);
}

void TuFrmInputMany::RadioGroup1PropertiesChange()
{
    RadioButton1->setEnabled(true);
    RadioButton2->setEnabled(true);
    RadioButton1->setChecked(true);
    EditFileDir->setEnabled(true);
    EditFileDirButton->setEnabled(true);
    CheckBoxInputEmpty->setEnabled(false);
    EditSkipNum->setEnabled(false);
    EditAddNum->setEnabled(false);
    if (RadioGroup1->ItemIndex() == int(TImportContent::EmptyImages)) {
        EditFileDir->setEnabled(false);
        EditFileDirButton->setEnabled(false);
        RadioButton1->setEnabled(false);
        RadioButton2->setChecked(true);
    }
    RadioGroup3PropertiesChange();
}

void TuFrmInputMany::RadioGroup3PropertiesChange()
{
    const bool Append = RadioGroup3->ItemIndex() == int(TImportMode::Append);
    CheckBoxInputEmpty->setEnabled(Append);
    EditSkipNum->setEnabled(Append);
    EditAddNum->setEnabled(Append);
}

TBatchImportOptions TuFrmInputMany::Options() const
{
    TBatchImportOptions Result;
    Result.Content = TImportContent(RadioGroup1->ItemIndex());
    Result.Mode = TImportMode(RadioGroup3->ItemIndex());
    Result.Folder = EditFileDir->text();  // the engine trims it and adds the separator
    Result.StartNumber = IntText(EditX->text());
    Result.EndNumber = IntText(EditY->text());
    Result.OffsetsFromPlacementFiles = RadioButton1->isChecked();
    if (RadioButton2->isChecked())
        Result.CommonOffset = ParseCommonOffset(EditXY->text());
    Result.OneByOneAsEmpty = CheckBoxEmpty1X1->isChecked();
    Result.InterleaveEmpty = CheckBoxInputEmpty->isChecked();
    Result.InterleaveEvery = EditSkipNum->value();
    Result.InterleaveCount = EditAddNum->value();
    return Result;
}

void TuFrmInputMany::BitBtnOKClick()
{
    if (Busy() || !Library_)
        return;
    const TBatchImportOptions RunOptions = Options();
    Result_.reset();
    StartRun([this, Library = Library_, RunOptions, Progress = Job()->ProgressTo(TBatchJob::ImageBar)] {
        Result_ = BatchImport(*Library, RunOptions, Progress);
    });
}

void TuFrmInputMany::RunFinishedWith(const std::optional<TBatchImportResult>& Result)
{
    const QString Outcome = Result ? ImportOutcomeText(*Result) : AbortedText(QStringLiteral("图片导入失败 ！！！"));
    EndRun(Outcome, Result && Result->Ok());
}

namespace {

QString UndecodableText(const QStringList& Pictures)
{
    if (Pictures.isEmpty()) return {};
    return QStringLiteral("以下 %1 张图片无法解码，已作为空图片导入：\n").arg(Pictures.size()) +
           Pictures.join(QLatin1Char('\n'));
}

}  // namespace

QString ImportOutcomeText(const TBatchImportResult& Result)
{
    if (Result.Clean())
        return QStringLiteral("图片导入成功 ！！！");
    if (Result.Ok())
        return QStringLiteral("图片导入完成，但有图片无法解码 ！！！\n") + UndecodableText(Result.Undecodable);
    QString Text = QStringLiteral("图片导入失败 ！！！\n");
    if (!Result.Undecodable.isEmpty()) Text += UndecodableText(Result.Undecodable) + QLatin1Char('\n');
    if (!Result.FailedPicture.isEmpty())
        Text += QStringLiteral("第 %1 张图片无法导入: %2\n").arg(Result.FailedIndex + 1).arg(Result.FailedPicture);
    if (!Result.Error.isEmpty())
        Text += QStringLiteral("原因: %1\n").arg(Result.Error);
    if (!Result.Saved)
        return Text + QStringLiteral("图片库没有保存，保持导入前的状态。");
    return Text + QStringLiteral("在此之前的 %1 张已导入并保存。").arg(Result.Imported);
}

void RunBatchImport(TWMImages* Library, int StartNumber, QWidget* Parent)
{
    TuFrmInputMany Dialog(Parent);
    Dialog.SetLibrary(Library);
    Dialog.EditX->setText(QString::number(StartNumber));
    Dialog.EditY->setText(QString::number(Library ? Library->ImageCount - 1 : -1));
    Dialog.exec();
}

}  // namespace velka::ui
