#pragma once
// The drive / folder / file column of the library browser.

#include <QComboBox>
#include <QListWidget>
#include <QString>
#include <QStringList>

namespace velka::ui {

// The mounted volumes, by their root paths.
class TDriveComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit TDriveComboBox(QWidget* Parent = nullptr);

    // Re-reads the mounted volumes, keeping the selected one where it still exists.
    void ReadVolumes();
    QString Drive() const;
    // Selects the volume that holds Path (the one with the longest matching root).
    void SetDriveFor(const QString& Path);

signals:
    // The user chose another volume.
    void driveChanged(const QString& Root);
};

// The current folder with its parents above it and its sub-folders below it; activating an
// entry (double click or Enter) makes it the current folder.
class TDirectoryListBox : public QListWidget {
    Q_OBJECT
public:
    explicit TDirectoryListBox(QWidget* Parent = nullptr);

    QString Directory() const { return Directory_; }
    void SetDirectory(const QString& Path);

signals:
    void directoryChanged(const QString& Path);

private:
    void AddEntry(const QString& Text, const QString& Path, int Level, bool Open);

    QString Directory_;
};

// The files of one folder that match the mask (patterns separated by ';', any letter case).
class TFileListBox : public QListWidget {
    Q_OBJECT
public:
    explicit TFileListBox(QWidget* Parent = nullptr);

    QString Mask() const { return Mask_; }
    void SetMask(const QString& Mask);
    QString Directory() const { return Directory_; }
    void SetDirectory(const QString& Path);
    // The full path of the selected file; empty when none is selected.
    QString FileName() const;

signals:
    // The selection changed (to a file, or to none).
    void fileChanged();

private:
    void ReadFiles();

    QString Mask_;
    QString Directory_;
};

}  // namespace velka::ui
