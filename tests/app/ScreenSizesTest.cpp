// The main window on the two screen sizes players have most, 1920×1080 and 1366×768, set side
// by side as two off-screen screens.
#include "Controls.h"
#include "Fonts.h"
#include "GamePanel.h"
#include "MainWindowFixture.h"
#include "NationalDeviation.h"
#include "Twips.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QScreen *screenNamed(const QString &name)
{
    for (QScreen *screen : QGuiApplication::screens()) {
        if (screen->name() == name)
            return screen;
    }
    return nullptr;
}

// The main window started on one of the screens.
class OnScreen : public ::testing::TestWithParam<const char *>
{
protected:
    void SetUp() override
    {
        QScreen *screen = screenNamed(QString::fromLatin1(GetParam()));
        ASSERT_TRUE(screen);
        f.form->setScreen(screen);
        ASSERT_TRUE(f.form->load());
        ASSERT_EQ(f.form->screen(), screen);
    }
    template <typename T> T *get(const char *name, int index = -1) const
    {
        return control<T>(f.form.get(), QString::fromLatin1(name), index);
    }

    LoopbackServer http = LoopbackServer::quietGameServer();
    MainWindowFixture f{http.baseUrl()};
};

} // namespace

TEST_P(OnScreen, AfterAGameTheSummaryLeavesTheRegionButtonsWholeAndClickable)
{
    GamePanel &game = *f.form->gamePanel();
    QTest::mouseClick(get<QWidget>("Label11"), Qt::LeftButton);
    get<QPushButton>("Command2")->click();
    for (int q = 1; q <= 15; ++q) {
        if (q == 15)
            f.clock.autoAdvance = 0.01; // the rating's pauses end
        QTest::mouseClick(get<QWidget>("Image4", game.answerPosition()), Qt::LeftButton);
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return !f.form->deviation()->busy(); }, 10000));
    ASSERT_FALSE(game.playing());

    // " 札取りゲーム" again: the region choice with the summary still on show.
    QTest::mouseClick(get<QWidget>("Label11"), Qt::LeftButton);
    auto *text1 = get<QPlainTextEdit>("Text1");
    ASSERT_TRUE(text1->isVisible());
    QWidget *picture1 = &game;
    EXPECT_TRUE(picture1->rect().contains(text1->geometry()));
    EXPECT_EQ(text1->verticalScrollBar()->maximum(), 0) << "the summary is cut";
    for (int i = 0; i < 5; ++i) {
        auto *option = get<QRadioButton>("Option2", i);
        EXPECT_TRUE(option->isVisible()) << i;
        EXPECT_FALSE(option->geometry().intersects(text1->geometry())) << i;
        QWidget *top = picture1->childAt(option->geometry().center());
        EXPECT_EQ(top, option) << i << " is under " << (top ? top->objectName().toStdString() : "");
    }

    // The practice boxes stand whole beside the region choice: on the panel, on top where they
    // show, clear of the buttons, their frame and the summary, and a click ticks them.
    for (const char *name : {"CheckWeakest", "CheckLookAlike"}) {
        auto *box = get<QCheckBox>(name);
        ASSERT_TRUE(box->isVisible()) << name;
        EXPECT_TRUE(picture1->rect().contains(box->geometry())) << name;
        EXPECT_GE(box->width(), box->sizeHint().width()) << name << " is cut";
        EXPECT_GE(box->height(), box->sizeHint().height()) << name << " is cut";
        QWidget *top = picture1->childAt(box->geometry().center());
        EXPECT_EQ(top, box) << name << " is under " << (top ? top->objectName().toStdString() : "");
        QList<QWidget *> others{text1, get<QWidget>("Frame1"), get<QWidget>("Command2"),
                                get<QWidget>("Command3")};
        for (int i = 0; i < 5; ++i)
            others.append(get<QRadioButton>("Option2", i));
        for (QWidget *other : others)
            EXPECT_FALSE(box->geometry().intersects(other->geometry()))
                << name << " meets " << other->objectName().toStdString();
        clickInWindow(box);
        EXPECT_TRUE(box->isChecked()) << name;
        clickInWindow(box);
        EXPECT_FALSE(box->isChecked()) << name;
    }

    // A click where 世界編 shows chooses it, and the next game is of that region.
    auto *world = get<QRadioButton>("Option2", 4);
    const int captionMiddle = world->style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth) +
                              world->style()->pixelMetric(QStyle::PM_RadioButtonLabelSpacing) +
                              world->fontMetrics().horizontalAdvance(world->text()) / 2;
    QTest::mouseClick(f.form->windowHandle(), Qt::LeftButton, {},
                      world->mapTo(f.form.get(), QPoint(captionMiddle, world->height() / 2)));
    EXPECT_TRUE(world->isChecked());
    get<QPushButton>("Command2")->click();
    EXPECT_TRUE(game.playing());
    EXPECT_EQ(f.state.regionKey, "sekai");
}

