#pragma once
// Command-line words of one command: positional arguments and "--flag [value]" options.

#include <QString>
#include <QStringList>

#include <cstdint>
#include <initializer_list>
#include <map>
#include <stdexcept>

namespace velka::cli {

// A usage error: the command line itself is wrong (exit status 2).
class TUsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
    explicit TUsageError(const QString& Message) : std::runtime_error(Message.toStdString()) {}
};

// The operation failed (exit status 1).
class TFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
    explicit TFailure(const QString& Message) : std::runtime_error(Message.toStdString()) {}
};

struct TFlagRule {
    const char* Name;  // with its dashes: "--range"
    bool TakesValue;
};

class TCommandArgs {
public:
    // Words starting with "--" are options (all must be in Flags); "-5" is a positional number.
    // Raises TUsageError for an unknown option or a missing option value.
    TCommandArgs(const QStringList& Words, std::initializer_list<TFlagRule> Flags);

    const QStringList& Positionals() const { return Positionals_; }
    bool Has(const char* Flag) const { return Values_.count(QString::fromLatin1(Flag)) != 0; }
    QString Value(const char* Flag) const;

    // Raises TUsageError unless Min <= number of positionals <= Max.
    void ExpectPositionals(int Min, int Max) const;

private:
    QStringList Positionals_;
    std::map<QString, QString> Values_;
};

// Parsers for option values; each raises TUsageError naming What when Text does not fit.
int32_t ParseNumber(const QString& Text, const QString& What);
// "A:B"
std::pair<int32_t, int32_t> ParseRange(const QString& Text, const QString& What);
// "X,Y"
std::pair<int32_t, int32_t> ParsePair(const QString& Text, const QString& What);

}  // namespace velka::cli
