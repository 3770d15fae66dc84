#pragma once
// The batch format converter (素材批量转换工具), created once at start-up and kept hidden.

#include "batch/converter.h"
#include "ui/batch/batchdialog.h"

#include <QStringList>

#include <cstdint>
#include <optional>

class QCheckBox;
class QFileDialog;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QToolButton;

namespace velka::ui {

class TRadioGroup;

class TfrmConvertDlg : public TBatchDialog {
    Q_OBJECT
public:
    explicit TfrmConvertDlg(QWidget* Parent = nullptr);
    // Selects the first conversion and shows the dialog modally.
    void ShowConvertDialog();

    // Lists Folder's files of the selected source type into the source list and the log.
    void ListSourceFiles(const QString& Folder);
    const QStringList& SourceList() const { return SourceList_; }
    uint8_t SourceKind() const { return SourceKind_; }
    uint8_t TargetKind() const { return TargetKind_; }
    // The targets the runs since the last showing replaced or created, as the runs named them.
    const QStringList& WrittenTargets() const { return WrittenTargets_; }

    // Handlers, named after their controls.
    void CheckBox1Click();
    void RadioGroupFormatClick();
    void EditFileDirButtonClick();
    void EditSaveDirButtonClick();
    void BitBtnOKClick();

private:
    void BuildControls();
    void RunFinishedWith(const std::optional<TConvertFolderResult>& Result);
    // Folder mode: the chosen folder, with its separator, replaces Edit's text.
    bool BrowseFolderInto(QLineEdit* Edit);
    TConverterCallbacks Callbacks();
    QString TargetExtension() const;

    uint8_t SourceKind_ = uint8_t(TLibraryKind::WIL);
    uint8_t TargetKind_ = uint8_t(TLibraryKind::DATA);
    TConversion Conversion_ = TConversion::WilToData;
    QStringList SourceList_;
    QStringList WrittenTargets_;
    std::optional<TConvertFolderResult> Result_;  // written by the worker, read after Finished

    QCheckBox* CheckBox1 = nullptr;
    QLabel* RzLabel = nullptr;
    QLineEdit* EditFileDir = nullptr;
    QToolButton* EditFileDirButton = nullptr;
    QLabel* RzLabel1 = nullptr;
    QLineEdit* EditSaveDir = nullptr;
    QToolButton* EditSaveDirButton = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    TRadioGroup* RadioGroupFormat = nullptr;
    QPushButton* BitBtnOK = nullptr;
    QPushButton* BitBtnClose = nullptr;
    QProgressBar* ProgressBar = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QFileDialog* OpenDialog = nullptr;
    QFileDialog* SaveDialog = nullptr;
};

// The folder browser with Title, owned by Owner; true with Folder set to the chosen path when
// the user confirms.
bool SelectFolder(const QString& Title, QString& Folder, QWidget* Owner);

// The message that tells the user how a run ended.
QString ConvertOutcomeText(const TConvertFolderResult& Result);

}  // namespace velka::ui
