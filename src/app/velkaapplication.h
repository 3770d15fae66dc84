#pragma once
// The editor's application object: whatever an event handler lets escape is shown to the user
// in the editor's message box instead of ending the program.

#include <QApplication>

#include <functional>

namespace velka::ui {

class TVelkaApplication : public QApplication {
public:
    TVelkaApplication(int& argc, char** argv);

    bool notify(QObject* Receiver, QEvent* Event) override;
    // Runs Action; a failure is shown in a message box over Parent.
    void RunGuarded(QWidget* Parent, const std::function<void()>& Action);
};

}  // namespace velka::ui
