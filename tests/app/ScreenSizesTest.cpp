// The main window on the screen sizes players have: 1920×1080, 1366×768, 1280×720, a
// 2560×1440 screen at scale 2, a 3840×2160 one at scale 1.5 and a 2560×1080 one wider than the
// design's proportions, set side by side as off-screen screens.
#include "Controls.h"
#include "Fonts.h"
#include "Form2.h"
#include "GamePanel.h"
#include "MainWindowFixture.h"
#include "NationalDeviation.h"
#include "OffscreenScreens.h"
#include "PhraseLabel.h"
#include "Twips.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTextBlock>
#include <QTextLayout>

#include <gtest/gtest.h>

#include <algorithm>
#include <string_view>

namespace {

// The program takes its scale from the screen before it makes a window, as it does at start.
QScreen *useScreenNamed(const char *name)
{
    QScreen *screen = screenNamed(QString::fromLatin1(name));
    Fonts::useScreen(screen);
    return screen;
}

// The main window started on one of the screens.
class OnScreen : public ::testing::TestWithParam<const char *>
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(screen);
        f.form->setScreen(screen);
        ASSERT_TRUE(f.form->load());
        ASSERT_EQ(f.form->screen(), screen);
        ASSERT_TRUE(screen->availableGeometry().contains(f.form->geometry()));
    }
    template <typename T> T *get(const char *name, int index = -1) const
    {
        return control<T>(f.form.get(), QString::fromLatin1(name), index);
    }
    // Where the design's top left corner stands in the window: the menu's first entry is 30
    // twips right of and below it.
    QPoint designCorner() const
    {
        return get<QWidget>("Label8")->pos() - QPoint(Twips::toPixels(30), Twips::toPixels(30));
    }
    QRect onWindow(const QWidget *widget) const
    {
        return QRect(widget->mapTo(f.form.get(), QPoint()), widget->size());
    }
    // Each control of a mode (every element on show of a control array) lies whole inside the
    // window, and where the player would click it nothing else lies over it. A frame is
    // clicked on its title, since its area holds the region buttons.
    void expectWholeAndOnTop(const char *mode, const QStringList &names) const
    {
        const QRect window = f.form->rect();
        for (const QString &name : names) {
            int shown = 0;
            for (QWidget *widget : f.form->findChildren<QWidget *>(name)) {
                if (!widget->isVisibleTo(f.form.get()))
                    continue;
                ++shown;
                const QRect shape = onWindow(widget);
                EXPECT_TRUE(window.contains(shape))
                    << mode << ": " << name.toStdString() << " is cut off";
                const int line = widget->fontMetrics().height();
                const QPoint where = qobject_cast<QGroupBox *>(widget)
                                         ? shape.topLeft() + QPoint(line, line / 2)
                                         : shape.center();
                QWidget *top = f.form->childAt(where);
                EXPECT_TRUE(top == widget || widget->isAncestorOf(top))
                    << mode << ": " << name.toStdString() << " is under "
                    << (top ? top->objectName().toStdString() : "nothing");
            }
            EXPECT_GT(shown, 0) << mode << ": " << name.toStdString() << " is not on show";
        }
    }

    // A picture decoded at its label's size in the screen's own pixels: at a ratio like 1.5 an
    // odd size has no whole number of them, and the picture has the nearest whole number.
    static void expectDrawnInScreenPixels(const QLabel *label)
    {
        const qreal ratio = label->devicePixelRatioF();
        EXPECT_EQ(label->pixmap().devicePixelRatio(), ratio) << label->objectName().toStdString();
        const QSizeF size = label->pixmap().deviceIndependentSize();
        EXPECT_NEAR(size.width(), label->width(), 1 / ratio) << label->objectName().toStdString();
        EXPECT_NEAR(size.height(), label->height(), 1 / ratio) << label->objectName().toStdString();
    }

    // Each mode in turn, with the controls it shows.
    void expectEveryModeWholeAndOnTop() const
    {
        const QStringList menu{"Label8",  "Label9",  "Label10", "Label11",
                               "Label19", "Label21", "Command1"};
        const QStringList credits{"Label7", "Image7", "Label22"};
        const QStringList display{"Image1", "Label1", "Label3",  "Label2",      "Label4",
                                  "Label6", "Label5", "Label18", "LabelRecord", "Label12"};
        expectWholeAndOnTop("start", menu + credits + QStringList{"Image6", "Label12"});
        QTest::mouseClick(get<QWidget>("Label9"), Qt::LeftButton);
        expectWholeAndOnTop("gallery",
                            menu + credits + display + QStringList{"Frame2", "VScroll2", "Image5"});
        QTest::mouseClick(get<QWidget>("Label10"), Qt::LeftButton);
        expectWholeAndOnTop("by name", menu + credits + display +
                                           QStringList{"Text2", "Command4", "LabelHint", "List1"});
        QTest::mouseClick(get<QWidget>("Label11"), Qt::LeftButton);
        const QStringList game{"Label13", "Label14", "Command2", "Command3"};
        expectWholeAndOnTop("region choice",
                            menu + game +
                                QStringList{"Frame1", "Option2", "CheckWeakest", "CheckLookAlike"});
        // The day's review takes the game panel's place, first with a card of new flags.
        auto *dailyReview = get<QPushButton>("CommandReview");
        ASSERT_TRUE(dailyReview->isEnabled());
        QTest::mouseClick(dailyReview, Qt::LeftButton);
        expectWholeAndOnTop("day's review",
                            menu + QStringList{"ReviewTitle", "ReviewProgress", "ReviewBack",
                                               "ReviewQuestion", "ReviewKeys", "ReviewCard"});
        QTest::keyClick(get<QWidget>("ReviewCard", 1), Qt::Key_Return);
        expectWholeAndOnTop("day's review, learning",
                            menu + QStringList{"ReviewRightFlag", "ReviewRightText", "ReviewNext"});
        QTest::mouseClick(get<QWidget>("ReviewBack"), Qt::LeftButton);
        get<QRadioButton>("Option2", 4)->click();
        get<QPushButton>("Command2")->click();
        ASSERT_TRUE(f.form->gamePanel()->playing());
        QTest::mouseClick(get<QWidget>("Image4", f.form->gamePanel()->answerPosition() % 12 + 1),
                          Qt::LeftButton);
        expectWholeAndOnTop("game", menu + game + QStringList{"Label16", "Label17", "Image4"});
    }

    QScreen *screen = useScreenNamed(GetParam());
    LoopbackServer http = LoopbackServer::quietGameServer();
    MainWindowFixture f{http.baseUrl()};
};

} // namespace

