#pragma once
// The batch export dialog (批量导出图片).

class QWidget;

namespace velka {
class TWMImages;
}

namespace velka::ui {

// Shows the dialog modally on Library with the range First..Last pre-filled.
void RunBatchExport(TWMImages* Library, int First, int Last, QWidget* Parent = nullptr);

}  // namespace velka::ui
