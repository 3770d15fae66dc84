#pragma once
// The thumbnail grid: fixed-size cells painted by their owner, only the visible ones, with a
// current cell and a rectangular range selection. It scrolls by whole rows, so even a library
// of millions of images stays within the scroll bar's range.

#include <QAbstractScrollArea>
#include <QColor>
#include <QPainter>
#include <QPoint>
#include <QRect>

namespace velka {
class TGraphic;
}

namespace velka::ui {

class TDrawGrid : public QAbstractScrollArea {
    Q_OBJECT
public:
    static constexpr int DefaultColWidth = 80;
    static constexpr int DefaultRowHeight = 80;
    static constexpr int GridLineWidth = 1;

    explicit TDrawGrid(QWidget* Parent = nullptr);

    int ColCount() const { return ColCount_; }
    void SetColCount(int Count);
    int RowCount() const { return RowCount_; }
    void SetRowCount(int Count);

    // The current (focused) cell.
    int Col() const { return Current_.x(); }
    int Row() const { return Current_.y(); }
    // Moves the current cell as a click would (Extend: as a shift-click, growing the range)
    // and reports it through selectCell.
    void SelectCellAt(int Col, int Row, bool Extend = false);
    // The selected range in cells (inclusive), always holding the current cell.
    QRect Selection() const;

    int TopRow() const;
    void SetTopRow(int Row);
    // The cell's rectangle in viewport coordinates (80 x 80, grid lines outside it).
    QRect CellRect(int Col, int Row) const;
    // The cell under a viewport point; (-1, -1) where there is none.
    QPoint CellAt(const QPoint& Position) const;

    QColor SelectionColor() const;
    QColor GridLineColor() const { return QColor(192, 192, 192); }

signals:
    // Paint the cell's content into Rect; its background is already painted.
    void drawCell(QPainter* Painter, int Col, int Row, const QRect& Rect);
    // The user (or SelectCellAt) made this cell the current one.
    void selectCell(int Col, int Row);

protected:
    void paintEvent(QPaintEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;
    void scrollContentsBy(int DX, int DY) override;

private:
    int Pitch() const { return DefaultColWidth + GridLineWidth; }
    int VisibleRows() const;  // rows that fit the viewport completely, at least 1
    void UpdateScrollBars();
    void MakeVisible(const QPoint& Cell);
    void MoveCurrent(const QPoint& Cell, bool Extend);

    int ColCount_ = 10;
    int RowCount_ = 1;
    QPoint Current_{0, 0};
    QPoint Anchor_{0, 0};
};

// The rectangle a graphic of Width x Height is drawn into inside Target (right and bottom
// exclusive): its own size at the top-left corner when it fits, else scaled down to fit with its
// aspect ratio kept, each side rounded half to even.
QRect FittedRect(int Width, int Height, const QRect& Target);

// Draws Graphic into Target by FittedRect (nearest-pixel scaling, alpha blended).
void DrawFitted(const TGraphic& Graphic, QPainter& Painter, const QRect& Target);

}  // namespace velka::ui
