#pragma once
// Pieces shared by the editor's small modal dialogs.

#include <QString>

class QBoxLayout;
class QDialog;
class QFont;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QWidget;

namespace velka::ui {

// Caption, font and the fixed dialog border; call after the layout is complete.
void FinishDialog(QDialog& Dialog, const QString& Caption, const QFont& Font);

// A right-aligned text edit named Name.
QLineEdit* RightAlignedEdit(const QString& Name, const QString& Text, QWidget* Parent);
// A right-aligned spin box named Name for 0..Maximum, at 0.
QSpinBox* RightAlignedSpin(const QString& Name, int Maximum, QWidget* Parent);

// A captioned group of the right-aligned fields EditX above EditY, each on a row with its label,
// both holding Text.
struct TEditPairGroup {
    QGroupBox* Group = nullptr;
    QLineEdit* EditX = nullptr;
    QLineEdit* EditY = nullptr;
};
TEditPairGroup MakeEditPairGroup(const QString& Caption, const QString& XLabel, const QString& YLabel,
                                 const QString& Text, QWidget* Parent);

struct TOkCancelButtons {
    QPushButton* Ok = nullptr;
    QPushButton* Cancel = nullptr;
};
// "确定" and "取消" at the right of a new row of Layout. With ConnectToDialog the buttons
// accept and reject the dialog; otherwise the caller connects them. With OkIsDefault Enter
// presses "确定"; without it Enter presses nothing. Esc always rejects.
TOkCancelButtons AddOkCancelRow(QDialog& Dialog, QBoxLayout& Layout, bool ConnectToDialog = true,
                                bool OkIsDefault = true);
// The row of a dialog that works before it closes: "确定" (BitBtnOK, pressed by Enter) and
// "取消" (BitBtnClose), which the dialog connects itself.
TOkCancelButtons AddRunButtonRow(QDialog& Dialog, QBoxLayout& Layout);

}  // namespace velka::ui
