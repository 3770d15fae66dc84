#pragma once
// What every widget test program needs: one application object, and screenshots of what it
// shows. Only the editor's tests include it (they link the widgets).

#include <QApplication>
#include <QDir>
#include <QString>
#include <QWidget>

#include <gtest/gtest.h>

namespace velka::test {

inline QApplication& TestApplication()
{
    static int Argc = 1;
    static char Name[] = "velka-ui-tests";
    static char* Argv[] = {Name, nullptr};
    static auto* App = new QApplication(Argc, Argv);  // lives until the process ends
    return *App;
}

inline QString ScreenshotPath(const QString& Name)
{
    QDir().mkpath(QStringLiteral(VELKA_SCREENSHOT_DIR));
    return QStringLiteral(VELKA_SCREENSHOT_DIR "/") + Name + QStringLiteral(".png");
}

inline void SaveScreenshot(QWidget& Widget, const QString& Name)
{
    EXPECT_TRUE(Widget.grab().save(ScreenshotPath(Name))) << Name.toStdString();
}

}  // namespace velka::test
