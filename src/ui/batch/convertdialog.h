#pragma once
// The batch format converter (素材批量转换工具), created once at start-up and kept hidden.

#include <QDialog>

namespace velka::ui {

class TfrmConvertDlg : public QDialog {
    Q_OBJECT
public:
    explicit TfrmConvertDlg(QWidget* Parent = nullptr);
    // Selects the first conversion and shows the dialog modally.
    void ShowConvertDialog();
};

}  // namespace velka::ui
