#pragma once
// The batch import dialog (批量导入图片).

class QWidget;

namespace velka {
class TWMImages;
}

namespace velka::ui {

// Shows the dialog modally on Library, with StartNumber pre-filled as the first number.
void RunBatchImport(TWMImages* Library, int StartNumber, QWidget* Parent = nullptr);

}  // namespace velka::ui
