#pragma once
// The 1:1 preview: a picture control inside a scroll box that centres it while it is smaller than
// the box, with a 23-pixel position panel docked at the bottom of the box.

#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QScrollArea>
#include <QWidget>

namespace velka::ui {

// Paints its picture 1:1 at its top-left corner, clipped to its own size; in transparent mode
// the colour of the picture's bottom-left pixel is not painted.
class TPreviewImage : public QWidget {
    Q_OBJECT
public:
    explicit TPreviewImage(QWidget* Parent = nullptr);

    const QImage& Picture() const { return Picture_; }
    void SetPicture(const QImage& Picture);
    bool Transparent() const { return Transparent_; }
    void SetTransparent(bool Transparent);

signals:
    void mouseMoved(int X, int Y);

protected:
    void paintEvent(QPaintEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;

private:
    void Prepare();

    QImage Picture_;
    bool Transparent_ = false;
    QPixmap Shown_;
};

class TScrollBox : public QScrollArea {
    Q_OBJECT
public:
    static constexpr int PanelHeight = 23;

    explicit TScrollBox(QWidget* Parent = nullptr);

    // The text panel docked at the bottom.
    QLabel* BottomPanel() const { return Panel_; }

protected:
    bool viewportEvent(QEvent* Event) override;

private:
    void PlacePanel();

    QLabel* Panel_;
};

}  // namespace velka::ui
