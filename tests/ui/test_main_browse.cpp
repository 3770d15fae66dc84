// The thumbnail grid (fitted sizes, labels, selection, Busy) and the 1:1 preview with its
// checkerboards, transparent mode and status texts.
#include "main_window_fixture.h"

#include "library/pngobject.h"
#include "ui/main/backgrounds.h"
#include "ui/main/previewpane.h"

#include <QCheckBox>
#include <QDockWidget>
#include <QFontMetrics>
#include <QLabel>
#include <QPainter>
#include <QScrollBar>

namespace velka::test {
namespace {

using ui::FittedRect;
using ui::TDrawGrid;

TEST(FittedRect, KeepsSmallGraphicsAndScalesLargeOnesWithTiesToEven)
{
    struct TCase {
        int W, H;
        QSize Expected;
    };
    const TCase Cases[] = {
        {80, 80, {80, 80}},   {1, 1, {1, 1}},     {30, 80, {30, 80}},   {160, 40, {80, 20}},
        {100, 300, {27, 80}},  // 26.67 rounds up
        {81, 80, {80, 79}},    // 79.01
        {160, 1, {80, 0}},     // 0.5 ties to 0
        {160, 3, {80, 2}},     // 1.5 ties to 2
        {160, 5, {80, 2}},     // 2.5 ties to 2
        {160, 7, {80, 4}},     // 3.5 ties to 4
        {1, 800, {0, 80}},     // 0.1
        {0, 0, {0, 0}},
    };
    const QRect Cell(243, 162, 80, 80);
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(testing::Message() << Case.W << "x" << Case.H);
        const QRect Into = FittedRect(Case.W, Case.H, Cell);
        EXPECT_EQ(Into.topLeft(), Cell.topLeft());  // anchored at the top-left corner, not centred
        EXPECT_EQ(Into.size(), Case.Expected);
    }
}

class GridTest : public MainWindowTest {
protected:
    void OpenColouredLibrary()
    {
        const QString Path = Temp.File("colours.wzl");
        std::vector<TMainImage> Images = {
            {160, 40, 0, 0, false, qRgb(255, 0, 0), 24},  // drawn 80 x 20
            {30, 50, 0, 0, false, qRgb(0, 255, 0), 24},   // drawn 1:1
            {},                                           // empty
        };
        for (int I = 3; I < 12; ++I) Images.push_back({20, 20, 0, 0, false, qRgb(0, 0, 255), 24});
        Images.push_back({80, 80, 0, 0, false, qRgb(0, 0, 255), 24});  // the label lies on it
        WriteLibrary(Path, Images);
        OpenThroughDialog(Path);
        ASSERT_TRUE(Library());
        Window->DrawGrid->SelectCellAt(9, 1);  // past the last image, away from the checked cells
        Window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Window.get()));
    }

    QImage Grid() const { return Window->DrawGrid->viewport()->grab().toImage(); }
    QPoint CellOrigin(int Index) const { return Window->DrawGrid->CellRect(Index % 10, Index / 10).topLeft(); }
    QColor At(const QImage& Shot, int Index, int X, int Y) const { return Shot.pixelColor(CellOrigin(Index) + QPoint(X, Y)); }
};

TEST_F(GridTest, DrawsThumbnailsFittedAtTheTopLeftOfTheirCells)
{
    OpenColouredLibrary();
    const QImage Shot = Grid();
    EXPECT_EQ(At(Shot, 0, 0, 0), QColor(255, 0, 0));
    EXPECT_EQ(At(Shot, 0, 79, 19), QColor(255, 0, 0));
    EXPECT_EQ(At(Shot, 0, 40, 21), QColor(Qt::white));  // scaled to 80 x 20
    EXPECT_EQ(At(Shot, 1, 29, 0), QColor(0, 255, 0));
    EXPECT_EQ(At(Shot, 1, 30, 0), QColor(Qt::white));  // 1:1, not stretched
    EXPECT_EQ(At(Shot, 1, 10, 20), QColor(0, 255, 0));
    EXPECT_EQ(At(Shot, 2, 40, 10), QColor(Qt::white));  // empty image: no thumbnail
    // Grid lines between the cells.
    EXPECT_EQ(At(Shot, 0, 80, 10), Window->DrawGrid->GridLineColor());
    EXPECT_EQ(At(Shot, 0, 10, 80), Window->DrawGrid->GridLineColor());
}

