// The program's pictures: the program icon and the two-image button pictures
// (normal and greyed side by side, the colour of the bottom-left pixel transparent).
#pragma once

#include <QIcon>
#include <QPixmap>

namespace qc {

enum class Glyph {
    Today, // tear-off calendar page ("跳到今天", "生日")
    Note, // blue book ("打开日志")
    About, // red question mark on a yellow ball ("关于")
    Hide, // hand over a sheet of paper ("隐藏")
    Exit, // open door with yellow light ("退出")
    Add, // books standing on a shelf ("添加")
    Delete, // hand on a written sheet ("删除")
    Remind, // yellow sun ("提醒")
    Ok, // green check mark ("OK")
    Back, // closed dark-red door with a cyan window ("返回")
};

// Resource name without extension, e.g. "btn_today"; the file is resources/<name>.png.
QString glyphResourceName(Glyph glyph);

// Normal and disabled images of a button picture; an empty icon when the picture is missing.
QIcon glyphIcon(Glyph glyph);
// Splits a two-image strip into the icon's normal and disabled pixmaps.
QIcon iconFromStrip(const QImage &strip);

QIcon programIcon(); // resources/appicon: 32 x 32, an open ring-bound desk calendar
QPixmap aboutPicture(); // resources/about: 200 x 82

} // namespace qc
