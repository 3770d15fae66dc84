#include "ui/main/backgrounds.h"

#include <QPainter>

namespace velka::ui {

namespace {

QImage BuildTile(QColor A, QColor B)
{
    QImage Tile(2 * CheckerSquare, 2 * CheckerSquare, QImage::Format_RGB888);
    QPainter Painter(&Tile);
    Painter.fillRect(0, 0, CheckerSquare, CheckerSquare, A);
    Painter.fillRect(CheckerSquare, CheckerSquare, CheckerSquare, CheckerSquare, A);
    Painter.fillRect(CheckerSquare, 0, CheckerSquare, CheckerSquare, B);
    Painter.fillRect(0, CheckerSquare, CheckerSquare, CheckerSquare, B);
    return Tile;
}

}  // namespace

QImage BuildBackground(QColor A, QColor B)
{
    QImage Board(BackgroundWidth, BackgroundHeight, QImage::Format_RGB888);
    const QImage Tile = BuildTile(A, B);
    QPainter Painter(&Board);
    const int Step = Tile.width();
    for (int J = 0; J <= BackgroundHeight / Step; ++J)
        for (int I = 0; I <= BackgroundWidth / Step; ++I) Painter.drawImage(Step * I, Step * J, Tile);
    return Board;
}

}  // namespace velka::ui
