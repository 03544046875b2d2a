// Drawing the rows of the drive selector and the folder list.
#include "backup/picture_row.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QStyleOptionViewItem>

#include "resources/resources.h"

namespace ravo {

QPixmap TransparentPicture(const QString& resource)
{
    QPixmap picture = Picture(resource);
    if (picture.isNull())
        return picture;
    const QImage image = picture.toImage();
    picture.setMask(picture.createMaskFromColor(image.pixelColor(0, image.height() - 1), Qt::MaskInColor));
    return picture;
}

void PaintPictureRow(QPainter& painter, const QStyleOptionViewItem& option, const QPixmap& picture,
                     const QString& text, int pictureLeft, int textGap, Qt::Alignment textAlignment)
{
    const bool selected = option.state & QStyle::State_Selected;
    const QRect& row = option.rect;
    const QSize pictureSize = picture.deviceIndependentSize().toSize();
    const int pictureWidth = picture.isNull() ? kRowPictureWidth : pictureSize.width();
    const int x = row.left() + pictureLeft;

    painter.save();
    painter.fillRect(row, option.palette.color(selected ? QPalette::Highlight : QPalette::Base));
    if (!picture.isNull())
        painter.drawPixmap(x, (row.top() + row.top() + row.height() - pictureSize.height()) / 2, picture);
    painter.setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    painter.setFont(option.font);
    const QRect textArea(x + pictureWidth + textGap, row.top(), row.right() + 1 - x, row.height());
    painter.drawText(textArea, Qt::AlignLeft | textAlignment | Qt::TextSingleLine, text);
    painter.restore();
}

} // namespace ravo
