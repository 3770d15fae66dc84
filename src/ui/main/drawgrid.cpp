#include "ui/main/drawgrid.h"

#include "library/graphic.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

namespace velka::ui {

QRect FittedRect(int Width, int Height, const QRect& Target)
{
    const int RW = Target.width();
    const int RH = Target.height();
    if (Width <= RW && Height <= RH) return QRect(Target.left(), Target.top(), Width, Height);
    const double Scale = std::min(double(RW) / Width, double(RH) / Height);
    // nearbyint under the default rounding mode rounds ties to even.
    const int W = static_cast<int>(std::nearbyint(Width * Scale));
    const int H = static_cast<int>(std::nearbyint(Height * Scale));
    return QRect(Target.left(), Target.top(), W, H);
}

void DrawFitted(const TGraphic& Graphic, QPainter& Painter, const QRect& Target)
{
    if (Graphic.Empty()) return;
    const QRect Into = FittedRect(Graphic.Width(), Graphic.Height(), Target);
    if (Into.isEmpty()) return;
    Painter.save();
    Painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    Painter.drawImage(Into, Graphic.ToImage());
    Painter.restore();
}

TDrawGrid::TDrawGrid(QWidget* Parent) : QAbstractScrollArea(Parent)
{
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAutoFillBackground(false);
    verticalScrollBar()->setSingleStep(1);
    UpdateScrollBars();
}

void TDrawGrid::SetColCount(int Count)
{
    ColCount_ = std::max(1, Count);
    MoveCurrent({std::min(Current_.x(), ColCount_ - 1), Current_.y()}, false);
    UpdateScrollBars();
    viewport()->update();
}

void TDrawGrid::SetRowCount(int Count)
{
    RowCount_ = std::max(1, Count);
    // Like a list that shrinks under its cursor: the current cell and the range stay inside.
    const QPoint Clamped(Current_.x(), std::min(Current_.y(), RowCount_ - 1));
    Anchor_.setY(std::min(Anchor_.y(), RowCount_ - 1));
    Current_ = Clamped;
    UpdateScrollBars();
    viewport()->update();
}

void TDrawGrid::SelectCellAt(int Col, int Row, bool Extend)
{
    const QPoint Cell(std::clamp(Col, 0, ColCount_ - 1), std::clamp(Row, 0, RowCount_ - 1));
    MoveCurrent(Cell, Extend);
    MakeVisible(Cell);
    viewport()->update();
    emit selectCell(Cell.x(), Cell.y());
}

void TDrawGrid::MoveCurrent(const QPoint& Cell, bool Extend)
{
    Current_ = Cell;
    if (!Extend) Anchor_ = Cell;
}

QRect TDrawGrid::Selection() const { return QRect(Anchor_, Current_).normalized(); }

int TDrawGrid::TopRow() const { return verticalScrollBar()->value(); }

void TDrawGrid::SetTopRow(int Row) { verticalScrollBar()->setValue(Row); }

QRect TDrawGrid::CellRect(int Col, int Row) const
{
    return QRect(Col * Pitch() - horizontalScrollBar()->value(), (Row - TopRow()) * Pitch(), DefaultColWidth,
                 DefaultRowHeight);
}

QPoint TDrawGrid::CellAt(const QPoint& Position) const
{
    const int X = Position.x() + horizontalScrollBar()->value();
    if (X < 0 || Position.y() < 0) return {-1, -1};
    const int Col = X / Pitch();
    const int Row = TopRow() + Position.y() / Pitch();
    if (Col >= ColCount_ || Row >= RowCount_) return {-1, -1};
    return {Col, Row};
}

QColor TDrawGrid::SelectionColor() const { return palette().color(QPalette::Active, QPalette::Highlight); }

int TDrawGrid::VisibleRows() const { return std::max(1, viewport()->height() / Pitch()); }

void TDrawGrid::UpdateScrollBars()
{
    verticalScrollBar()->setRange(0, std::max(0, RowCount_ - VisibleRows()));
    verticalScrollBar()->setPageStep(VisibleRows());
    const int ContentWidth = ColCount_ * Pitch();
    horizontalScrollBar()->setRange(0, std::max(0, ContentWidth - viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setSingleStep(Pitch() / 4);
}

void TDrawGrid::MakeVisible(const QPoint& Cell)
{
    if (Cell.y() < TopRow())
        SetTopRow(Cell.y());
    else if (Cell.y() >= TopRow() + VisibleRows())
        SetTopRow(Cell.y() - VisibleRows() + 1);
    const int Left = Cell.x() * Pitch();
    QScrollBar* Horizontal = horizontalScrollBar();
    if (Left < Horizontal->value())
        Horizontal->setValue(Left);
    else if (Left + DefaultColWidth > Horizontal->value() + viewport()->width())
        Horizontal->setValue(Left + DefaultColWidth - viewport()->width());
}

void TDrawGrid::paintEvent(QPaintEvent*)
{
    QPainter Painter(viewport());
    Painter.fillRect(viewport()->rect(), Qt::white);
    const QRect Selected = Selection();
    const QColor Highlight = SelectionColor();
    const int Height = viewport()->height();
    const int Width = viewport()->width();
    for (int Row = TopRow(); Row < RowCount_; ++Row) {
        const int Top = (Row - TopRow()) * Pitch();
        if (Top >= Height) break;
        for (int Col = 0; Col < ColCount_; ++Col) {
            const QRect Cell = CellRect(Col, Row);
            if (Cell.left() >= Width) break;
            if (Cell.right() + GridLineWidth < 0) continue;
            Painter.fillRect(Cell, Selected.contains(Col, Row) ? Highlight : QColor(Qt::white));
            Painter.fillRect(Cell.right() + 1, Cell.top(), GridLineWidth, Pitch(), GridLineColor());
            Painter.fillRect(Cell.left(), Cell.bottom() + 1, Pitch(), GridLineWidth, GridLineColor());
            Painter.save();
            emit drawCell(&Painter, Col, Row, Cell);
            Painter.restore();
        }
    }
}

void TDrawGrid::resizeEvent(QResizeEvent* Event)
{
    QAbstractScrollArea::resizeEvent(Event);
    UpdateScrollBars();
}

void TDrawGrid::scrollContentsBy(int, int) { viewport()->update(); }

void TDrawGrid::mousePressEvent(QMouseEvent* Event)
{
    if (Event->button() != Qt::LeftButton) return;
    const QPoint Cell = CellAt(Event->position().toPoint());
    if (Cell.x() < 0) return;
    SelectCellAt(Cell.x(), Cell.y(), Event->modifiers() & Qt::ShiftModifier);
}

void TDrawGrid::mouseMoveEvent(QMouseEvent* Event)
{
    if (!(Event->buttons() & Qt::LeftButton)) return;
    const QPoint Cell = CellAt(Event->position().toPoint());
    if (Cell.x() < 0 || Cell == Current_) return;
    SelectCellAt(Cell.x(), Cell.y(), true);
}

void TDrawGrid::keyPressEvent(QKeyEvent* Event)
{
    QPoint Cell = Current_;
    switch (Event->key()) {
    case Qt::Key_Left: Cell.rx() -= 1; break;
    case Qt::Key_Right: Cell.rx() += 1; break;
    case Qt::Key_Up: Cell.ry() -= 1; break;
    case Qt::Key_Down: Cell.ry() += 1; break;
    case Qt::Key_PageUp: Cell.ry() -= VisibleRows(); break;
    case Qt::Key_PageDown: Cell.ry() += VisibleRows(); break;
    case Qt::Key_Home:
        if (Event->modifiers() & Qt::ControlModifier) Cell = {0, 0};
        else Cell.rx() = 0;
        break;
    case Qt::Key_End:
        if (Event->modifiers() & Qt::ControlModifier) Cell = {ColCount_ - 1, RowCount_ - 1};
        else Cell.rx() = ColCount_ - 1;
        break;
    default: QAbstractScrollArea::keyPressEvent(Event); return;
    }
    Cell = {std::clamp(Cell.x(), 0, ColCount_ - 1), std::clamp(Cell.y(), 0, RowCount_ - 1)};
    if (Cell != Current_) SelectCellAt(Cell.x(), Cell.y(), Event->modifiers() & Qt::ShiftModifier);
}

}  // namespace velka::ui