TEST_P(OnScreen, EveryModeShowsEveryControlWholeAndOnTop)
{
    // The design is scaled by one factor to the screen, down or up: it fills the window in one
    // direction and stands centred in the other.
    const QSize logical = screen->availableGeometry().size();
    const QSize design(Twips::toPixels(Twips::designWidth), Twips::toPixels(Twips::designHeight));
    EXPECT_LE(design.width(), logical.width());
    EXPECT_LE(design.height(), logical.height());
    const QSize window = f.form->size();
    EXPECT_TRUE(design.width() >= window.width() - 1 || design.height() >= window.height() - 1);
    EXPECT_EQ(Twips::scale < 1.0, logical.width() < 1360 || logical.height() < 720);
    EXPECT_EQ(Twips::scale > 1.0, logical.width() > 1360 && logical.height() > 720);
    EXPECT_DOUBLE_EQ(f.form->font().pointSizeF(), 9 * Twips::scale);
    EXPECT_NEAR(designCorner().x(), (window.width() - design.width()) / 2, 1);
    EXPECT_NEAR(designCorner().y(), (window.height() - design.height()) / 2, 1);

    expectEveryModeWholeAndOnTop();
    // The game panel, as wide as the screen, ends where the window does: what grows to its
    // right edge (the summary) stays in sight with the design centred.
    EXPECT_LE(onWindow(get<QWidget>("Picture1")).right(), f.form->rect().right());

    // The cards are drawn in the screen's own pixels, on a full HD screen well larger than
    // designed for players who need the flags large.
    auto *card = get<QLabel>("Image4", 12);
    expectDrawnInScreenPixels(card);
    if (std::string_view(GetParam()) == "wide") {
        EXPECT_GE(card->width(), 1.3 * 2385 / 15);
        EXPECT_GE(card->height(), 1.3 * 1455 / 15);
    }
}

