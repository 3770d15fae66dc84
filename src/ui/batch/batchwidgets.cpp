#include "ui/batch/batchwidgets.h"

#include "ui/main/dialogparts.h"

#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QStyleOptionButton>
#include <QToolButton>

#include <algorithm>
#include <cmath>

namespace velka::ui {

TButtonEdit MakeButtonEdit(const QString& ObjectName, QWidget* Parent)
{
    TButtonEdit Result;
    Result.Edit = new QLineEdit(Parent);
    Result.Edit->setObjectName(ObjectName);
    Result.Edit->setMinimumWidth(300);
    Result.Button = new QToolButton(Parent);
    Result.Button->setObjectName(ObjectName + QStringLiteral("Button"));
    Result.Button->setText(QStringLiteral("..."));
    Result.Row = new QHBoxLayout;
    Result.Row->setSpacing(2);
    Result.Row->addWidget(Result.Edit, 1);
    Result.Row->addWidget(Result.Button);
    return Result;
}

TButtonEdit MakePictureFolderRow(const QString& Caption, QWidget* Parent)
{
    const TButtonEdit Folder = MakeButtonEdit(QStringLiteral("EditFileDir"), Parent);
    Folder.Edit->setText(QDir::homePath() + QStringLiteral("/images/"));
    auto* Label = new QLabel(Caption, Parent);
    Label->setBuddy(Folder.Edit);
    Folder.Row->insertWidget(0, Label);
    return Folder;
}

QLineEdit* MakeNumberEdit(const QString& ObjectName, QWidget* Parent)
{
    QLineEdit* Edit = RightAlignedEdit(ObjectName, QString(), Parent);
    Edit->setFixedWidth(NumberEditWidth);
    return Edit;
}

QProgressBar* MakeProgressBar(const QString& ObjectName, QWidget* Parent)
{
    auto* Bar = new QProgressBar(Parent);
    Bar->setObjectName(ObjectName);
    Bar->setTextVisible(false);
    Bar->setFixedHeight(16);
    SetProgress(Bar, 0, 100);
    return Bar;
}

void SetProgress(QProgressBar* Bar, int Current, int Total)
{
    if (Total <= 0) {
        Bar->setRange(0, 1);
        Bar->setValue(0);
        return;
    }
    Bar->setRange(0, Total);
    Bar->setValue(std::clamp(Current, 0, Total));
}

TGapCheckBox::TGapCheckBox(const QString& ObjectName, const QString& Caption, QWidget* Parent)
    : QCheckBox(Caption, Parent)
{
    setObjectName(ObjectName);
}

void TGapCheckBox::AttachToGap(int Gap, QWidget* Editor)
{
    Editor->setParent(this);
    Editors_.emplace_back(Gap, Editor);
    setMinimumHeight(std::max(minimumHeight(), Editor->sizeHint().height()));
    WidenGaps();
    PlaceEditors();
}

void TGapCheckBox::resizeEvent(QResizeEvent* Event)
{
    QCheckBox::resizeEvent(Event);
    PlaceEditors();
}

std::vector<std::pair<int, int>> TGapCheckBox::Gaps() const
{
    std::vector<std::pair<int, int>> Result;
    const QString Caption = text();
    for (int I = 0; I < Caption.size();) {
        if (Caption[I] != QLatin1Char(' ')) {
            ++I;
            continue;
        }
        int End = I;
        while (End < Caption.size() && Caption[End] == QLatin1Char(' '))
            ++End;
        Result.emplace_back(I, End - I);
        I = End;
    }
    return Result;
}

// Word spacing widens every blank alike, so the caption text stays exactly as given.
void TGapCheckBox::WidenGaps()
{
    const auto Runs = Gaps();
    QFont Wider = font();
    Wider.setWordSpacing(0);
    const QFontMetrics Plain(Wider);
    qreal Extra = 0;
    for (const auto& [Gap, Editor] : Editors_) {
        if (Gap < 0 || Gap >= int(Runs.size()))
            continue;
        const int Blanks = Runs[Gap].second;
        const int Needed = Editor->sizeHint().width() + 8;
        const int Have = Plain.horizontalAdvance(QString(Blanks, QLatin1Char(' ')));
        if (Needed > Have)
            Extra = std::max(Extra, qreal(Needed - Have) / Blanks);
    }
    Wider.setWordSpacing(std::ceil(Extra));
    setFont(Wider);
    updateGeometry();
}

void TGapCheckBox::PlaceEditors()
{
    QStyleOptionButton Option;
    initStyleOption(&Option);
    const QRect Contents = style()->subElementRect(QStyle::SE_CheckBoxContents, &Option, this);
    const QFontMetrics Metrics(font());
    const QString Caption = text();
    const auto Runs = Gaps();
    for (const auto& [Gap, Editor] : Editors_) {
        if (Gap < 0 || Gap >= int(Runs.size()))
            continue;
        const auto [Start, Length] = Runs[Gap];
        const int Left = Contents.left() + Metrics.horizontalAdvance(Caption.left(Start));
        const int Width = Metrics.horizontalAdvance(Caption.mid(Start, Length));
        const int Height = Editor->sizeHint().height();
        Editor->setGeometry(Left + 4, (height() - Height) / 2, Width - 8, Height);
    }
}

}  // namespace velka::ui
