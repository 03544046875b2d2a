// Comparing pictures in tests.
#pragma once

#include <QImage>

namespace ravo::testing {

// Whether `big` is `small` with every pixel doubled.
inline bool IsDoubled(const QImage& small, const QImage& big)
{
    if (big.size() != small.size() * 2)
        return false;
    const QImage a = small.convertToFormat(QImage::Format_ARGB32);
    const QImage b = big.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x)
            if (b.pixel(x, y) != a.pixel(x / 2, y / 2))
                return false;
    return true;
}

} // namespace ravo::testing
