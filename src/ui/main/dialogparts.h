#pragma once
// Pieces shared by the editor's small modal dialogs.

#include <QString>

class QBoxLayout;
class QDialog;
class QFont;
class QLineEdit;
class QPushButton;
class QWidget;

namespace velka::ui {

// Caption, font and the fixed dialog border; call after the layout is complete.
void FinishDialog(QDialog& Dialog, const QString& Caption, const QFont& Font);

// A right-aligned text edit named Name.
QLineEdit* RightAlignedEdit(const QString& Name, const QString& Text, QWidget* Parent);

struct TOkCancelButtons {
    QPushButton* Ok = nullptr;
    QPushButton* Cancel = nullptr;
};
// "确定" and "取消" at the right of a new row of Layout. With ConnectToDialog the buttons
// accept and reject the dialog; otherwise the caller connects them. With OkIsDefault Enter
// presses "确定"; without it Enter presses nothing. Esc always rejects.
TOkCancelButtons AddOkCancelRow(QDialog& Dialog, QBoxLayout& Layout, bool ConnectToDialog = true,
                                bool OkIsDefault = true);

}  // namespace velka::ui
