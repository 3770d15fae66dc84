#include "batch/placement.h"

#include "batch/filelists.h"
#include "batch/inttext.h"
#include "library/errors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace velka {

namespace {

QString PlacementFolder(const QString& PictureFile)
{
    return FolderPart(PictureFile) + QLatin1String(PlacementFolderName) + u'/';
}

QString AsciiLower(QString Text)
{
    for (QChar& C : Text)
        if (C >= u'A' && C <= u'Z') C = QChar(C.unicode() + (u'a' - u'A'));
    return Text;
}

// Lines end at CR LF, a lone LF or a lone CR; a NUL ends the text; a final line break does
// not start another line.
QStringList SplitPlacementLines(const QByteArray& Bytes)
{
    QStringList Lines;
    QString Line;
    bool LineOpen = false;
    for (qsizetype I = 0; I < Bytes.size(); ++I) {
        const char C = Bytes[I];
        if (C == '\0') break;
        if (C == '\r' || C == '\n') {
            Lines.append(Line);
            Line.clear();
            LineOpen = false;
            if (C == '\r' && I + 1 < Bytes.size() && Bytes[I + 1] == '\n') ++I;
            continue;
        }
        Line.append(QChar::fromLatin1(C));
        LineOpen = true;
    }
    if (LineOpen) Lines.append(Line);
    return Lines;
}

// The placement file as the picture's name gives it, or as the exporter writes it (lower
// case): on a case-sensitive file system the two can differ.
QString ExistingPlacementFile(const QString& PictureFile)
{
    const QString Exact = PlacementFolder(PictureFile) + ExtractNameOnly(PictureFile) + QStringLiteral(".txt");
    if (QFileInfo(Exact).isFile()) return Exact;
    const QString Lower = PlacementFileName(PictureFile);
    if (QFileInfo(Lower).isFile()) return Lower;
    return {};
}

}  // namespace

QString PlacementFileName(const QString& PictureFile)
{
    return PlacementFolder(PictureFile) + AsciiLower(ExtractNameOnly(PictureFile)) + QStringLiteral(".txt");
}

void ReadPlacement(const QString& PictureFile, QPoint& Offset, uint8_t& Flag)
{
    Offset = QPoint(0, 0);
    const QString Name = ExistingPlacementFile(PictureFile);
    if (Name.isEmpty()) return;
    QFile File(Name);
    if (!File.open(QIODevice::ReadOnly))
        throw EFOpenError("Cannot open file \"" + Name.toStdString() + "\": " + File.errorString().toStdString());
    const QByteArray Bytes = File.readAll();
    if (File.error() != QFileDevice::NoError)
        throw EStreamError("Cannot read file \"" + Name.toStdString() + "\": " + File.errorString().toStdString());
    const QStringList Lines = SplitPlacementLines(Bytes);
    if (Lines.size() >= 1) Offset.setX(IntText(Lines[0]));
    if (Lines.size() >= 2) Offset.setY(IntText(Lines[1]));
    if (Flag != 2 && Lines.size() >= 3) Flag = static_cast<uint8_t>(IntText(Lines[2]) & 0xFF);
}

void WritePlacement(const QString& PictureFile, QPoint Offset, uint8_t Flag)
{
    const QString Folder = PlacementFolder(PictureFile);
    if (!QFileInfo(Folder).isDir() && !QDir().mkdir(Folder))
        throw EFOpenError("Unable to create directory \"" + Folder.toStdString() + "\"");
    const QString Name = PlacementFileName(PictureFile);
    QFile File(Name);
    if (!File.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw EFOpenError("Cannot create file \"" + Name.toStdString() + "\": " + File.errorString().toStdString());
    const QByteArray Text = QByteArray::number(Offset.x()) + "\r\n" + QByteArray::number(Offset.y()) + "\r\n" +
                            QByteArray::number(Flag) + "\r\n";
    if (File.write(Text) != Text.size() || !File.flush())
        throw EStreamError("Cannot write file \"" + Name.toStdString() + "\": " + File.errorString().toStdString());
}

}  // namespace velka