TEST_P(OnScreen, AWindowMadeSmallerShrinksAsAWholeAndGrowsBack)
{
    const double onScreen = Twips::scale;
    const QRect exit = get<QWidget>("Command1")->geometry();
    const QRect whole = f.form->geometry();
    f.form->showNormal();
    f.form->setGeometry(QRect(whole.topLeft(), QSize(960, 540)));
    ASSERT_EQ(f.form->size(), QSize(960, 540));
    EXPECT_LT(Twips::scale, onScreen);
    EXPECT_DOUBLE_EQ(get<QWidget>("Image6")->font().pointSizeF(), 9 * Twips::scale);
    expectEveryModeWholeAndOnTop();

    // Back at its size the window is as it was, not a pixel off.
    f.form->setGeometry(whole);
    EXPECT_DOUBLE_EQ(Twips::scale, onScreen);
    EXPECT_EQ(get<QWidget>("Command1")->geometry(), exit);
    EXPECT_EQ(get<QWidget>("Command1")->font().pointSizeF(), Twips::points(21.75));
}

TEST_P(OnScreen, AfterAGameTheSummaryLeavesTheRegionButtonsWholeAndClickable)
{
    GamePanel &game = *f.form->gamePanel();
    QTest::mouseClick(get<QWidget>("Label11"), Qt::LeftButton);
    // The instructions wrap between phrases only, and each line fits its label.
    const auto wrapsBetweenPhrases = [this](const char *name) {
        auto *label = get<PhraseLabel>(name);
        const QStringList lines = label->lines(label->contentsRect().width());
        for (qsizetype i = 0; i < lines.size(); ++i) {
            EXPECT_LE(label->fontMetrics().horizontalAdvance(lines[i]),
                      label->contentsRect().width())
                << name;
            if (i + 1 < lines.size()) {
                EXPECT_TRUE(QStringLiteral("。、？！　 ").contains(lines[i].back()))
                    << name << " breaks in " << lines[i].toStdString();
            }
        }
        EXPECT_EQ(lines.join(QString()), label->text()) << name;
    };
    for (const bool practice : {false, true}) {
        get<QCheckBox>("CheckWeakest")->setChecked(practice);
        wrapsBetweenPhrases("Label13");
        wrapsBetweenPhrases("Label14");
    }
    get<QCheckBox>("CheckWeakest")->setChecked(false);
    get<QPushButton>("Command2")->click();
    for (int q = 1; q <= 15; ++q) {
        if (q == 15)
            f.clock.autoAdvance = 0.01; // the rating's pauses end
        QTest::mouseClick(get<QWidget>("Image4", game.answerPosition()), Qt::LeftButton);
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return !f.form->deviation()->busy(); }, 10000));
    ASSERT_FALSE(game.playing());

    // The rating window lies on the screen over neither the summary nor the review, nor the
    // question and the menu above them; the review keeps room for a row of flags.
    QWidget *form6 = f.form->deviation()->form6();
    auto *review = get<QWidget>("Review");
    ASSERT_TRUE(form6 && form6->isVisible() && review->isVisible());
    const QRect rating = form6->frameGeometry();
    const auto onScreen = [](const QWidget *w) {
        return QRect(w->mapToGlobal(QPoint()), w->size());
    };
    EXPECT_TRUE(f.form->screen()->availableGeometry().contains(rating));
    // It is drawn at the main window's scale, larger on a large screen as the cards are.
    EXPECT_EQ(form6->size(), Twips::rect(0, 0, 8100, 5400).size());
    for (const char *name : {"Text1", "Review", "Label13", "Label17", "Label11", "Command2"})
        EXPECT_FALSE(rating.intersects(onScreen(get<QWidget>(name)))) << "covers " << name;
    EXPECT_GE(review->width(), Twips::toPixels(900 + 3 * 1650));

    // The game rated again from the results window: the rating window moves off that window's
    // details, buttons and game numbers, which the player goes on using.
    ASSERT_EQ(game.chosenRegionKey(), "asia&taiyou");
    QTest::mouseClick(get<QWidget>("Label19"), Qt::LeftButton);
    QAbstractItemView *regions = get<QComboBox>("Combo1")->view();
    QTest::mouseClick(regions->viewport(), Qt::LeftButton, {},
                      regions->visualRect(regions->model()->index(0, 0)).center());
    Form2 *form2 = f.form->form2();
    ASSERT_TRUE(form2 && QTest::qWaitForWindowActive(form2));
    EXPECT_TRUE(f.form->screen()->geometry().contains(form2->frameGeometry()));
    QTest::mouseClick(control<QWidget>(form2, "Label1", 0), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !f.form->deviation()->busy(); }, 10000));
    const auto form2Area = [&](const char *name, int index = -1) {
        return onScreen(control<QWidget>(form2, name, index));
    };
    for (const auto &[name, area] : std::initializer_list<std::pair<const char *, QRect>>{
             {"Text1", form2Area("Text1")},
             {"Text4", form2Area("Text4")},
             {"Command1", form2Area("Command1")},
             {"the game numbers", form2Area("Label1", 0).united(form2Area("Label3", 29))}})
        EXPECT_FALSE(form6->frameGeometry().intersects(area)) << "covers " << name;
    form2->hide();
    f.form->activateWindow();

    // The summary's first line, when it wraps, wraps before the date and time.
    const QTextBlock first = get<QPlainTextEdit>("Text1")->document()->firstBlock();
    const qsizetype dateAt = first.text().indexOf(QStringLiteral("2026/12/06"));
    ASSERT_GT(dateAt, 0);
    const QTextLine dateLine = first.layout()->lineForTextPosition(static_cast<int>(dateAt));
    EXPECT_GE(dateLine.textStart() + dateLine.textLength(), dateAt + 19);

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
    EXPECT_EQ(game.chosenRegionKey(), "sekai");
    // The rating window gives way to the new game's cards: beside them where the screen has
    // room for it, else closed.
    EXPECT_FALSE(form6->isVisible() && form6->frameGeometry().intersects(game.cardArea()));
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

    // Their own size at the windows' scale, in as many pixels as the screen has.
    auto *image2 = get<QLabel>("Image2");
    auto *image3 = get<QLabel>("Image3");
    EXPECT_EQ(image2->geometry(),
              QRect(designCorner() + QPoint(Twips::toPixels(12660), Twips::toPixels(3750)),
                    Twips::shown(firstSize)));
    EXPECT_EQ(image3->geometry(),
              QRect(designCorner() + QPoint(Twips::toPixels(4980), Twips::toPixels(3720)),
                    Twips::shown(secondSize)));
    for (QLabel *picture : {image2, image3})
        expectDrawnInScreenPixels(picture);

    // Every control on show, wherever it sits among the panels, is compared on the window.
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

INSTANTIATE_TEST_SUITE_P(Screens, OnScreen,
                         ::testing::Values("wide", "laptop", "small", "scaled", "uhd",
                                           "ultrawide"));

int main(int argc, char **argv)
{
    return runWindowTests(argc, argv,
                          {{"wide", 1920, 1080},
                           {"laptop", 1366, 768},
                           {"small", 1280, 720},
                           {"scaled", 1280, 720, 2},
                           {"uhd", 2560, 1440, 1.5},
                           {"ultrawide", 2560, 1080}});
}
