#include "batch/filelists.h"

#include "batch/inttext.h"

#include <QDir>

#include <algorithm>

namespace velka {

namespace {

bool IsPathSeparator(QChar C) { return C == u'/' || C == u'\\'; }

// Index just behind the last separator (0 when there is none).
qsizetype NameStart(const QString& FileName)
{
    for (qsizetype I = FileName.size(); I > 0; --I)
        if (IsPathSeparator(FileName[I - 1])) return I;
    return 0;
}

// The extension from the last '.' of the name part, dot included; empty when there is none.
QString ExtensionOf(const QString& FileName)
{
    const qsizetype Dot = FileName.lastIndexOf(u'.');
    if (Dot < NameStart(FileName)) return {};
    return FileName.mid(Dot);
}

// Extension compared without regard to ASCII case (file names may hold any characters).
bool SameAsciiText(const QString& A, const QString& B)
{
    return A.compare(B, Qt::CaseInsensitive) == 0;
}

QDir::Filters EveryEntryKind()
{
    return QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
}

template <typename Accept>
void ListFolder(const QString& Folder, QStringList& List, const std::function<bool()>& KeepGoing, Accept Accepts)
{
    const QString Prefix = WithTrailingSeparator(Folder);
    const QFileInfoList Entries = QDir(Folder).entryInfoList(EveryEntryKind(), QDir::Unsorted);
    for (const QFileInfo& Entry : Entries) {
        if (Accepts(Entry)) List.append(Prefix + Entry.fileName());
        if (KeepGoing && !KeepGoing()) return;
    }
}

}  // namespace

QString FolderPart(const QString& FileName) { return FileName.left(NameStart(FileName)); }

QString ExtractNameOnly(const QString& FileName)
{
    const QString Name = FileName.mid(NameStart(FileName));
    return Name.left(Name.size() - ExtensionOf(FileName).size());
}

QString ExtractNameBeforeExt(const QString& FileName)
{
    const QString Name = FileName.mid(NameStart(FileName));
    const QString Extension = ExtensionOf(FileName);
    if (Extension.isEmpty()) return Name;
    return Name.left(Name.indexOf(Extension, 0, Qt::CaseSensitive));
}

QString SplitFirstToken(const QString& Source, QString& Token, const QString& Dividers)
{
    Token.clear();
    constexpr qsizetype MaxSourceLength = 199999;
    if (Source.isEmpty() || Source.size() >= MaxSourceLength) return {};
    qsizetype I = 0;
    while (I < Source.size() && Dividers.contains(Source[I])) ++I;
    const qsizetype Begin = I;
    while (I < Source.size() && !Dividers.contains(Source[I])) ++I;
    Token = Source.mid(Begin, I - Begin);
    return I < Source.size() ? Source.mid(I + 1) : QString();
}

QString TrimBlanks(const QString& Text)
{
    qsizetype Begin = 0;
    qsizetype End = Text.size();
    while (Begin < End && Text[Begin].unicode() <= u' ') ++Begin;
    while (End > Begin && Text[End - 1].unicode() <= u' ') --End;
    return Text.mid(Begin, End - Begin);
}

QString WithTrailingSeparator(const QString& Folder)
{
    if (Folder.isEmpty() || Folder.endsWith(u'/')) return Folder;
    return Folder + u'/';
}

bool IsPictureFile(const QFileInfo& Entry)
{
    if (Entry.isDir()) return false;
    const QString Extension = ExtensionOf(Entry.fileName());
    return SameAsciiText(Extension, QStringLiteral(".bmp")) || SameAsciiText(Extension, QStringLiteral(".png"));
}

bool ListPictureFiles(const QString& Folder, QStringList& List, const std::function<bool()>& KeepGoing)
{
    ListFolder(Folder, List, KeepGoing, [](const QFileInfo& Entry) { return IsPictureFile(Entry); });
    return true;
}

void ListFilesByExt(const QString& Folder, const QString& Extension, QStringList& List,
                    const std::function<bool()>& KeepGoing)
{
    ListFolder(Folder, List, KeepGoing, [&](const QFileInfo& Entry) {
        return !Entry.isDir() && SameAsciiText(ExtensionOf(Entry.fileName()), Extension);
    });
}

int CompareByFileNumber(const QString& A, const QString& B)
{
    const int32_t NumberA = IntText(ExtractNameOnly(A));
    const int32_t NumberB = IntText(ExtractNameOnly(B));
    return NumberA < NumberB ? -1 : (NumberA > NumberB ? 1 : 0);
}

void SortByFileNumber(QStringList& List)
{
    std::stable_sort(List.begin(), List.end(),
                     [](const QString& A, const QString& B) { return CompareByFileNumber(A, B) < 0; });
}

}  // namespace velka
