#include "app/velkaapplication.h"

#include "ui/main/messagebox.h"

#include <exception>

namespace velka::ui {

namespace {

QString CurrentFailure()
{
    try {
        throw;
    } catch (const std::exception& Error) {
        return QString::fromUtf8(Error.what());
    } catch (...) {
        return QStringLiteral("未知错误");
    }
}

}  // namespace

TVelkaApplication::TVelkaApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("velka-editor"));
}

bool TVelkaApplication::notify(QObject* Receiver, QEvent* Event)
{
    try {
        return QApplication::notify(Receiver, Event);
    } catch (...) {
        ShowMessage(activeWindow(), CurrentFailure());
        return false;
    }
}

void TVelkaApplication::RunGuarded(QWidget* Parent, const std::function<void()>& Action)
{
    try {
        Action();
    } catch (...) {
        ShowMessage(Parent, CurrentFailure());
    }
}

}  // namespace velka::ui
