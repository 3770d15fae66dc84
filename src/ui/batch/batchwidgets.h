#pragma once
// Small widgets and helpers the three batch dialogs share.

#include <QCheckBox>
#include <QGroupBox>
#include <QString>

#include <utility>
#include <vector>

class QButtonGroup;
class QHBoxLayout;
class QLineEdit;
class QProgressBar;
class QRadioButton;
class QToolButton;

namespace velka::ui {

// A captioned group of radio buttons laid out column by column, the first column filled first.
class TBatchRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    TBatchRadioGroup(const QString& ObjectName, const QString& Caption, const QStringList& Items, int Columns,
                QWidget* Parent = nullptr);
    int ItemIndex() const;
    // Selecting another item emits ItemIndexChanged.
    void SetItemIndex(int Index);
    QRadioButton* Item(int Index) const;
    int Count() const;

signals:
    void ItemIndexChanged(int Index);

private:
    QButtonGroup* Buttons_;
};

// A text field with a browse button at its right; the button is named after the field + "Button".
struct TButtonEdit {
    QLineEdit* Edit = nullptr;
    QToolButton* Button = nullptr;
    QHBoxLayout* Row = nullptr;
};
TButtonEdit MakeButtonEdit(const QString& ObjectName, QWidget* Parent);

// A right-aligned number field.
QLineEdit* MakeNumberEdit(const QString& ObjectName, QWidget* Parent);

// A progress bar without text, at position 0 of 100.
QProgressBar* MakeProgressBar(const QString& ObjectName, QWidget* Parent);
// Shows Current of Total; a total of 0 shows an empty bar rather than a busy indicator.
void SetProgress(QProgressBar* Bar, int Current, int Total);

// A check box whose caption holds runs of blanks with editors laid over them, so the caption
// reads as a sentence around the editors. The blanks are widened until each editor fits.
class TGapCheckBox : public QCheckBox {
    Q_OBJECT
public:
    TGapCheckBox(const QString& ObjectName, const QString& Caption, QWidget* Parent = nullptr);
    // Lays Editor (made a child of this box) over the Gap-th run of blanks (0-based).
    void AttachToGap(int Gap, QWidget* Editor);

protected:
    void resizeEvent(QResizeEvent* Event) override;

private:
    // Start and length of every run of blanks in the caption.
    std::vector<std::pair<int, int>> Gaps() const;
    void WidenGaps();
    void PlaceEditors();

    std::vector<std::pair<int, QWidget*>> Editors_;
};

// The folder part of a path, up to and including its last separator ("" when it has none).
QString FolderPart(const QString& Path);

}  // namespace velka::ui
