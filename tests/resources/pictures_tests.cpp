// The pictures for scaled screens: every picture the windows show has a
// rendering at twice its size, which Picture hands out above ratio 1 with
// the picture's own size in layout units; the application icon comes in
// every size the desktop asks for.
#include "resources/resources.h"

#include <QImage>
#include <QPixmap>
#include <QString>
#include <gtest/gtest.h>

#include "tests/support/pictures.h"

namespace ravo {
namespace {

const char* const kShownPictures[] = {
    ":/add_files.png", ":/remove_current.png", ":/remove_all.png", ":/view_file.png",
    ":/floppy.png", ":/hard.png", ":/network.png", ":/cdrom.png", ":/ram.png",
    ":/openfolder.png", ":/closedfolder.png", ":/currentfolder.png", ":/backup.png",
};

using testing::IsDoubled;

TEST(Picture, ScaledScreensGetTheSharpDoubleAtThePicturesOwnLayoutSize)
{
    for (const char* name : kShownPictures) {
        const QString resource = QString::fromLatin1(name);
        const QImage plain(resource);
        ASSERT_FALSE(plain.isNull()) << name;
        for (const double ratio : {2.0, 1.5, 3.0}) {
            const QPixmap picture = Picture(resource, ratio);
            EXPECT_EQ(picture.devicePixelRatio(), 2.0) << name << " at " << ratio;
            EXPECT_EQ(picture.deviceIndependentSize().toSize(), plain.size()) << name << " at " << ratio;
            EXPECT_TRUE(IsDoubled(plain, picture.toImage())) << name << " at " << ratio;
        }
        const QPixmap unscaled = Picture(resource, 1.0);
        EXPECT_EQ(unscaled.devicePixelRatio(), 1.0) << name;
        EXPECT_EQ(unscaled.toImage().convertToFormat(QImage::Format_ARGB32), plain.convertToFormat(QImage::Format_ARGB32))
            << name;
    }
}

TEST(Picture, APictureWithoutADoubleOrAMissingOneStaysAsItIs)
{
    const QPixmap icon = Picture(QStringLiteral(":/ravo_32.png"), 2.0);
    EXPECT_EQ(icon.devicePixelRatio(), 1.0);
    EXPECT_EQ(icon.size(), QSize(32, 32));
    EXPECT_TRUE(Picture(QStringLiteral(":/no_such_picture.png"), 2.0).isNull());
}

TEST(ApplicationIcon, EverySizeTheDesktopAsksFor)
{
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        const QImage icon(QStringLiteral(":/ravo_%1.png").arg(size));
        EXPECT_EQ(icon.size(), QSize(size, size)) << size;
        // A black square framed in red: the corner is red, the middle black.
        EXPECT_EQ(icon.pixelColor(0, 0), QColor(Qt::red)) << size;
        EXPECT_EQ(icon.pixelColor(size / 2, size / 2 - size / 8).rgb(), QColor(Qt::black).rgb()) << size;
    }
}

} // namespace
} // namespace ravo
