#pragma once
// The editor's message boxes ("提示信息", question icon) and its questions, behind one seam so
// that tests can answer them without a modal loop.

#include <QMessageBox>
#include <QString>

#include <functional>

class QWidget;

namespace velka::ui {

// The caption of every message box of the editor.
QString MessageCaption();

// An OK message box with the question-mark icon.
void ShowMessage(QWidget* Parent, const QString& Text);

// An OK / Cancel question with the warning icon; true for OK.
bool AskOkCancel(QWidget* Parent, const QString& Text);

// Tests replace the real boxes: the sink receives every message, the answerer every question.
struct MessageSeam {
    std::function<void(const QString& Text)> Sink;
    std::function<bool(const QString& Text)> Answerer;
};
void SetMessageSeamForTesting(MessageSeam Seam);

}  // namespace velka::ui