// The bounding box of the pixels of Shot inside Area that are near black (Dark) or near white.
// Text is antialiased, so its pixels are only close to the pen's colour.
QRect PixelsOf(const QImage& Shot, const QRect& Area, bool Dark)
{
    QRect Box;
    for (int Y = Area.top(); Y <= Area.bottom(); ++Y)
        for (int X = Area.left(); X <= Area.right(); ++X) {
            const QColor C = Shot.pixelColor(X, Y);
            const bool Match = Dark ? C.red() < 90 && C.green() < 90 && C.blue() < 90
                                    : C.red() > 200 && C.green() > 200 && C.blue() > 200;
            if (Match) Box |= QRect(X, Y, 1, 1);
        }
    return Box;
}

TEST_F(GridTest, LabelsCellsWithFiveDigitNumbersInBlackOnAWhiteHalo)
{
    OpenColouredLibrary();
    const QImage Shot = Grid();
    const QFontMetrics Metrics(Window->DrawGrid->font());
    const int H = Metrics.height();
    for (int Index : {0, 12}) {
        SCOPED_TRACE(Index);
        const QRect Cell(CellOrigin(Index), QSize(80, 80));
        const QRect Black = PixelsOf(Shot, Cell, true);
        ASSERT_FALSE(Black.isEmpty());
        // The text sits in the bottom-left corner, one line high, as wide as "%.5d" of the number.
        const int Width = Metrics.horizontalAdvance(QString::asprintf("%.5d", Index));
        EXPECT_GE(Black.top(), Cell.bottom() + 1 - H);
        EXPECT_LE(Black.left(), Cell.left() + Width / 5);
        EXPECT_LE(Black.right(), Cell.left() + Width);
        EXPECT_GE(Black.right(), Cell.left() + Width * 4 / 5);
    }
    // On the blue thumbnail of image 12 the white halo surrounds the black text.
    const QRect Cell12(CellOrigin(12), QSize(80, 80));
    const QRect Black = PixelsOf(Shot, Cell12, true);
    const QRect White = PixelsOf(Shot, Cell12, false);
    ASSERT_FALSE(White.isEmpty());
    EXPECT_LT(White.top(), Black.top());
    EXPECT_GT(White.right(), Black.right());
    EXPECT_EQ(At(Shot, 12, 40, 10), QColor(0, 0, 255));
}

TEST(GridLabel, SixDigitNumbersAreNotCut)
{
    EXPECT_EQ(QString::asprintf("%.5d", 7), QStringLiteral("00007"));
    EXPECT_EQ(QString::asprintf("%.5d", 123456), QStringLiteral("123456"));
}

TEST_F(GridTest, PaintsTheSelectedRangeAndNothingWhileBusy)
{
    OpenColouredLibrary();
    TDrawGrid& Grid_ = *Window->DrawGrid;
    Grid_.SelectCellAt(2, 0);
    Grid_.SelectCellAt(4, 1, true);
    EXPECT_EQ(Grid_.Selection(), QRect(QPoint(2, 0), QPoint(4, 1)));
    QImage Shot = Grid();
    EXPECT_EQ(At(Shot, 2, 40, 10), Grid_.SelectionColor());   // empty image: background only
    EXPECT_EQ(At(Shot, 13, 40, 30), Grid_.SelectionColor());  // the focused corner too
    EXPECT_EQ(At(Shot, 1, 50, 10), QColor(Qt::white));        // outside the range

    Window->Busy = true;
    Window->DrawGrid->viewport()->repaint();
    Shot = Grid();
    EXPECT_EQ(At(Shot, 0, 10, 10), QColor(Qt::white));
    EXPECT_TRUE(PixelsOf(Shot, QRect(CellOrigin(0), QSize(80, 80)), true).isEmpty());
    Window->Busy = false;
}

