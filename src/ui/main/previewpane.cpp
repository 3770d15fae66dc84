#include "ui/main/previewpane.h"

#include <QBitmap>
#include <QEvent>
#include <QMouseEvent>
#include <QPainter>

namespace velka::ui {

TPreviewImage::TPreviewImage(QWidget* Parent) : QWidget(Parent)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void TPreviewImage::SetPicture(const QImage& Picture)
{
    Picture_ = Picture;
    Prepare();
}

void TPreviewImage::SetTransparent(bool Transparent)
{
    if (Transparent_ == Transparent) return;
    Transparent_ = Transparent;
    Prepare();
}

void TPreviewImage::Prepare()
{
    Shown_ = Picture_.isNull() ? QPixmap() : QPixmap::fromImage(Picture_);
    if (Transparent_ && !Shown_.isNull()) {
        const QRgb Key = Picture_.pixel(0, Picture_.height() - 1);
        Shown_.setMask(QBitmap::fromImage(Picture_.createMaskFromColor(Key, Qt::MaskInColor)));
    }
    update();
}

void TPreviewImage::paintEvent(QPaintEvent*)
{
    if (Shown_.isNull()) return;
    QPainter Painter(this);
    Painter.drawPixmap(0, 0, Shown_);
}

void TPreviewImage::mouseMoveEvent(QMouseEvent* Event)
{
    const QPoint At = Event->position().toPoint();
    emit mouseMoved(At.x(), At.y());
}

TScrollBox::TScrollBox(QWidget* Parent) : QScrollArea(Parent), Panel_(new QLabel(this))
{
    setWidgetResizable(false);
    setAlignment(Qt::AlignCenter);
    setViewportMargins(0, 0, 0, PanelHeight);
    Panel_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Panel_->setAutoFillBackground(true);
    Panel_->setFrameShape(QFrame::StyledPanel);
    PlacePanel();
}

bool TScrollBox::viewportEvent(QEvent* Event)
{
    if (Event->type() == QEvent::Resize) PlacePanel();
    return QScrollArea::viewportEvent(Event);
}

void TScrollBox::PlacePanel()
{
    const QRect Client = viewport()->geometry();
    Panel_->setGeometry(Client.left(), Client.bottom() + 1, Client.width(), PanelHeight);
}

}  // namespace velka::ui
