// velka-tool: the batch tools and single library edits for scripts.
#include "cli/cliargs.h"
#include "cli/commands.h"

#include <QCoreApplication>

#include <cstdio>
#include <exception>
#include <unistd.h>

using namespace velka::cli;

namespace {

constexpr int ExitFailure = 1;
constexpr int ExitUsage = 2;

void PrintToolHelp()
{
    PrintLine(QStringLiteral("usage: velka-tool [--password PW] COMMAND ...\n\ncommands:"));
    for (const TCommand& Command : Commands())
        PrintLine(QStringLiteral("  ") + QString::fromUtf8(Command.Synopsis));
    PrintLine(QStringLiteral(
        "\n  --password PW  the image password of a protected DATA library\n"
        "\n'velka-tool COMMAND --help' describes a command. Exit status: 0 success, 1 failure\n"
        "(also of some images or files), 2 usage error."));
}

void PrintCommandHelp(const TCommand& Command)
{
    PrintLine(QStringLiteral("usage: velka-tool [--password PW] ") + QString::fromUtf8(Command.Synopsis) +
              QStringLiteral("\n\n") + QString::fromUtf8(Command.Help));
}

const TCommand* FindCommand(const QString& Name)
{
    for (const TCommand& Command : Commands())
        if (Name == QLatin1String(Command.Name)) return &Command;
    return nullptr;
}

int UsageError(const QString& Message, const TCommand* Command)
{
    PrintError(Message);
    const QString Hint = Command ? QStringLiteral("velka-tool %1 --help").arg(QLatin1String(Command->Name))
                                 : QStringLiteral("velka-tool --help");
    std::fputs(QStringLiteral("Try '%1'.\n").arg(Hint).toLocal8Bit().constData(), stderr);
    return ExitUsage;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication Application(argc, argv);
    QStringList Words = Application.arguments().mid(1);
    TGlobalOptions Options;
    Options.ShowProgress = isatty(STDERR_FILENO) != 0;
    while (!Words.isEmpty() && Words.front() == QStringLiteral("--password")) {
        if (Words.size() < 2) return UsageError(QStringLiteral("option --password needs a value"), nullptr);
        Options.Password = Words[1];
        Words = Words.mid(2);
    }
    if (Words.isEmpty()) return UsageError(QStringLiteral("no command given"), nullptr);
    if (Words.front() == QStringLiteral("--help") || Words.front() == QStringLiteral("-h")) {
        PrintToolHelp();
        return 0;
    }
    const TCommand* Command = FindCommand(Words.front());
    if (!Command) return UsageError(QStringLiteral("unknown command ") + Words.front(), nullptr);
    Words.removeFirst();
    if (Words.contains(QStringLiteral("--help")) || Words.contains(QStringLiteral("-h"))) {
        PrintCommandHelp(*Command);
        return 0;
    }
    try {
        return Command->Run(Words, Options);
    } catch (const TUsageError& Error) {
        return UsageError(QString::fromUtf8(Error.what()), Command);
    } catch (const std::exception& Error) {
        PrintError(QString::fromUtf8(Error.what()));
        return ExitFailure;
    }
}
