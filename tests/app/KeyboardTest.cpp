// The main window without a mouse: the menu's keys, the Tab chain of every mode, the game
// played with keys alone, the gallery's keys, and the names a screen reader gives the controls.

#include "CardKeys.h"
#include "Controls.h"
#include "Form1.h"
#include "GamePanel.h"
#include "MainWindowFixture.h"
#include "NationalDeviation.h"
#include "ProgramFolder.h"
#include "ScreenReaderLog.h"
#include "StudyView.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class Keyboard : public ::testing::Test
{
protected:
    void SetUp() override
    {
        f.clock.autoAdvance = 0.01;
        ASSERT_TRUE(f.form->load());
        f.form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(f.form.get()));
    }

    // A key as the window system brings it: to the control with the focus.
    void key(int k, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget *focused = QApplication::focusWidget();
        QTest::keyClick(focused ? focused : f.form.get(), Qt::Key(k), modifiers);
    }
    template <typename T = QWidget> T *get(const char *name, int index = -1) const
    {
        return control<T>(f.form.get(), name, index);
    }
    static QString nameOf(const QWidget *widget)
    {
        const QVariant index = widget->property("index");
        return index.isValid() ? widget->objectName() + QString::number(index.toInt())
                               : widget->objectName();
    }
    // The controls Tab visits from the first menu entry until it comes back there.
    QStringList tabChain()
    {
        get("Label8")->setFocus();
        QStringList chain{nameOf(QApplication::focusWidget())};
        for (int i = 0; i < 60; ++i) {
            key(Qt::Key_Tab);
            QWidget *focused = QApplication::focusWidget();
            if (!focused || focused == get("Label8"))
                break;
            chain << nameOf(focused);
        }
        return chain;
    }
    QString accessibleName(QWidget *widget) const
    {
        QAccessibleInterface *face = QAccessible::queryAccessibleInterface(widget);
        return face ? face->text(QAccessible::Name) : QString();
    }
    // Every design control on show that a screen reader would find without a name. A label
    // with neither text nor picture says nothing and is passed over by readers too.
    QStringList unnamedControls() const
    {
        QStringList unnamed;
        for (QWidget *widget : f.form->findChildren<QWidget *>()) {
            const auto *label = qobject_cast<QLabel *>(widget);
            if (label && label->text().isEmpty() && label->pixmap().isNull())
                continue;
            if (!widget->objectName().isEmpty() && !widget->objectName().startsWith("qt_") &&
                widget->isVisible() && accessibleName(widget).trimmed().isEmpty())
                unnamed << nameOf(widget);
        }
        return unnamed;
    }
    // Every control on show inside the window that a reader would take for a window of its
    // own, and then ignore whatever happens inside it.
    QStringList framesInside() const
    {
        QStringList frames;
        for (QWidget *widget : f.form->findChildren<QWidget *>()) {
            QAccessibleInterface *face = QAccessible::queryAccessibleInterface(widget);
            if (!widget->isWindow() && widget->isVisible() && face &&
                (face->role() == QAccessible::Window || face->role() == QAccessible::Border))
                frames << nameOf(widget);
        }
        return frames;
    }
    // Whether the control draws the focus frame down its left edge, white under the dashes.
    static bool showsFocusFrame(QWidget *widget)
    {
        const QImage image = widget->grab().toImage();
        const QColor dashes = widget->palette().color(QPalette::Highlight);
        for (int y = 3; y < image.height() - 3; ++y) {
            const QColor pixel = image.pixelColor(1, y);
            if (pixel != Qt::white && pixel != dashes)
                return false;
        }
        return true;
    }
    GamePanel &game() const { return *f.form->gamePanel(); }

    LoopbackServer http = LoopbackServer::quietGameServer();
    MainWindowFixture f{http.baseUrl()};
};

const QStringList menuChain{"Label8",  "Label9",  "Label10", "Label11",
                            "Label19", "Label21", "Command1"};

QStringList numbered(const QString &name, int from, int to)
{
    QStringList names;
    for (int i = from; i <= to; ++i)
        names << name + QString::number(i);
    return names;
}

} // namespace