TEST_F(GridTest, MouseAndKeysMoveTheCurrentCellAndExtendTheRange)
{
    OpenColouredLibrary();
    TDrawGrid& G = *Window->DrawGrid;
    QTest::mouseClick(G.viewport(), Qt::LeftButton, {}, G.CellRect(3, 0).center());
    EXPECT_EQ(QPoint(G.Col(), G.Row()), QPoint(3, 0));
    EXPECT_EQ(Window->SelectedIndex, 3);
    QTest::mouseClick(G.viewport(), Qt::LeftButton, Qt::ShiftModifier, G.CellRect(5, 1).center());
    EXPECT_EQ(G.Selection(), QRect(QPoint(3, 0), QPoint(5, 1)));
    QTest::keyClick(G.viewport(), Qt::Key_Left);
    EXPECT_EQ(QPoint(G.Col(), G.Row()), QPoint(4, 1));
    EXPECT_EQ(G.Selection(), QRect(QPoint(4, 1), QPoint(4, 1)));
    QTest::keyClick(G.viewport(), Qt::Key_Down);  // the last row stays the last
    EXPECT_EQ(G.Row(), 1);
}

TEST_F(MainWindowTest, SelectingShowsTheBitmapWithItsDescription)
{
    WriteLibrary(Temp.File("sel.wzl"), {{30, 20, -5, 7, false, qRgb(250, 10, 10), 24}, {}, {12, 9, 3, 4, false, qRgb(0, 0, 255), 16}});
    OpenThroughDialog(Temp.File("sel.wzl"));
    SelectImage(0);
    EXPECT_EQ(Window->StatusText(2), QStringLiteral("宽:30 高:20 偏移坐标:-5,7 位深度:24位 [BMP]"));
    EXPECT_EQ(Window->Image->size(), QSize(30, 20));
    EXPECT_EQ(Window->Image->Picture().size(), QSize(30, 20));
    EXPECT_EQ(Window->Image->Picture().pixelColor(3, 3), QColor(250, 10, 10));
    SelectImage(2);
    EXPECT_EQ(Window->StatusText(2), QStringLiteral("宽:12 高:9 偏移坐标:3,4 位深度:16位 [BMP]"));

    // An empty image and a cell past the last image clear the preview; the number is kept.
    for (int Index : {1, 9}) {
        SelectImage(Index);
        EXPECT_EQ(Window->StatusText(2), QString());
        EXPECT_TRUE(Window->Image->Picture().isNull());
        EXPECT_EQ(Window->SelectedIndex, Index);
    }
    EXPECT_TRUE(Log.Messages.isEmpty());
}

TEST_F(MainWindowTest, PreviewIsCentredInItsPaneAndScrollsWhenLarger)
{
    WriteLibrary(Temp.File("c.wzl"), {{30, 20, 0, 0, false, qRgb(9, 9, 9), 24}, {900, 700, 0, 0, false, qRgb(9, 9, 9), 24}});
    OpenThroughDialog(Temp.File("c.wzl"));
    Window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Window.get()));
    SelectImage(0);
    QApplication::processEvents();
    const QSize Pane = Window->ScrollBox->viewport()->size();
    EXPECT_EQ(Window->Image->pos(), QPoint((Pane.width() - 30) / 2, (Pane.height() - 20) / 2));
    Window->DockPreview->resize(Window->DockPreview->width() + 40, Window->DockPreview->height());
    Window->resize(Window->width() + 60, Window->height() + 30);
    QApplication::processEvents();
    const QSize Wider = Window->ScrollBox->viewport()->size();
    EXPECT_EQ(Window->Image->pos(), QPoint((Wider.width() - 30) / 2, (Wider.height() - 20) / 2));

    SelectImage(1);
    QApplication::processEvents();
    EXPECT_EQ(Window->Image->pos(), QPoint(0, 0));
    EXPECT_TRUE(Window->ScrollBox->horizontalScrollBar()->isVisible());
    EXPECT_TRUE(Window->ScrollBox->verticalScrollBar()->isVisible());
    // The position panel stays docked at the bottom of the box, under the picture area.
    EXPECT_EQ(Window->plImgPos->height(), 23);
    EXPECT_EQ(Window->plImgPos->geometry().top(), Window->ScrollBox->viewport()->geometry().bottom() + 1);

    QTest::mouseMove(Window->Image, QPoint(12, 34));
    EXPECT_EQ(Window->plImgPos->text(), QStringLiteral("  图片坐标位置:12,34"));
    SelectImage(0);
    EXPECT_EQ(Window->plImgPos->text(), QString());
}

