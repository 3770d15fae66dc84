#include "cli/clisupport.h"

#include "cli/cliargs.h"
#include "library/packageimages.h"
#include "library/wilimages.h"
#include "library/wzlimages.h"

#include <QFileInfo>

#include <cstdio>
#include <exception>

namespace velka::cli {

TPasswordEvent AnswerPassword(const QString& Password)
{
    return [Password](TWMImages&, QString& Answer) { Answer = Password; };
}

std::unique_ptr<TWMImages> OpenLibrary(const QString& FileName, const TGlobalOptions& Options)
{
    if (!QFileInfo(FileName).isFile()) throw TFailure(FileName + QStringLiteral(": file not found"));
    std::unique_ptr<TWMImages> Library = OpenImageLibrary(FileName, true);
    if (!Library) throw TFailure(FileName + QStringLiteral(": not a library file (.wil, .wis, .wzl or .data)"));
    Library->OnPassword = AnswerPassword(Options.Password);
    try {
        Library->Initialize();
    } catch (const std::exception& Error) {
        throw TFailure(FileName + QStringLiteral(": ") + QString::fromUtf8(Error.what()));
    }
    if (!Library->PasswordOK) throw TFailure(FileName + QStringLiteral(": wrong password"));
    return Library;
}

std::unique_ptr<TWMImages> OpenEditableLibrary(const QString& FileName, const TGlobalOptions& Options)
{
    std::unique_ptr<TWMImages> Library = OpenLibrary(FileName, Options);
    if (!Library->Editable) throw TFailure(FileName + QStringLiteral(": this library type is read-only"));
    return Library;
}

QString FormatName(const TWMImages& Library)
{
    if (dynamic_cast<const TWZLImages*>(&Library)) return QStringLiteral("WZL");
    if (dynamic_cast<const TWMPackageImages*>(&Library)) return QStringLiteral("DATA");
    if (UpperExtension(Library.FileName) == QStringLiteral(".WIS")) return QStringLiteral("WIS");
    return QStringLiteral("WIL");
}

void PrintLine(const QString& Line)
{
    std::fputs((Line + u'\n').toLocal8Bit().constData(), stdout);
}

void PrintError(const QString& Message)
{
    std::fflush(stdout);
    std::fputs((QStringLiteral("velka-tool: ") + Message + u'\n').toLocal8Bit().constData(), stderr);
}

TProgressLine::TProgressLine(const TGlobalOptions& Options, QString Label)
    : Enabled_(Options.ShowProgress), Label_(std::move(Label))
{
}

TProgressLine::~TProgressLine()
{
    if (Shown_) std::fputs("\n", stderr);
}

TProgressCallback TProgressLine::Callback()
{
    if (!Enabled_) return {};
    return [this](int Current, int Total) {
        Show(Current, Total);
        return true;
    };
}

void TProgressLine::Show(int Current, int Total)
{
    const auto Now = std::chrono::steady_clock::now();
    if (Shown_ && Current < Total && Now - LastShown_ < std::chrono::milliseconds(100)) return;
    LastShown_ = Now;
    Shown_ = true;
    const QString Text = QStringLiteral("\r%1 %2/%3").arg(Label_).arg(Current).arg(Total);
    std::fputs(Text.toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
}

}  // namespace velka::cli
