#pragma once
// The fonts of the editor's windows: 宋体 9 pt, falling back to the installed CJK font where
// 宋体 is missing, and the Tahoma 8 pt of the password dialog.

#include <QFont>

namespace velka::ui {

QFont SongTiFont();
QFont TahomaFont();

}  // namespace velka::ui