TEST_P(OnScreen, ExtraPicturesShowAtTheirOwnSizeOverNothingElse)
{
    // Study by name opens on 日本 (ID 8); its pictures are as large as the shipped ones.
    const QSize firstSize(240, 180);
    const QSize secondSize(230, 190);
    QImage first(firstSize, QImage::Format_RGB32);
    first.fill(Qt::darkGreen);
    ASSERT_TRUE(first.save(f.folder.file("国旗/8a.jpg")));
    QImage second(secondSize, QImage::Format_RGB32);
    second.fill(Qt::darkRed);
    ASSERT_TRUE(second.save(f.folder.file("国旗/8b.jpg")));
    QTest::mouseClick(get<QWidget>("Label10"), Qt::LeftButton);
    ASSERT_EQ(get<QLabel>("Label3")->text(), "日本");

    auto *image2 = get<QLabel>("Image2");
    auto *image3 = get<QLabel>("Image3");
    EXPECT_EQ(image2->geometry(),
              QRect(QPoint(Twips::toPixels(12660), Twips::toPixels(3750)), firstSize));
    EXPECT_EQ(image3->geometry(),
              QRect(QPoint(Twips::toPixels(4980), Twips::toPixels(3720)), secondSize));
    EXPECT_EQ(image2->pixmap().size(), firstSize);
    EXPECT_EQ(image3->pixmap().size(), secondSize);

    // Every control on show, wherever it sits among the panels, is compared on the window.
    const auto onWindow = [this](const QWidget *widget) {
        return QRect(widget->mapTo(f.form.get(), QPoint()), widget->size());
    };
    const QRect window = f.form->rect();
    for (QLabel *picture : {image2, image3}) {
        EXPECT_TRUE(window.contains(onWindow(picture))) << picture->objectName().toStdString();
        for (QWidget *other : f.form->findChildren<QWidget *>()) {
            if (other == picture || other->isAncestorOf(picture) || !other->isVisible() ||
                other->isWindow())
                continue;
            EXPECT_FALSE(onWindow(picture).intersects(onWindow(other)))
                << picture->objectName().toStdString() << " covers "
                << other->objectName().toStdString();
        }
    }
}

TEST_P(OnScreen, TheStudyLinesFitTheWindowAndCoverNothing)
{
    QTest::mouseClick(get<QWidget>("Label10"), Qt::LeftButton);
    const QRect window = f.form->rect();
    const auto onWindow = [this](const QWidget *widget) {
        return QRect(widget->mapTo(f.form.get(), QPoint()), widget->size());
    };
    for (const char *name : {"LabelHint", "LabelRecord"}) {
        auto *line = get<QLabel>(name);
        ASSERT_TRUE(line && line->isVisible()) << name;
        EXPECT_TRUE(window.contains(onWindow(line))) << name;
        for (QWidget *other : f.form->findChildren<QWidget *>()) {
            // A masked panel is only where its controls are, and they are compared themselves.
            if (other == line || other->isAncestorOf(line) || !other->isVisible() ||
                other->isWindow() || !other->mask().isEmpty())
                continue;
            EXPECT_FALSE(onWindow(line).intersects(onWindow(other)))
                << name << " covers " << other->objectName().toStdString();
        }
    }
    // The longest record still reads whole.
    auto *record = get<QLabel>("LabelRecord");
    EXPECT_LE(record->fontMetrics().horizontalAdvance(
                  QStringLiteral("出題 9999回・一発正解 9999回・ミス 9999回・次の復習: 12月15日")),
              record->width());
}

INSTANTIATE_TEST_SUITE_P(Screens, OnScreen, ::testing::Values("wide", "laptop"));

int main(int argc, char **argv)
{
    QTemporaryDir config;
    const QString path = config.filePath(QStringLiteral("screens.json"));
    QFile json(path);
    if (!json.open(QIODevice::WriteOnly))
        return 1;
    json.write(R"({"screens": [
        {"name": "wide", "x": 0, "y": 0, "width": 1920, "height": 1080,
         "logicalDpi": 96, "dpr": 1},
        {"name": "laptop", "x": 1920, "y": 0, "width": 1366, "height": 768,
         "logicalDpi": 96, "dpr": 1}]})");
    json.close();
    qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + path).toLocal8Bit());
    QApplication app(argc, argv);
    Fonts::installSubstitutes();
    Fonts::useScreen();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
