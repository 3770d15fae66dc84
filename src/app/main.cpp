// velka-editor [LIBRARY]: the library editor, opening LIBRARY at start-up when given.
#include "app/velkaapplication.h"
#include "ui/main/pixlooker.h"

#include <QFileInfo>
#include <QLibraryInfo>
#include <QTranslator>

#include <cstdio>
#include <cstring>

namespace {

void PrintUsage(std::FILE* To) { std::fputs("usage: velka-editor [LIBRARY]\n", To); }

}  // namespace

int main(int argc, char** argv)
{
    // The help is answered before the application needs a display.
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        PrintUsage(stdout);
        return 0;
    }
    velka::ui::TVelkaApplication App(argc, argv);
    // Counted only now: the application has taken its own options (-style, -platform, ...) out.
    if (App.arguments().size() > 2) {
        PrintUsage(stderr);
        return 2;
    }
    // Qt's own dialogs speak Chinese too when its translations are installed.
    QTranslator QtTexts;
    if (QtTexts.load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        App.installTranslator(&QtTexts);
    const QStringList Arguments = App.arguments();

    auto* Window = new velka::ui::TuPixlooker;
    Window->setAttribute(Qt::WA_DeleteOnClose);
    Window->show();
    if (Arguments.size() == 2) {
        const QFileInfo Library(Arguments[1]);
        Window->BrowseFolder(Library.absolutePath());
        App.RunGuarded(Window, [&] { Window->OpenLibrary(Library.absoluteFilePath()); });
    }
    return App.exec();
}
