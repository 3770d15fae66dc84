#pragma once
// A main window per test with every modal step answered by the test, and a temporary folder.

#include "main_fixtures.h"

#include "ui/main/drawgrid.h"

#include <QAction>

#include <memory>

namespace velka::test {

class MainWindowTest : public TempDirTest {
protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        TestApplication();
        Window = std::make_unique<ui::TuPixlooker>();
        // A test that reaches a dialog it did not answer fails instead of hanging.
        ui::TPixlookerRunners& R = Window->Runners;
        R.FileDialog = [this](QWidget*, ui::TFileDialogSettings& Settings) {
            FileDialogs.push_back(Settings);
            if (FileAnswers.empty()) return false;
            Settings.FileName = FileAnswers.front();
            FileAnswers.erase(FileAnswers.begin());
            return !Settings.FileName.isEmpty();
        };
        R.Password = [this](QWidget*, const QString& Prompt, QString& Password) {
            Prompts.push_back(Prompt);
            Password = PasswordAnswer;
            return PasswordAccepted;
        };
        R.ImageInput = [](QWidget*, int&, int&, int&) {
            ADD_FAILURE() << "unexpected image input dialog";
            return false;
        };
        R.DeleteImages = [](QWidget*, TWMImages*, int, int) { ADD_FAILURE() << "unexpected delete dialog"; };
        R.XYEditor = [](QWidget*, ui::TXYEditorValues&) {
            ADD_FAILURE() << "unexpected offset editor";
            return false;
        };
        R.CreateData = [](QWidget*, int&) {
            ADD_FAILURE() << "unexpected new-library dialog";
            return false;
        };
        R.BatchImport = [](TWMImages*, int, QWidget*) { ADD_FAILURE() << "unexpected batch import"; };
        R.BatchExport = [](TWMImages*, int, int, QWidget*) { ADD_FAILURE() << "unexpected batch export"; };
        R.Convert = [](ui::TfrmConvertDlg&) { ADD_FAILURE() << "unexpected converter"; };
    }

    // Opens Path through 打开文件 and its file dialog.
    void OpenThroughDialog(const QString& Path)
    {
        FileAnswers = {Path};
        Window->BtnOpen->trigger();
    }

    void SelectImage(int Index) { Window->DrawGrid->SelectCellAt(Index % 10, Index / 10); }

    TWMImages* Library() const { return Window->Images.get(); }

    // The enabled state of the buttons that depend on the library, in tool-bar order:
    // import, export, batch import, batch export, delete, offsets, password.
    std::vector<bool> LibraryButtons() const
    {
        const ui::TuPixlooker& W = *Window;
        return {W.BtnImport->isEnabled(), W.BtnExport->isEnabled(), W.BtnImportMore->isEnabled(),
                W.BtnExportMore->isEnabled(), W.BtnDelete->isEnabled(), W.BtnOffset->isEnabled(),
                W.BtnEncRes->isEnabled()};
    }

    TMessageLog Log;
    std::unique_ptr<ui::TuPixlooker> Window;
    std::vector<QString> FileAnswers;  // the names the file dialogs return, in order (then cancel)
    std::vector<ui::TFileDialogSettings> FileDialogs;
    QStringList Prompts;
    QString PasswordAnswer;
    bool PasswordAccepted = true;
};

inline const std::vector<bool> NoLibraryButtons{false, false, false, false, false, false, false};
inline const std::vector<bool> EditableButtons{true, true, true, true, true, true, false};
inline const std::vector<bool> EditableDataButtons{true, true, true, true, true, true, true};
inline const std::vector<bool> ReadOnlyButtons{false, true, false, true, false, false, false};

}  // namespace velka::test
