#include "ui/batch/batchwidgets.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QToolButton>

#include <algorithm>
#include <cmath>

namespace velka::ui {

TBatchRadioGroup::TBatchRadioGroup(const QString& ObjectName, const QString& Caption, const QStringList& Items, int Columns,
                         QWidget* Parent)
    : QGroupBox(Caption, Parent), Buttons_(new QButtonGroup(this))
{
    setObjectName(ObjectName);
    auto* Grid = new QGridLayout(this);
    const int ColumnCount = std::max(1, Columns);
    const int Rows = (int(Items.size()) + ColumnCount - 1) / ColumnCount;
    for (int I = 0; I < Items.size(); ++I) {
        auto* Button = new QRadioButton(Items[I], this);
        Button->setObjectName(ObjectName + QStringLiteral("Item%1").arg(I));
        Buttons_->addButton(Button, I);
        Grid->addWidget(Button, I % Rows, I / Rows);
    }
    connect(Buttons_, &QButtonGroup::idToggled, this, [this](int Id, bool Checked) {
        if (Checked)
            emit ItemIndexChanged(Id);
    });
}

int TBatchRadioGroup::ItemIndex() const { return Buttons_->checkedId(); }

void TBatchRadioGroup::SetItemIndex(int Index)
{
    if (QAbstractButton* Button = Buttons_->button(Index))
        Button->setChecked(true);
}

QRadioButton* TBatchRadioGroup::Item(int Index) const { return qobject_cast<QRadioButton*>(Buttons_->button(Index)); }

int TBatchRadioGroup::Count() const { return int(Buttons_->buttons().size()); }

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

QLineEdit* MakeNumberEdit(const QString& ObjectName, QWidget* Parent)
{
    auto* Edit = new QLineEdit(Parent);
    Edit->setObjectName(ObjectName);
    Edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Edit->setFixedWidth(90);
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

QString FolderPart(const QString& Path)
{
    const qsizetype Separator = std::max(Path.lastIndexOf(QLatin1Char('/')), Path.lastIndexOf(QLatin1Char('\\')));
    return Path.left(Separator + 1);
}

}  // namespace velka::ui
