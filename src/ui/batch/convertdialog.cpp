#include "ui/batch/convertdialog.h"

#include "batch/filelists.h"
#include "ui/batch/batchpickers.h"
#include "ui/batch/batchwidgets.h"
#include "ui/main/dialogparts.h"
#include "ui/main/filedialogs.h"
#include "ui/main/messagebox.h"
#include "ui/main/radiogroup.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace velka::ui {

namespace {

const QString FolderTitle = QStringLiteral("浏览文件夹");

QString SourceFilter(uint8_t SourceKind)
{
    return SourceKind == uint8_t(TLibraryKind::WZL) ? QStringLiteral("Velka2 Library ZIP File|*.WZL")
                                                    : QStringLiteral("Velka2 Library File|*.WIL;*.WZL");
}

QString TargetFilter(uint8_t TargetKind)
{
    return TargetKind == uint8_t(TLibraryKind::WZL) ? QStringLiteral("Velka2 Library ZIP File (*.WZL)|*.WZL")
                                                    : QStringLiteral("Velka2 Data File (*.Data)|*.Data");
}

// The converter asks about an existing target itself.
QFileDialog* MakeFileDialog(const QString& ObjectName, bool Saving, QWidget* Parent)
{
    auto* Dialog = new QFileDialog(Parent);
    Dialog->setObjectName(ObjectName);
    SetUpFileDialog(*Dialog, Saving, false);
    return Dialog;
}

// The path up to its extension text: folder part and ExtractNameBeforeExt of the name.
QString PathBeforeExt(const QString& Path) { return FolderPart(Path) + ExtractNameBeforeExt(Path); }

bool Failed(const TConvertFileResult& File)
{
    using TStatus = TConvertFileResult::TStatus;
    return File.Status == TStatus::Failed || File.Status == TStatus::Stopped || !File.DamagedImages.empty();
}

QString FailureReason(const TConvertFileResult& File)
{
    if (!File.Error.isEmpty())
        return File.Error;
    return QStringLiteral("%1 张图片无法读取，已作为空图片写入").arg(File.DamagedImages.size());
}

}  // namespace

