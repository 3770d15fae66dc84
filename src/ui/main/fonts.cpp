#include "ui/main/fonts.h"

#include <QStringList>

namespace velka::ui {

namespace {

// Chinese text needs a CJK face behind any Latin-only first choice.
const QStringList CjkFallbacks{QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC"),
                               QStringLiteral("Droid Sans Fallback")};

QFont FontOf(QStringList Families, int PointSize)
{
    Families.append(CjkFallbacks);
    QFont Font;
    Font.setFamilies(Families);
    Font.setPointSize(PointSize);
    return Font;
}

}  // namespace

QFont SongTiFont() { return FontOf({QStringLiteral("宋体"), QStringLiteral("SimSun")}, 9); }

QFont TahomaFont() { return FontOf({QStringLiteral("Tahoma")}, 8); }

}  // namespace velka::ui