TEST_F(MainWindowTest, PngPreviewLiesOnTheLightOrDarkCheckerboard)
{
    std::vector<TMainImage> Images = {{20, 20, 2, 3, true, qRgba(0, 0, 0, 0)}, {20, 20, 0, 0, true, qRgba(255, 0, 0, 255)}};
    WriteLibrary(Temp.File("png.data"), Images);
    OpenThroughDialog(Temp.File("png.data"));
    SelectImage(0);
    EXPECT_EQ(Window->StatusText(2), QStringLiteral("宽:20 高:20 偏移坐标:2,3 [PNG]"));
    QImage Shown = Window->Image->Picture();
    ASSERT_EQ(Shown.size(), QSize(20, 20));
    EXPECT_EQ(Shown.pixelColor(0, 0), QColor(204, 204, 204));
    EXPECT_EQ(Shown.pixelColor(8, 0), QColor(255, 255, 255));
    EXPECT_EQ(Shown.pixelColor(8, 8), QColor(204, 204, 204));
    EXPECT_EQ(Shown.pixelColor(19, 8), QColor(255, 255, 255));

    // Checking 深色背景 rebuilds the preview without a new selection.
    Window->cxDarkBG->setChecked(true);
    Shown = Window->Image->Picture();
    EXPECT_EQ(Shown.pixelColor(0, 0), QColor(16, 16, 16));
    EXPECT_EQ(Shown.pixelColor(8, 0), QColor(33, 48, 66));
    EXPECT_EQ(Window->StatusText(2), QStringLiteral("宽:20 高:20 偏移坐标:2,3 [PNG]"));

    SelectImage(1);  // opaque pixels cover the board
    EXPECT_EQ(Window->Image->Picture().pixelColor(0, 0), QColor(255, 0, 0));
}

TEST_F(MainWindowTest, TransparentModeTogglesFromThePopupAndKeepsTheSelection)
{
    WriteLibrary(Temp.File("t.wzl"), NumberedImages(3));
    OpenThroughDialog(Temp.File("t.wzl"));
    SelectImage(2);
    EXPECT_FALSE(Window->Image->Transparent());
    Window->PopupMenu_Transparent->trigger();
    EXPECT_TRUE(Window->PopupMenu_Transparent->isChecked());
    EXPECT_TRUE(Window->Image->Transparent());
    EXPECT_EQ(Window->StatusText(2), QStringLiteral("宽:12 高:6 偏移坐标:2,-2 位深度:16位 [BMP]"));
    Window->PopupMenu_Transparent->trigger();
    EXPECT_FALSE(Window->Image->Transparent());
}

TEST(Backgrounds, AreCheckerboardsOfEightPixelSquares)
{
    const QImage Light = ui::BuildLightBackground();
    const QImage Dark = ui::BuildDarkBackground();
    for (const QImage* Board : {&Light, &Dark}) {
        EXPECT_EQ(Board->size(), QSize(1920, 1080));
        EXPECT_EQ(Board->depth(), 24);
    }
    struct TCase {
        int X, Y;
        bool A;
    };
    const TCase Cases[] = {{0, 0, true}, {7, 7, true}, {8, 0, false}, {0, 8, false}, {8, 8, true},
                           {15, 15, true}, {16, 0, true}, {1904, 1079, true}, {1919, 1079, false}};
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(testing::Message() << Case.X << "," << Case.Y);
        EXPECT_EQ(Light.pixelColor(Case.X, Case.Y), Case.A ? QColor(204, 204, 204) : QColor(255, 255, 255));
        EXPECT_EQ(Dark.pixelColor(Case.X, Case.Y), Case.A ? QColor(16, 16, 16) : QColor(33, 48, 66));
    }
}

}  // namespace
}  // namespace velka::test
