#include "SharpPicture.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// A flag of 36×24 pixels, red, and the same drawn larger at 72×48, green: the colour read back
// tells which file a picture came from.
class LargerPicture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        ASSERT_TRUE(picture(small, QSize(36, 24), Qt::red));
        ASSERT_TRUE(picture(large, QSize(72, 48), Qt::green));
    }
    bool picture(const QString &path, QSize size, Qt::GlobalColor colour) const
    {
        QImage image(size, QImage::Format_RGB32);
        image.fill(colour);
        return image.save(path);
    }
    static bool isGreen(const QPixmap &pixmap)
    {
        const QColor middle = pixmap.toImage().pixelColor(pixmap.width() / 2, pixmap.height() / 2);
        return middle.green() > 200 && middle.red() < 60;
    }

    QTemporaryDir folder;
    QString small = folder.filePath(QStringLiteral("1.jpg"));
    QString large = folder.filePath(QStringLiteral("1-large.jpg"));
};

TEST_F(LargerPicture, IsReadOnlyWhereTheSmallOneWouldBeEnlarged)
{
    struct Case
    {
        QSize shown;
        qreal ratio;
        bool fitted;
        bool fromLarger;
    };
    // At or below the small picture's own pixels the small one is read, above them the larger
    // one, whether the size comes from the box or from the screen's scale.
    for (const Case &c : {Case{{36, 24}, 1.0, false, false}, Case{{30, 20}, 1.0, false, false},
                          Case{{37, 24}, 1.0, false, true}, Case{{30, 20}, 2.0, false, true},
                          Case{{24, 16}, 1.5, false, false}, Case{{60, 60}, 1.0, true, true},
                          Case{{30, 30}, 1.0, true, false}, Case{{30, 30}, 1.5, true, true}}) {
        SCOPED_TRACE(testing::Message() << c.shown.width() << "×" << c.shown.height() << " at "
                                        << c.ratio << (c.fitted ? " fitted" : ""));
        const QPixmap picture = c.fitted ? SharpPicture::fitted(small, large, c.shown, c.ratio)
                                         : SharpPicture::decode(small, large, c.shown, c.ratio);
        ASSERT_FALSE(picture.isNull());
        EXPECT_EQ(isGreen(picture), c.fromLarger);
        EXPECT_EQ(picture.devicePixelRatio(), c.ratio);
        // In the screen's own pixels, and a fitted one in the flag's proportions.
        const QSize logical =
            c.fitted ? QSize(36, 24).scaled(c.shown, Qt::KeepAspectRatio) : c.shown;
        EXPECT_EQ(picture.size(), logical * c.ratio);
    }
}

TEST_F(LargerPicture, AStretchedPictureIsNeverHeldLargerThanItsFile)
{
    EXPECT_EQ(SharpPicture::decodeAtMostOwnSize(small, QSize(30, 20), 1.0).size(), QSize(30, 20));
    EXPECT_EQ(SharpPicture::decodeAtMostOwnSize(small, QSize(30, 20), 1.5).size(), QSize(36, 24));
    EXPECT_EQ(SharpPicture::decodeAtMostOwnSize(small, QSize(72, 48), 2.0).size(), QSize(36, 24));
}

TEST_F(LargerPicture, MissingOrBrokenLargerPictureFallsBackToTheSmallOne)
{
    QFile broken(large);
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly | QIODevice::Truncate));
    broken.write("not a picture");
    broken.close();
    for (const QString &larger : {large, folder.filePath(QStringLiteral("missing.jpg"))}) {
        const QPixmap picture = SharpPicture::decode(small, larger, QSize(72, 48), 2.0);
        ASSERT_FALSE(picture.isNull());
        EXPECT_FALSE(isGreen(picture));
        EXPECT_EQ(picture.size(), QSize(144, 96));
    }
    // With neither picture there is nothing to show.
    EXPECT_TRUE(
        SharpPicture::decode(folder.filePath(QStringLiteral("none.jpg")), large, QSize(72, 48))
            .isNull());
}
