#include "ui/main/browser.h"

#include <QDir>
#include <QFileInfo>
#include <QSignalBlocker>
#include <QStorageInfo>
#include <QStyle>

#include <algorithm>

namespace velka::ui {

namespace {

constexpr int PathRole = Qt::UserRole;

QString CleanDirectory(const QString& Path) { return QDir::cleanPath(QFileInfo(Path).absoluteFilePath()); }

bool IsInside(const QString& Path, const QString& Root)
{
    if (Root == QLatin1String("/")) return true;
    return Path == Root || Path.startsWith(Root + QLatin1Char('/'));
}

}  // namespace

TDriveComboBox::TDriveComboBox(QWidget* Parent) : QComboBox(Parent)
{
    ReadVolumes();
    connect(this, &QComboBox::activated, this, [this] { emit driveChanged(Drive()); });
}

void TDriveComboBox::ReadVolumes()
{
    const QString Selected = Drive();
    QStringList Roots;
    for (const QStorageInfo& Volume : QStorageInfo::mountedVolumes())
        if (Volume.isValid() && Volume.isReady()) Roots.append(Volume.rootPath());
    if (!Roots.contains(QStringLiteral("/"))) Roots.append(QStringLiteral("/"));
    Roots.removeDuplicates();
    std::sort(Roots.begin(), Roots.end());
    const QSignalBlocker Blocker(this);
    clear();
    for (const QString& Root : Roots) addItem(style()->standardIcon(QStyle::SP_DriveHDIcon), Root, Root);
    const int Keep = findData(Selected);
    setCurrentIndex(Keep >= 0 ? Keep : 0);
}

QString TDriveComboBox::Drive() const { return currentData().toString(); }

void TDriveComboBox::SetDriveFor(const QString& Path)
{
    const QString Clean = CleanDirectory(Path);
    int Best = -1;
    qsizetype BestLength = -1;
    for (int I = 0; I < count(); ++I) {
        const QString Root = itemData(I).toString();
        if (IsInside(Clean, Root) && Root.size() > BestLength) {
            Best = I;
            BestLength = Root.size();
        }
    }
    const QSignalBlocker Blocker(this);
    if (Best >= 0) setCurrentIndex(Best);
}

TDirectoryListBox::TDirectoryListBox(QWidget* Parent) : QListWidget(Parent)
{
    connect(this, &QListWidget::itemActivated, this, [this](QListWidgetItem* Item) {
        const QString Path = Item->data(PathRole).toString();
        if (Path == Directory_) return;
        SetDirectory(Path);
        emit directoryChanged(Directory_);
    });
}

void TDirectoryListBox::SetDirectory(const QString& Path)
{
    Directory_ = CleanDirectory(Path);
    const QSignalBlocker Blocker(this);
    clear();
    QStringList Parts = Directory_.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString Walk = QStringLiteral("/");
    AddEntry(Walk, Walk, 0, true);
    int Level = 1;
    for (const QString& Part : Parts) {
        Walk = QDir(Walk).filePath(Part);
        AddEntry(Part, Walk, Level++, true);
    }
    setCurrentRow(count() - 1);
    const QDir Folder(Directory_);
    const QStringList Children =
        Folder.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name | QDir::IgnoreCase);
    for (const QString& Child : Children) AddEntry(Child, Folder.filePath(Child), Level, false);
}

void TDirectoryListBox::AddEntry(const QString& Text, const QString& Path, int Level, bool Open)
{
    auto* Item = new QListWidgetItem(style()->standardIcon(Open ? QStyle::SP_DirOpenIcon : QStyle::SP_DirClosedIcon),
                                     QString(Level * 2, QLatin1Char(' ')) + Text, this);
    Item->setData(PathRole, Path);
    Item->setToolTip(Path);
}

TFileListBox::TFileListBox(QWidget* Parent) : QListWidget(Parent)
{
    connect(this, &QListWidget::currentRowChanged, this, [this] { emit fileChanged(); });
}

void TFileListBox::SetMask(const QString& Mask)
{
    Mask_ = Mask;
    ReadFiles();
}

void TFileListBox::SetDirectory(const QString& Path)
{
    Directory_ = CleanDirectory(Path);
    ReadFiles();
}

QString TFileListBox::FileName() const
{
    const QListWidgetItem* Item = currentItem();
    return Item && Item->isSelected() ? QDir(Directory_).filePath(Item->text()) : QString();
}

void TFileListBox::ReadFiles()
{
    const QSignalBlocker Blocker(this);
    clear();
    if (Directory_.isEmpty()) return;
    const QStringList Patterns = Mask_.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    // Without QDir::CaseSensitive the patterns match any letter case.
    const QStringList Files =
        QDir(Directory_).entryList(Patterns, QDir::Files | QDir::Hidden, QDir::Name | QDir::IgnoreCase);
    addItems(Files);
}

}  // namespace velka::ui