TEST_F(Keyboard, EveryModeIsReachedByItsKeyAndTabFollowsReadingOrder)
{
    struct Case
    {
        QKeySequence key;
        QStringList chain; // after the menu row
    };
    const QList<Case> cases{
        {QKeySequence(), {"Label12", "Label22"}},
        {QKeySequence(Qt::CTRL | Qt::Key_1),
         numbered("Image5", 1, 8) + QStringList{"Label18", "Label12", "Label22"}},
        {QKeySequence(Qt::CTRL | Qt::Key_2),
         {"Text2", "Command4", "List1", "Label18", "Label12", "Label22"}},
        {QKeySequence(Qt::CTRL | Qt::Key_3),
         {"Option20", "CheckWeakest", "CheckLookAlike", "Command2", "Command3", "CommandReview"}},
    };
    // The keyboard starts at the first menu entry, never at the outside link at the foot.
    EXPECT_EQ(QApplication::focusWidget(), get("Label8"));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.key.toString().toStdString());
        if (!c.key.isEmpty()) {
            key(c.key[0].key(), c.key[0].keyboardModifiers());
            // On the mode's first control, and to be seen there.
            QWidget *focused = QApplication::focusWidget();
            ASSERT_TRUE(focused);
            EXPECT_EQ(nameOf(focused), c.chain.first());
            if (!focused->inherits("QLineEdit")) {
                EXPECT_TRUE(showsFocusFrame(focused));
            }
        }
        EXPECT_EQ(framesInside().join(' ').toStdString(), "");
        EXPECT_EQ(tabChain().join(' ').toStdString(),
                  (menuChain + c.chain).join(' ').toStdString());
        EXPECT_EQ(unnamedControls().join(' ').toStdString(), "");
    }

    get("CheckWeakest")->setFocus(Qt::TabFocusReason);
    EXPECT_TRUE(showsFocusFrame(get("CheckWeakest")));

    // The day's review: やめる, then the flags of its first card; Esc before an answer leaves.
    key(Qt::Key_3, Qt::ControlModifier);
    get("CommandReview")->setFocus();
    QSignalSpy focusMoves(qApp, &QApplication::focusChanged);
    key(Qt::Key_Space);
    // Straight to its first flag, through none of the window's other controls on the way, each
    // of which a reader would speak.
    EXPECT_EQ(focusMoves.size(), 1);
    EXPECT_EQ(QApplication::focusWidget(), get("ReviewCard", 1));
    EXPECT_EQ(framesInside().join(' ').toStdString(), "");
    EXPECT_EQ(tabChain().join(' ').toStdString(),
              (menuChain + QStringList{"ReviewBack"} + numbered("ReviewCard", 1, 12))
                  .join(' ')
                  .toStdString());
    EXPECT_EQ(unnamedControls().join(' ').toStdString(), "");
    get("ReviewCard", 1)->setFocus();
    key(Qt::Key_Escape);
    EXPECT_TRUE(get("Frame1")->isVisible());

    // A game under way: 戻る, then the cards in reading order.
    key(Qt::Key_3, Qt::ControlModifier);
    get<QAbstractButton>("Command2")->click();
    ASSERT_TRUE(game().playing());
    EXPECT_EQ(tabChain().join(' ').toStdString(),
              (menuChain + QStringList{"Command2", "Command3"} + numbered("Image4", 1, 12))
                  .join(' ')
                  .toStdString());
    EXPECT_EQ(unnamedControls().join(' ').toStdString(), "");

    // Shift+Tab goes back the same way.
    get("Image4", 1)->setFocus();
    key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), get("Command3"));

    // F1 is 概要, Ctrl+5 お勧めアプリ, Ctrl+4 the region list of the graph.
    key(Qt::Key_F1);
    EXPECT_EQ(f.shell.files.size(), 1);
    key(Qt::Key_5, Qt::ControlModifier);
    EXPECT_EQ(f.shell.addresses, QStringList{f.config.shopUrl});
    key(Qt::Key_4, Qt::ControlModifier);
    EXPECT_TRUE(get("Combo1")->isVisible());
}

