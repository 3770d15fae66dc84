#include "ui/batch/exportdialog.h"

#include "batch/filelists.h"
#include "batch/inttext.h"
#include "library/wmimages.h"
#include "ui/batch/batchpickers.h"
#include "ui/batch/batchwidgets.h"
#include "ui/main/dialogparts.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace velka::ui {

namespace {

// Failures listed by number in the message; the rest are counted only.
constexpr int ListedFailures = 10;

}  // namespace

TuFrmExport::TuFrmExport(QWidget* Parent) : TBatchDialog(Parent)
{
    setObjectName(QStringLiteral("uFrmExport"));
    setWindowTitle(QStringLiteral("批量导出图片"));
    BuildControls();

    connect(EditFileDirButton, &QToolButton::clicked, this, &TuFrmExport::EditFileDirPropertiesButtonClick);
    connect(BitBtnOK, &QPushButton::clicked, this, &TuFrmExport::BitBtnOKClick);
    connect(BitBtnClose, &QPushButton::clicked, this, &TuFrmExport::close);  // cxButton2Click
    LockWhileRunning({BitBtnOK, BitBtnClose});
    ShowProgressIn(ProgressBar);
    connect(Job(), &TBatchJob::Finished, this, [this] { RunFinishedWith(Result_); });
}

void TuFrmExport::BuildControls()
{
    auto* Main = new QVBoxLayout(this);
    Main->setSizeConstraint(QLayout::SetFixedSize);

    const TButtonEdit Folder = MakePictureFolderRow(QStringLiteral("图片文件夹:"), this);
    EditFileDir = Folder.Edit;
    EditFileDirButton = Folder.Button;
    Main->addLayout(Folder.Row);

    auto* Numbers = new QGroupBox(QStringLiteral("图片编号"), this);
    auto* NumberRow = new QHBoxLayout(Numbers);
    EditX = MakeNumberEdit(QStringLiteral("EditX"), Numbers);
    EditY = MakeNumberEdit(QStringLiteral("EditY"), Numbers);
    auto* FirstLabel = new QLabel(QStringLiteral("起始编号:"), Numbers);
    FirstLabel->setBuddy(EditX);
    auto* LastLabel = new QLabel(QStringLiteral("结束编号:"), Numbers);
    LastLabel->setBuddy(EditY);
    NumberRow->addWidget(FirstLabel);
    NumberRow->addWidget(EditX);
    NumberRow->addSpacing(24);
    NumberRow->addWidget(LastLabel);
    NumberRow->addWidget(EditY);
    NumberRow->addStretch(1);
    Main->addWidget(Numbers);

    const TOkCancelButtons Buttons = AddRunButtonRow(*this, *Main);
    BitBtnOK = Buttons.Ok;
    BitBtnClose = Buttons.Cancel;

    ProgressBar = MakeProgressBar(QStringLiteral("ProgressBar"), this);
    Main->addWidget(ProgressBar);
}

void TuFrmExport::EditFileDirPropertiesButtonClick()
{
    const QString Folder = BrowseForFolder(this, QStringLiteral("请选择保存文件夹"));
    if (!Folder.isEmpty())
        EditFileDir->setText(Folder);
}

TBatchExportOptions TuFrmExport::Options() const
{
    TBatchExportOptions Result;
    Result.First = IntText(EditX->text());
    Result.Last = IntText(EditY->text());
    Result.Folder = TrimBlanks(EditFileDir->text());
    return Result;
}

void TuFrmExport::BitBtnOKClick()
{
    if (!Library_ || Busy())
        return;
    const TBatchExportOptions RunOptions = Options();
    Result_.reset();
    StartRun([this, Library = Library_, RunOptions, Progress = Job()->ProgressTo(TBatchJob::ImageBar)] {
        Result_ = BatchExport(*Library, RunOptions, Progress);
    });
}

void TuFrmExport::RunFinishedWith(const std::optional<TBatchExportResult>& Result)
{
    const QString Outcome = Result ? ExportOutcomeText(*Result) : AbortedText(QStringLiteral("图片导出失败 ！！！"));
    EndRun(Outcome, Result && Result->Ok());
}

QString ExportOutcomeText(const TBatchExportResult& Result)
{
    using TStatus = TBatchExportResult::TStatus;
    switch (Result.Status) {
    case TStatus::Exported:
        return QStringLiteral("图片导出成功 ！！！");
    case TStatus::InvalidRange:
        return QStringLiteral("图片编号范围无效，没有导出任何图片 ！！！");
    case TStatus::FolderError:
        return QStringLiteral("无法创建图片文件夹，没有导出任何图片 ！！！\n%1").arg(Result.Error);
    case TStatus::Stopped:
    case TStatus::Incomplete:
        break;
    }
    const int Failed = int(Result.Failures.size());
    QString Text = QStringLiteral("图片导出失败: %1 张图片中有 %2 张没有导出 ！！！")
                       .arg(Result.Total)
                       .arg(Failed ? Failed : Result.Total - Result.Written);
    for (int I = 0; I < Failed && I < ListedFailures; ++I) {
        const TExportFailure& Failure = Result.Failures[I];
        Text += QStringLiteral("\n%1: %2").arg(Failure.Number, 5, 10, QLatin1Char('0')).arg(Failure.Reason);
    }
    if (Failed > ListedFailures)
        Text += QStringLiteral("\n……");
    return Text;
}

void RunBatchExport(TWMImages* Library, int First, int Last, QWidget* Parent)
{
    TuFrmExport Dialog(Parent);
    Dialog.SetLibrary(Library);
    Dialog.EditX->setText(QString::number(First));
    Dialog.EditY->setText(QString::number(Last));
    Dialog.exec();
}

QString BrowseForFolder(QWidget* Owner, const QString& Title) { return TrimBlanks(PickFolder(Owner, Title)); }

}  // namespace velka::ui
