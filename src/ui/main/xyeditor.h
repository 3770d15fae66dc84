#pragma once
// 偏移坐标: the offsets of one image, the same offsets for a range, or a delta added to a range.

#include <QDialog>
#include <QString>

class QLabel;
class QGroupBox;
class QLineEdit;
class QSpinBox;

namespace velka::ui {

class TRadioGroup;

class TuFrmXYEditor : public QDialog {
    Q_OBJECT
public:
    // The items of rg_XYEditor.
    enum Mode { Single = 0, SetRange = 1, AddToRange = 2 };

    explicit TuFrmXYEditor(QWidget* Parent = nullptr);

    // The largest image number both spin edits accept.
    void SetMaxIndex(int MaxIndex);
    void SetRangeEnabled(bool Enabled);

    TRadioGroup* rg_XYEditor;
    QGroupBox* grp_ImageNumber;
    QLabel* lbl1;
    QSpinBox* se_Start;
    QLabel* lbl2;
    QSpinBox* se_End;
    QLineEdit* EditX;
    QLineEdit* EditY;
    QLabel* lbl3;

public slots:
    void rg_XYEditorClick(int Index);

protected:
    void showEvent(QShowEvent* Event) override;

private:
    void FormShow();
};

// What the offset editor was given and what the user chose: the edits' texts stay texts,
// since the modes read them by different rules.
struct TXYEditorValues {
    int MaxIndex = 0;
    QString EditX;
    QString EditY;
    int Mode = TuFrmXYEditor::Single;
    int Start = 0;
    int End = 0;
};

// Shows the editor filled from Values; on OK copies mode, texts and range back and returns true.
bool XYEditorDialog(QWidget* Parent, TXYEditorValues& Values);

}  // namespace velka::ui
