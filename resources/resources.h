// The program's pictures, compiled in as Qt resources under ":/". Each
// picture the windows show has a rendering at twice its size beside it,
// NAME@2x.png, for screens scaled by 2.
#pragma once

class QPixmap;
class QString;

namespace ravo {
// The picture for a screen of the given device pixel ratio: above 1, its @2x
// rendering where there is one, carrying the ratio 2 so that it keeps the
// picture's size in layout units; otherwise the picture itself.
QPixmap Picture(const QString& resource, double devicePixelRatio);
// The same for the highest ratio of the application's screens.
QPixmap Picture(const QString& resource);
} // namespace ravo
