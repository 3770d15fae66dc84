#pragma once
// Small widgets and helpers the three batch dialogs share.

#include <QCheckBox>
#include <QString>

#include <utility>
#include <vector>

class QHBoxLayout;
class QLineEdit;
class QProgressBar;
class QToolButton;

namespace velka::ui {

// A text field with a browse button at its right; the button is named after the field + "Button".
struct TButtonEdit {
    QLineEdit* Edit = nullptr;
    QToolButton* Button = nullptr;
    QHBoxLayout* Row = nullptr;
};
TButtonEdit MakeButtonEdit(const QString& ObjectName, QWidget* Parent);

// The picture folder field EditFileDir with its label and browse button, at ~/images/.
TButtonEdit MakePictureFolderRow(const QString& Caption, QWidget* Parent);

// A right-aligned number field, NumberEditWidth wide.
inline constexpr int NumberEditWidth = 90;
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

}  // namespace velka::ui