TEST_F(Keyboard, AWholeGameIsPlayedWithKeysAlone)
{
    key(Qt::Key_3, Qt::ControlModifier);
    EXPECT_EQ(QApplication::focusWidget(), get("Option2", 0));
    key(Qt::Key_Down); // the next region
    EXPECT_EQ(QApplication::focusWidget(), get("Option2", 1));
    while (QApplication::focusWidget() != get("Command2"))
        key(Qt::Key_Tab);
    // Enter presses スタート as Space does. Esc in a game is 戻る: back to the region choice,
    // nothing recorded.
    key(Qt::Key_Return);
    ASSERT_TRUE(game().playing());
    key(CardKeys::keys[static_cast<size_t>(game().session()->answerPosition() - 1)]);
    ASSERT_EQ(game().session()->questionNumber(), 2);
    QSignalSpy focusMoves(qApp, &QApplication::focusChanged);
    key(Qt::Key_Escape);
    EXPECT_EQ(f.messages.asked, QStringList{"ゲームを中断しますか？"});
    // Straight back, through none of the cards on the way, each of which a reader would speak.
    EXPECT_EQ(focusMoves.size(), 1);
    EXPECT_FALSE(game().playing());
    EXPECT_TRUE(get("Frame1")->isVisible());
    EXPECT_FALSE(get("Image4", 1)->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), get("Option2", 1));
    EXPECT_FALSE(QFile::exists(f.folder.file("seisekieurope.csv")));

    // Then a whole game, from スタート pressed with Space.
    while (QApplication::focusWidget() != get("Command2"))
        key(Qt::Key_Tab);
    ScreenReaderLog reader;
    key(Qt::Key_Space);
    ASSERT_TRUE(game().playing());
    // The question as it is heard: "…の国旗はどれですか？ 第1問".
    const auto question = [&] {
        return get<QLabel>("Label13")->text() + "の国旗はどれですか？ 第" +
               QString::number(game().session()->questionNumber()) + "問";
    };
    EXPECT_EQ(reader.takeAnnounced(), QStringList{question()});
    EXPECT_EQ(game().chosenRegionKey(), "europe");
    EXPECT_EQ(QApplication::focusWidget(), get("Image4", 1));

    // Before the answer a card is its place only, never its country.
    for (int k = 1; k <= 12; ++k) {
        auto *card = get<QLabel>("Image4", k);
        EXPECT_EQ(accessibleName(card), QString("%1番目の国旗").arg(k));
        EXPECT_TRUE(card->text().isEmpty());
        EXPECT_TRUE(card->toolTip().isEmpty());
    }

    const GameSession &session = *game().session();
    // The last card by both of its keys: "=", and "^" beside "-" on a Japanese keyboard.
    int wrong = GameRules::cardsPerBoard;
    while (session.rowAt(wrong) == session.rowAt(session.answerPosition()))
        --wrong;
    ASSERT_EQ(wrong, GameRules::cardsPerBoard);
    key(CardKeys::japaneseTwelfthKey);
    key(CardKeys::keys[static_cast<size_t>(wrong - 1)]);
    EXPECT_EQ(session.misses(), 2);
    // Each pick is told again, though the words are the same.
    EXPECT_EQ(reader.takeAnnounced(), (QStringList{"違います。", "違います。"}));
    EXPECT_EQ(get<QLabel>("Label16")->text(), "違います。");
    EXPECT_EQ(get<QLabel>("LabelVerdictSign")->text(), "✕");
    EXPECT_TRUE(get("LabelMiss", wrong)->isVisible());
    EXPECT_EQ(accessibleName(get("Image4", wrong)), QString("%1番目の国旗（違います）").arg(wrong));

    // The focus ring walks to the right card with the arrows, and Enter picks it.
    const int answer = session.answerPosition();
    const int from = wrong;
    if ((from - 1) / 6 != (answer - 1) / 6)
        key(answer > from ? Qt::Key_Down : Qt::Key_Up);
    while (QApplication::focusWidget() != get("Image4", answer))
        key(Qt::Key_Right);
    const QString second = session.askedName();
    key(Qt::Key_Return);
    EXPECT_EQ(session.questionNumber(), 2);
    // The verdict and the next question in one: a second announcement would cut the first.
    EXPECT_EQ(reader.takeAnnounced(), QStringList{"正解です。 " + question()});
    EXPECT_EQ(get<QLabel>("Label16")->text(), "正解です。");
    EXPECT_EQ(get<QLabel>("LabelVerdictSign")->text(), "✓");
    EXPECT_FALSE(get("LabelMiss", wrong)->isVisible());
    EXPECT_NE(session.askedName(), second);

    // The number keys for the rest, the card found through the session.
    for (int q = 2; q <= 15; ++q)
        key(CardKeys::keys[static_cast<size_t>(session.answerPosition() - 1)]);
    EXPECT_FALSE(game().playing());
    EXPECT_TRUE(session.over());
    // The rating window has come up over it; back in the main window the keys are on スタート.
    EXPECT_EQ(f.form->focusWidget(), get("Command2"));
    EXPECT_EQ(session.misses(), 2);
    EXPECT_EQ(reader.takeAnnounced().value(13),
              "正解です。 " + get<QPlainTextEdit>("Text1")->toPlainText());
    EXPECT_TRUE(f.folder.readFile("seisekieurope.csv").contains(", 2,"));
    EXPECT_EQ(unnamedControls().join(' ').toStdString(), "");
}

TEST_F(Keyboard, TheGalleryScrollsWithTheFocusAndEnterShowsTheFlag)
{
    key(Qt::Key_1, Qt::ControlModifier);
    EXPECT_EQ(QApplication::focusWidget(), get("Image5", 1));
    EXPECT_EQ(accessibleName(get("Image5", 1)), ProgramFolder::countryName(1) + "の国旗");
    struct Step
    {
        Qt::Key key;
        int focused;
        int first;
    };
    const QList<Step> steps{{Qt::Key_Down, 2, 1},       {Qt::Key_PageDown, 10, 3},
                            {Qt::Key_PageDown, 18, 11}, {Qt::Key_Up, 17, 11},
                            {Qt::Key_PageUp, 9, 9},     {Qt::Key_PageUp, 1, 1},
                            {Qt::Key_Up, 1, 1}};
    for (const Step &step : steps) {
        key(step.key);
        EXPECT_EQ(QApplication::focusWidget(), get("Image5", step.focused)) << step.focused;
        EXPECT_EQ(f.form->studyView()->galleryFirst(), step.first) << step.focused;
    }
    key(Qt::Key_Down);
    key(Qt::Key_Return);
    EXPECT_EQ(get<QLabel>("Label4")->text(), ProgramFolder::capitalName(2));
}
