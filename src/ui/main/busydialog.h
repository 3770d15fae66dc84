#pragma once
// A dialog that stays open while its work runs: the close button, Escape and reject() are
// refused while MustStayOpen(), so the work never loses the window it reports to.

#include <QDialog>

namespace velka::ui {

class TBusyDialog : public QDialog {
    Q_OBJECT
public:
    using QDialog::QDialog;
    void reject() override;

protected:
    virtual bool MustStayOpen() const = 0;
    void closeEvent(QCloseEvent* Event) override;
};

}  // namespace velka::ui
