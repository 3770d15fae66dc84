#include "cli/cliargs.h"

#include "batch/inttext.h"

namespace velka::cli {

TCommandArgs::TCommandArgs(const QStringList& Words, std::initializer_list<TFlagRule> Flags)
{
    for (qsizetype I = 0; I < Words.size(); ++I) {
        const QString& Word = Words[I];
        if (!Word.startsWith(QStringLiteral("--"))) {
            Positionals_.append(Word);
            continue;
        }
        const TFlagRule* Rule = nullptr;
        for (const TFlagRule& Flag : Flags)
            if (Word == QLatin1String(Flag.Name)) Rule = &Flag;
        if (!Rule) throw TUsageError(QStringLiteral("unknown option ") + Word);
        QString Value;
        if (Rule->TakesValue) {
            if (I + 1 >= Words.size()) throw TUsageError(QStringLiteral("option %1 needs a value").arg(Word));
            Value = Words[++I];
        }
        Values_[Word] = Value;
    }
}

QString TCommandArgs::Value(const char* Flag) const
{
    const auto Found = Values_.find(QString::fromLatin1(Flag));
    return Found == Values_.end() ? QString() : Found->second;
}

void TCommandArgs::ExpectPositionals(int Min, int Max) const
{
    if (Positionals_.size() < Min) throw TUsageError(QStringLiteral("missing arguments"));
    if (Positionals_.size() > Max) throw TUsageError(QStringLiteral("unexpected argument ") + Positionals_[Max]);
}

int32_t ParseNumber(const QString& Text, const QString& What)
{
    int32_t Value = 0;
    if (!TryStrToIntText(Text, Value)) throw TUsageError(QStringLiteral("%1: not an integer: '%2'").arg(What, Text));
    return Value;
}

namespace {

std::pair<int32_t, int32_t> ParseTwo(const QString& Text, QChar Divider, const QString& What, const char* Form)
{
    const QStringList Parts = Text.split(Divider);
    if (Parts.size() != 2) throw TUsageError(QStringLiteral("%1: expected %2, got '%3'").arg(What, QLatin1String(Form), Text));
    return {ParseNumber(Parts[0], What), ParseNumber(Parts[1], What)};
}

}  // namespace

std::pair<int32_t, int32_t> ParseRange(const QString& Text, const QString& What)
{
    return ParseTwo(Text, u':', What, "A:B");
}

std::pair<int32_t, int32_t> ParsePair(const QString& Text, const QString& What)
{
    return ParseTwo(Text, u',', What, "X,Y");
}

}  // namespace velka::cli