TfrmConvertDlg::TfrmConvertDlg(QWidget* Parent) : TBatchDialog(Parent)
{
    setObjectName(QStringLiteral("frmConvertDlg"));
    setWindowTitle(QStringLiteral("素材批量转换工具"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    BuildControls();

    RadioGroupFormat->SetItemIndex(0);
    RadioGroupFormatClick();
    CheckBox1Click();

    connect(CheckBox1, &QCheckBox::toggled, this, &TfrmConvertDlg::CheckBox1Click);
    connect(RadioGroupFormat, &TRadioGroup::ItemIndexChanged, this, &TfrmConvertDlg::RadioGroupFormatClick);
    connect(EditFileDirButton, &QToolButton::clicked, this, &TfrmConvertDlg::EditFileDirButtonClick);
    connect(EditSaveDirButton, &QToolButton::clicked, this, &TfrmConvertDlg::EditSaveDirButtonClick);
    connect(BitBtnOK, &QPushButton::clicked, this, &TfrmConvertDlg::BitBtnOKClick);
    connect(BitBtnClose, &QPushButton::clicked, this, &TfrmConvertDlg::close);
    LockWhileRunning(
        {CheckBox1, BitBtnOK, BitBtnClose, EditFileDir, EditFileDirButton, EditSaveDir, EditSaveDirButton});
    ShowProgressIn(ProgressBar, ProgressBar1);
    connect(Job(), &TBatchJob::LogLine, Memo1, &QPlainTextEdit::appendPlainText);
    connect(Job(), &TBatchJob::Finished, this, [this] { RunFinishedWith(Result_); });
}

void TfrmConvertDlg::BuildControls()
{
    auto* Main = new QVBoxLayout(this);
    Main->setSizeConstraint(QLayout::SetFixedSize);

    CheckBox1 = new QCheckBox(QStringLiteral("批量转换"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    Main->addWidget(CheckBox1);

    auto* Files = new QGridLayout;
    RzLabel = new QLabel(this);
    RzLabel->setObjectName(QStringLiteral("RzLabel"));
    RzLabel1 = new QLabel(this);
    RzLabel1->setObjectName(QStringLiteral("RzLabel1"));
    // Wide enough for the longer folder-mode captions, so switching modes moves nothing.
    const int LabelWidth = RzLabel->fontMetrics().horizontalAdvance(QStringLiteral("旧文件目录:")) + 8;
    RzLabel->setMinimumWidth(LabelWidth);
    RzLabel1->setMinimumWidth(LabelWidth);
    const TButtonEdit Source = MakeButtonEdit(QStringLiteral("EditFileDir"), this);
    const TButtonEdit Target = MakeButtonEdit(QStringLiteral("EditSaveDir"), this);
    EditFileDir = Source.Edit;
    EditFileDirButton = Source.Button;
    EditSaveDir = Target.Edit;
    EditSaveDirButton = Target.Button;
    RzLabel->setBuddy(EditFileDir);
    RzLabel1->setBuddy(EditSaveDir);
    Files->addWidget(RzLabel, 0, 0);
    Files->addLayout(Source.Row, 0, 1);
    Files->addWidget(RzLabel1, 1, 0);
    Files->addLayout(Target.Row, 1, 1);
    Main->addLayout(Files);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setFixedSize(520, 180);
    Main->addWidget(Memo1);

    RadioGroupFormat = new TRadioGroup(QStringLiteral("格式转换设置"),
                                       {QStringLiteral("WIL 转 DATA"), QStringLiteral("WIL 转 WZL"),
                                        QStringLiteral("WZL 转 DATA"), QStringLiteral("WIS 转 DATA"),
                                        QStringLiteral("WIS 转 WZL")},
                                       this, 2);
    RadioGroupFormat->setObjectName(QStringLiteral("RadioGroupFormat"));
    Main->addWidget(RadioGroupFormat);

    const TOkCancelButtons Buttons = AddRunButtonRow(*this, *Main);
    BitBtnOK = Buttons.Ok;
    BitBtnClose = Buttons.Cancel;
    BitBtnOK->setText(QStringLiteral("转换"));
    BitBtnOK->setIcon(style()->standardIcon(QStyle::SP_DialogApplyButton));
    BitBtnClose->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));

    ProgressBar = MakeProgressBar(QStringLiteral("ProgressBar"), this);
    ProgressBar1 = MakeProgressBar(QStringLiteral("ProgressBar1"), this);
    SetProgress(ProgressBar, 0, 0);
    SetProgress(ProgressBar1, 0, 0);
    Main->addWidget(ProgressBar);
    Main->addWidget(ProgressBar1);

    OpenDialog = MakeFileDialog(QStringLiteral("OpenDialog"), false, this);
    SaveDialog = MakeFileDialog(QStringLiteral("SaveDialog"), true, this);
    SaveDialog->setWindowTitle(QStringLiteral("创建Data文件"));
    SaveDialog->setDefaultSuffix(QStringLiteral("Data"));
}

void TfrmConvertDlg::ShowConvertDialog()
{
    WrittenTargets_.clear();
    RadioGroupFormat->SetItemIndex(0);
    exec();
}

void TfrmConvertDlg::RadioGroupFormatClick()
{
    Conversion_ = TConversion(RadioGroupFormat->ItemIndex());
    SourceKind_ = uint8_t(SourceKindOf(Conversion_));
    TargetKind_ = uint8_t(TargetKindOf(Conversion_));
}

void TfrmConvertDlg::CheckBox1Click()
{
    const bool FolderMode = CheckBox1->isChecked();
    RzLabel->setText(FolderMode ? QStringLiteral("旧文件目录:") : QStringLiteral("旧文件:"));
    RzLabel1->setText(FolderMode ? QStringLiteral("新文件目录:") : QStringLiteral("新文件:"));
}

QString TfrmConvertDlg::TargetExtension() const { return ExtensionOf(TLibraryKind(TargetKind_)); }

void TfrmConvertDlg::ListSourceFiles(const QString& Folder)
{
    SourceList_.clear();
    ListFilesByExt(Folder, ExtensionOf(TLibraryKind(SourceKind_)), SourceList_);
    for (const QString& File : SourceList_)
        Memo1->appendPlainText(File);
}

bool TfrmConvertDlg::BrowseFolderInto(QLineEdit* Edit)
{
    QString Folder;
    if (!SelectFolder(FolderTitle, Folder, this))
        return false;
    Edit->setText(WithTrailingSeparator(Folder));
    return true;
}

void TfrmConvertDlg::EditFileDirButtonClick()
{
    if (CheckBox1->isChecked()) {
        if (BrowseFolderInto(EditFileDir))
            ListSourceFiles(EditFileDir->text());
        return;
    }
    OpenDialog->setNameFilters(QtNameFilters(SourceFilter(SourceKind_)));
    const QString FileName = RunFileDialog(*OpenDialog);
    if (!FileName.isEmpty())
        EditFileDir->setText(FileName);
}

void TfrmConvertDlg::EditSaveDirButtonClick()
{
    if (CheckBox1->isChecked()) {
        BrowseFolderInto(EditSaveDir);
        return;
    }
    const QString Extension = TargetExtension();
    SaveDialog->setNameFilters(QtNameFilters(TargetFilter(TargetKind_)));
    SaveDialog->selectFile(PathBeforeExt(EditFileDir->text()));
    const QString FileName = RunFileDialog(*SaveDialog);
    if (!FileName.isEmpty())
        EditSaveDir->setText(PathBeforeExt(FileName) + Extension);
}

TConverterCallbacks TfrmConvertDlg::Callbacks()
{
    TBatchJob* Worker = Job();
    TConverterCallbacks Result;
    Result.ImageProgress = Worker->ProgressTo(TBatchJob::ImageBar);
    Result.FileProgress = Worker->ProgressTo(TBatchJob::FileBar);
    Result.ConfirmOverwrite = [this, Worker](const QString&) {
        return Worker->Ask([this] { return AskOkCancel(this, QStringLiteral("文件已经存在，是否覆盖原文件？")); });
    };
    Result.Log = [Worker](const QString& Line) { Worker->ReportLog(Line); };
    return Result;
}

void TfrmConvertDlg::BitBtnOKClick()
{
    if (Busy())
        return;
    const QString Source = TrimBlanks(EditFileDir->text());
    const QString Target = TrimBlanks(EditSaveDir->text());
    if (Source.compare(Target, Qt::CaseInsensitive) == 0) {
        ShowMessage(this, QStringLiteral("转换路径或文件名不能相同 ！！！"));
        return;
    }
    Result_.reset();
    TConvertOptions Options;
    Options.Conversion = Conversion_;
    const TConverterCallbacks RunCallbacks = Callbacks();
    SetProgress(ProgressBar, 0, 0);
    if (CheckBox1->isChecked()) {
        Memo1->clear();
        SetProgress(ProgressBar1, 0, int(SourceList_.size()));
        StartRun([this, Sources = SourceList_, Target, Options, RunCallbacks] {
            Result_ = ConvertFolder(Sources, Target, Options, RunCallbacks);
        });
        return;
    }
    StartRun([this, Source, Target, Options, RunCallbacks] {
        TConvertFolderResult Single;
        Single.Files.push_back(ConvertLibrary(Source, Target, Options, RunCallbacks));
        Result_ = std::move(Single);
    });
}

// The converter stays open after a run, for the next conversion.
void TfrmConvertDlg::RunFinishedWith(const std::optional<TConvertFolderResult>& Result)
{
    if (Result)
        for (const TConvertFileResult& File : Result->Files)
            if (File.Status == TConvertFileResult::TStatus::Converted)
                WrittenTargets_.append(File.Target);
    const QString Outcome = Result ? ConvertOutcomeText(*Result) : AbortedText(QStringLiteral("转换失败 ！！！"));
    EndRun(Outcome, false);
}

QString ConvertOutcomeText(const TConvertFolderResult& Result)
{
    if (Result.Files.empty())
        return QStringLiteral("没有找到要转换的文件 ！！！");
    const auto FailedCount = std::count_if(Result.Files.begin(), Result.Files.end(), Failed);
    const bool AllDeclined = std::all_of(Result.Files.begin(), Result.Files.end(), [](const TConvertFileResult& File) {
        return File.Status == TConvertFileResult::TStatus::Declined;
    });
    // Nothing was converted, so it is no success; declining was the user's choice, no failure.
    if (AllDeclined)
        return QStringLiteral("目标文件已存在，未转换");
    if (FailedCount == 0)
        return QStringLiteral("转换成功 ！！！");
    if (Result.Files.size() == 1)
        return QStringLiteral("转换失败 ！！！\n%1").arg(FailureReason(Result.Files.front()));
    return QStringLiteral("转换失败: %1 个文件中有 %2 个没有转换成功，详见日志 ！！！")
        .arg(Result.Files.size())
        .arg(FailedCount);
}

bool SelectFolder(const QString& Title, QString& Folder, QWidget* Owner)
{
    const QString Chosen = PickFolder(Owner, Title, Folder);
    if (Chosen.isEmpty())
        return false;
    Folder = Chosen;
    return true;
}

}  // namespace velka::ui
