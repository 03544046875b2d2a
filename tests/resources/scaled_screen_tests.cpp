// The windows on a screen scaled by 2 (this binary runs with
// QT_SCALE_FACTOR=2): the tool buttons, the backup dialog's picture and the
// drive pictures show their sharp doubles, not the small picture blown up.
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QToolButton>
#include <gtest/gtest.h>

#include "app/main_window.h"
#include "backup/backup_dialog.h"
#include "backup/drive_combo_box.h"
#include "resources/resources.h"
#include "tests/support/pictures.h"

namespace ravo {
namespace {

using testing::IsDoubled;

class ScaledScreen : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(qApp->devicePixelRatio(), 2.0) << "run with QT_SCALE_FACTOR=2"; }
};

TEST_F(ScaledScreen, ToolButtonsShowTheDoubledPictures)
{
    TForm1 form;
    struct Case {
        const char* button;
        const char* picture;
    };
    const Case cases[] = {
        {"glyphButton1", ":/add_files.png"},
        {"SpeedButton2", ":/remove_current.png"},
        {"SpeedButton3", ":/remove_all.png"},
        {"SpeedButton4", ":/view_file.png"},
    };
    for (const Case& c : cases) {
        auto* button = form.findChild<QToolButton*>(QString::fromLatin1(c.button));
        ASSERT_NE(button, nullptr) << c.button;
        const QPixmap shown = button->icon().pixmap(button->iconSize(), 2.0);
        EXPECT_TRUE(IsDoubled(QImage(QString::fromLatin1(c.picture)), shown.toImage())) << c.button;
    }
}

TEST_F(ScaledScreen, BackupDialogAndDrivePicturesAreTheDoubles)
{
    TForm1 form1;
    TForm2 form2(form1);
    auto* image = form2.findChild<QLabel*>(QStringLiteral("Image1"));
    ASSERT_NE(image, nullptr);
    const QPixmap backup = image->pixmap();
    EXPECT_EQ(backup.devicePixelRatio(), 2.0);
    EXPECT_EQ(backup.deviceIndependentSize().toSize(), QSize(64, 62));
    EXPECT_TRUE(IsDoubled(QImage(QStringLiteral(":/backup.png")), backup.toImage()));

    auto* drives = form2.findChild<TDriveComboBox*>(QStringLiteral("DriveComboBox1"));
    ASSERT_NE(drives, nullptr);
    drives->Fill();
    ASSERT_GT(drives->count(), 0);
    for (int entry = 0; entry < drives->count(); ++entry) {
        const QPixmap picture = drives->itemData(entry, Qt::DecorationRole).value<QPixmap>();
        EXPECT_EQ(picture.devicePixelRatio(), 2.0) << entry;
        EXPECT_EQ(picture.deviceIndependentSize().toSize(), QSize(16, 11)) << entry;
    }
}

} // namespace
} // namespace ravo
