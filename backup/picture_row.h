// One row of the drive selector or the folder list: a picture and a text on
// one line, drawn by the program itself so that pictures and texts stand at
// the same places in both lists.
#pragma once

#include <Qt>

class QPainter;
class QPixmap;
class QString;
class QStyleOptionViewItem;

namespace ravo {

// A picture of the program's resources, for the screen it is shown on, whose
// bottom-left pixel's colour is transparent, so a row draws it over its own
// background.
QPixmap TransparentPicture(const QString& resource);

// The width a row gives a missing picture.
inline constexpr int kRowPictureWidth = 16;

// Fills the row's background (highlighted when selected), draws the picture
// `pictureLeft` from the row's left, vertically centred, and the text
// `textGap` after the picture on one line, at the row's top or vertically
// centred as `textAlignment` says. Sizes are in layout units, so a picture
// drawn for a scaled screen keeps its place.
void PaintPictureRow(QPainter& painter, const QStyleOptionViewItem& option, const QPixmap& picture,
                     const QString& text, int pictureLeft, int textGap, Qt::Alignment textAlignment);

} // namespace ravo
