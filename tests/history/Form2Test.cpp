#include "Form2.h"
#include "ClickableLabel.h"
#include "Controls.h"
#include "GraphLines.h"
#include "MainWindowFixture.h"
#include "NationalDeviation.h"
#include "PhraseLabel.h"
#include "ServerProcess.h"
#include "Twips.h"
#include "WorldMapView.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

LoopbackServer quietServer()
{
    return LoopbackServer([](const QString &path, int) {
        if (path.endsWith("oshirase.txt"))
            return LoopbackReply{200, "<no news>"};
        return LoopbackReply{404, ""};
    });
}

QByteArray gameLine(int score, const QByteArray &seconds, int misses, const QByteArray &date)
{
    return " " + QByteArray::number(score) + ", " + seconds + ", " + QByteArray::number(misses) +
           "," + date + "\r\n";
}

QByteArray games(int count)
{
    QByteArray data;
    for (int n = 1; n <= count; ++n)
        data += gameLine(200 + n % 300, "60", n % 4, "2026/12/06 21:" + QByteArray::number(n));
    return data;
}

// The main window after its start-up, with a clock that moves on by itself so that every
// pause ends.
struct Window
{
    explicit Window(const QString &serverBase) : f(serverBase)
    {
        f.clock.autoAdvance = 0.05;
        EXPECT_TRUE(f.form->load());
    }

    // What a player does: " 成績グラフ", then the region in the list that drops down.
    Form2 *choose(int regionIndex, bool staysOpen = true)
    {
        QTest::mouseClick(control<QWidget>(f.form.get(), "Label19"), Qt::LeftButton);
        auto *combo = control<QComboBox>(f.form.get(), "Combo1");
        EXPECT_TRUE(combo->isVisible());
        QAbstractItemView *list = combo->view();
        EXPECT_TRUE(list->isVisible());
        const QRect item = list->visualRect(list->model()->index(regionIndex, 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, item.center());
        Form2 *form2 = f.form->form2();
        EXPECT_TRUE(form2);
        if (staysOpen) {
            EXPECT_TRUE(QTest::qWaitForWindowActive(form2));
        }
        return form2;
    }

    void activateAgain(Form2 *form2)
    {
        f.form->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(f.form.get()));
        form2->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(form2));
    }

    MainWindowFixture f;
};

QString text4(Form2 *form2)
{
    return control<QPlainTextEdit>(form2, "Text4")->toPlainText();
}

QString text1(Form2 *form2)
{
    return control<QLineEdit>(form2, "Text1")->text();
}

int visibleLines(Form2 *form2)
{
    int count = 0;
    for (int i = 0; i < 30; ++i)
        count += control<GraphLine>(form2, "Line3", i)->visible ? 1 : 0;
    return count;
}

void mouse(Form2 *form2, QEvent::Type type, int twipsX, Qt::MouseButton button,
           Qt::MouseButtons buttons)
{
    const QPointF at(Twips::toPixels(twipsX), Twips::toPixels(3000));
    QMouseEvent event(type, at, form2->mapToGlobal(at), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(form2, &event);
}

// A drag to the left by `columns` column widths and a little, moving as a hand does.
void dragLeft(Form2 *form2, int columns)
{
    const int from = 6000;
    const int to = from - columns * form2->graph().columnStep() - form2->graph().columnStep() / 3;
    mouse(form2, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    for (int x = from; x > to; x -= 40)
        mouse(form2, QEvent::MouseMove, x, Qt::NoButton, Qt::LeftButton);
    mouse(form2, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    mouse(form2, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
}

void click(Form2 *form2, const char *name, int index)
{
    QTest::mouseClick(control<QWidget>(form2, name, index), Qt::LeftButton);
}

class ResultsWindow : public ::testing::Test
{
protected:
    LoopbackServer http = quietServer();
    Window w{http.baseUrl()};
};

} // namespace

TEST_F(ResultsWindow, OpensCentredOverThePastGamesOfTheChosenRegion)
{
    w.f.folder.writeFile("seisekieurope.csv", games(40));
    Form2 *form2 = w.choose(1);

    EXPECT_FALSE(control<QWidget>(w.f.form.get(), "Text3")->isVisible());
    EXPECT_EQ(form2->regionKey(), "europe");
    EXPECT_EQ(form2->windowTitle(), "フラミオ");
    EXPECT_EQ(control<QLabel>(form2, "Label4")->text(), "ヨーロッパ編");
    const QRect screen = form2->screen()->geometry();
    const QRect outer = form2->frameGeometry();
    EXPECT_NEAR(outer.width(), screen.width() * 0.9, 1);
    EXPECT_NEAR(outer.height(), screen.height() * 0.8, 1);
    EXPECT_NEAR(outer.x(), screen.width() * 0.05, 1);
    EXPECT_NEAR(outer.y(), screen.height() * 0.1, 1);

    EXPECT_EQ(form2->graph().recordCount(), 40);
    EXPECT_EQ(visibleLines(form2), 30);
    EXPECT_TRUE(control<QWidget>(form2, "Text5")->isVisible());
    // The drag hint wraps between words: no line ends inside a run of kanji or katakana.
    auto *hint = control<PhraseLabel>(form2, "Text5");
    const QStringList lines = hint->lines(hint->contentsRect().width());
    EXPECT_EQ(lines.join(QString()), hint->text());
    EXPECT_GT(lines.size(), 1); // the hint is wider than its box
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        const QChar end = lines[i].back();
        const QChar next = lines[i + 1].front();
        EXPECT_FALSE(end.script() == next.script() &&
                     (end.script() == QChar::Script_Han || end.script() == QChar::Script_Katakana))
            << lines.join(QStringLiteral(" / ")).toStdString();
    }
    EXPECT_EQ(control<QLineEdit>(form2, "Text6")->text(), "240");
    EXPECT_EQ(control<QLineEdit>(form2, "Text7")->text(), "201");

    // "戻る" and the window's own close button both hide it and bring back the main window;
    // the window lives on for the next region.
    QTest::mouseClick(control<QWidget>(form2, "Command1"), Qt::LeftButton);
    EXPECT_FALSE(form2->isVisible());
    EXPECT_TRUE(w.f.form->isVisible());
    EXPECT_EQ(w.choose(1), form2);
    form2->close();
    EXPECT_FALSE(form2->isVisible());
    EXPECT_TRUE(w.f.form->isVisible());
    EXPECT_EQ(w.choose(1), form2);
    EXPECT_EQ(form2->graph().recordCount(), 40);
}

TEST_F(ResultsWindow, ColumnNumbersShowTheGameOfTheirColumn)
{
    QByteArray data = games(10);
    data += gameLine(295, "38.6", 2, "2026/12/06 21:30:05");
    data += gameLine(310, "75", 1, "2026/12/07 08:00:00");
    w.f.folder.writeFile("seisekiamerica.csv", data);
    Form2 *form2 = w.choose(2);

    click(form2, "Label1", 10);
    EXPECT_EQ(
        text4(form2),
        QStringLiteral("2026/12/06 21:30:05\n総合点：295　ミス回数： 2\n実時間:0分38.6秒   "));
    click(form2, "Label1", 11);
    EXPECT_EQ(text4(form2),
              QStringLiteral("2026/12/07 08:00:00\n総合点：310　ミス回数： 1\n実時間:1分15秒   "));
    EXPECT_EQ(text1(form2), "<成績> 12回目");
    EXPECT_TRUE(control<QWidget>(form2, "Text1")->isVisible());

    // Right of the last game: the box is cleared and nothing else happens.
    click(form2, "Label1", 12);
    EXPECT_EQ(text4(form2), "");
    EXPECT_EQ(text1(form2), "<成績> 12回目");

    // A region chosen again from the menu starts from the caption.
    w.f.form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.f.form.get()));
    EXPECT_EQ(w.choose(2), form2);
    EXPECT_EQ(text1(form2), "<成績>");
}

TEST_F(ResultsWindow, DeletingGames)
{
    w.f.folder.writeFile("seisekisekai.csv", gameLine(300, "60", 0, "only"));
    Form2 *form2 = w.choose(4);
    ASSERT_EQ(visibleLines(form2), 1);

    click(form2, "Label3", 0);
    EXPECT_EQ(w.f.folder.readFile("seisekisekai.csv"), "");
    EXPECT_EQ(form2->graph().recordCount(), 0);
    EXPECT_EQ(visibleLines(form2), 0);
    EXPECT_TRUE(w.f.messages.shown.isEmpty());

    // 31 games scrolled to the end; one deleted leaves 30, seen from the first. The title no
    // longer names the game that was shown.
    w.f.folder.writeFile("seisekisekai.csv", games(31));
    w.activateAgain(form2);
    dragLeft(form2, 1);
    ASSERT_EQ(form2->graph().firstShown(), 2);
    EXPECT_EQ(control<QLabel>(form2, "Label1", 0)->text(), "2");
    click(form2, "Label1", 0);
    ASSERT_EQ(text1(form2), "<成績> 2回目");
    click(form2, "Label3", 0);
    EXPECT_EQ(text1(form2), "<成績>");
    EXPECT_EQ(text4(form2), "");
    EXPECT_EQ(form2->graph().firstShown(), 1);
    EXPECT_EQ(control<QLabel>(form2, "Label1", 0)->text(), "1");
    const QByteArray left = w.f.folder.readFile("seisekisekai.csv");
    EXPECT_EQ(left.count('\n'), 30);
    EXPECT_FALSE(left.contains(" 202, 60, 2,2026/12/06 21:2\r\n"));
    EXPECT_TRUE(left.contains(" 201, 60, 1,2026/12/06 21:1\r\n"));

    // A press that reloads the window (as the press that activates it does) deletes nothing:
    // the game under the button is no longer the one the player saw there.
    dragLeft(form2, 1);
    auto *remove = control<QWidget>(form2, "Label3", 0);
    QTest::mousePress(remove, Qt::LeftButton);
    form2->loadHistory();
    QTest::mouseRelease(remove, Qt::LeftButton);
    EXPECT_EQ(w.f.folder.readFile("seisekisekai.csv"), left);

    // When the file cannot be rewritten the player is told and the games stay.
    QDir(w.f.folder.path()).mkdir("dummy.csv");
    click(form2, "Label3", 5);
    ASSERT_EQ(w.f.messages.shown.size(), 1);
    EXPECT_TRUE(w.f.messages.shown.first().startsWith("記録を削除できませんでした。"));
    EXPECT_EQ(w.f.folder.readFile("seisekisekai.csv"), left);
    EXPECT_EQ(form2->graph().recordCount(), 30);
}

TEST_F(ResultsWindow, ADoubleClickOnDeleteRemovesOneGame)
{
    w.f.folder.writeFile("seisekisekai.csv", games(10));
    Form2 *form2 = w.choose(4);
    ASSERT_EQ(form2->graph().recordCount(), 10);

    doubleClickInWindow(control<QWidget>(form2, "Label3", 3));
    const QByteArray left = w.f.folder.readFile("seisekisekai.csv");
    EXPECT_EQ(left.count('\n'), 9);
    EXPECT_FALSE(left.contains(gameLine(204, "60", 0, "2026/12/06 21:4")));
    EXPECT_TRUE(left.contains(gameLine(205, "60", 1, "2026/12/06 21:5")));
    EXPECT_EQ(form2->graph().recordCount(), 9);
    EXPECT_TRUE(w.f.messages.shown.isEmpty());
}

TEST_F(ResultsWindow, ReactivationReloadsAndStartsAgainAtTheFirstGame)
{
    w.f.folder.writeFile("seisekieurope.csv", games(50));
    Form2 *form2 = w.choose(1);
    dragLeft(form2, 5);
    ASSERT_EQ(form2->graph().firstShown(), 6);
    click(form2, "Label1", 0);
    ASSERT_FALSE(text4(form2).isEmpty());

    form2->move(10, 10);
    // The main window drawn at another scale meanwhile leaves the results window as it was.
    const auto *axis = control<QWidget>(form2, "Shape1");
    const QRect axisBefore = axis->geometry();
    const double titlePoints = control<QWidget>(form2, "Text1")->font().pointSizeF();
    const double mainScale = Twips::scale;
    w.f.form->showNormal();
    w.f.form->resize(w.f.form->size() / 2);
    ASSERT_NE(Twips::scale, mainScale);
    w.f.folder.writeFile("seisekieurope.csv", games(35));
    w.activateAgain(form2);
    for (const auto &[after, before] : {std::pair{axis->x(), axisBefore.x()},
                                        {axis->y(), axisBefore.y()},
                                        {axis->width(), axisBefore.width()},
                                        {axis->height(), axisBefore.height()}})
        EXPECT_NEAR(after, before, 1);
    EXPECT_NEAR(control<QWidget>(form2, "Text1")->font().pointSizeF(), titlePoints, 0.1);
    EXPECT_EQ(form2->graph().firstShown(), 1);
    EXPECT_EQ(form2->graph().recordCount(), 35);
    EXPECT_EQ(control<QLabel>(form2, "Label1", 0)->text(), "1");
    EXPECT_EQ(text4(form2), "");
    EXPECT_NEAR(form2->frameGeometry().x(), form2->screen()->geometry().width() * 0.05, 1);

    // A drag of the border draws the games on show again in proportion, the column numbers
    // whole and apart, larger or smaller. The controls stretch with the window, their fonts
    // with its width alone, so that a text keeps to the width it had.
    dragLeft(form2, 3);
    ASSERT_EQ(form2->graph().firstShown(), 4);
    const QSize opened = form2->size();
    const QRect leftAxis = control<QWidget>(form2, "Shape2")->geometry();
    for (const auto &[across, down] : {std::pair{0.6, 0.6}, {1.4, 1.4}, {1.4, 0.7}}) {
        const QString scale = QStringLiteral("%1×%2").arg(across).arg(down);
        form2->resize(static_cast<int>(form2->width() * across),
                      static_cast<int>(form2->height() * down));
        const double wider = double(form2->width()) / opened.width();
        const double taller = double(form2->height()) / opened.height();
        EXPECT_NEAR(control<QWidget>(form2, "Text1")->font().pointSizeF(), titlePoints * wider,
                    0.1);
        EXPECT_NEAR(control<QWidget>(form2, "Shape2")->x(), leftAxis.x() * wider, 1.5);
        EXPECT_NEAR(control<QWidget>(form2, "Shape2")->height(), leftAxis.height() * taller, 1.5);
        EXPECT_EQ(visibleLines(form2), 29) << scale.toStdString();
        EXPECT_EQ(control<QLabel>(form2, "Label1", 0)->text(), "4") << scale.toStdString();
        const auto *line = control<GraphLine>(form2, "Line3", 0);
        EXPECT_EQ(line->y1, form2->graph().plotY(4));
        EXPECT_EQ(line->x1, form2->graph().segments()[0].x1);
        for (int i = 0; i < 30; ++i) {
            auto *number = control<QLabel>(form2, "Label1", i);
            EXPECT_GE(number->width(), number->fontMetrics().horizontalAdvance(number->text()))
                << scale.toStdString() << " column " << i;
            auto *remove = control<QLabel>(form2, "Label3", i);
            EXPECT_GE(remove->width(), remove->fontMetrics().horizontalAdvance("削"))
                << scale.toStdString() << " column " << i;
            if (i > 0) {
                EXPECT_LT(control<QLabel>(form2, "Label1", i - 1)->geometry().right(),
                          number->geometry().left())
                    << scale.toStdString() << " column " << i;
            }
        }
    }
}

TEST_F(ResultsWindow, NoFileSaysSoForTwoSecondsWhileTheWindowsGoOn)
{
    w.f.folder.writeFile("seisekieurope.csv", games(40));
    Form2 *form2 = w.choose(1);
    ASSERT_EQ(form2->graph().recordCount(), 40);

    QString shownDuringTheWait;
    double waitStarted = 0;
    QTimer::singleShot(0, [&] {
        shownDuringTheWait = control<QWidget>(form2, "Text1")->isVisible() ? text1(form2) : "";
        waitStarted = w.f.clock.seconds;
        QTest::mouseClick(control<QWidget>(form2, "Command1"), Qt::LeftButton);
    });
    w.choose(3, false);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return control<QWidget>(form2, "Text1")->isHidden(); }, 10000));
    EXPECT_EQ(shownDuringTheWait, "記録がありません");
    EXPECT_GE(w.f.clock.seconds - waitStarted, 1.99);
    EXPECT_FALSE(control<QWidget>(form2, "Text1")->isVisible());
    EXPECT_FALSE(form2->isVisible()); // "戻る" was handled during the wait

    // Clicks and drags now act on an empty history, not on Europe's games.
    EXPECT_EQ(form2->graph().recordCount(), 0);
    EXPECT_EQ(visibleLines(form2), 0);
    click(form2, "Label1", 0);
    EXPECT_EQ(text4(form2), "");
    click(form2, "Label3", 0);
    EXPECT_EQ(w.f.folder.readFile("seisekieurope.csv"), games(40));
}

TEST_F(ResultsWindow, AForeignFileIsShownAsFarAsItHoldsGames)
{
    w.f.folder.writeFile("seisekieurope.csv", "hello\r\n" + games(3) + "1,2\r\n" + games(600));
    Form2 *form2 = w.choose(1);
    EXPECT_EQ(form2->graph().recordCount(), 501);
    EXPECT_TRUE(text4(form2).contains("2 行"));
    EXPECT_TRUE(text4(form2).contains("102 件"));
}

TEST(ResultsWindowOnOurServer, RatingAPastGameSendsNothing)
{
    QTemporaryDir data;
    ServerProcess server(data.path().toStdString());
    Window w(QString::fromStdString(server.baseUrl()));
    w.f.folder.writeFile("seisekiasia&taiyou.csv", games(5));
    Form2 *form2 = w.choose(0);

    click(form2, "Label1", 2);
    NationalDeviation *deviation = w.f.form->deviation();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !deviation->busy(); }, 10000));
    ASSERT_TRUE(deviation->form6());
    EXPECT_TRUE(deviation->form6()->isVisible());

    const std::string log = server.log();
    EXPECT_NE(log.find("/kokki/asia&taiyou.csv"), std::string::npos) << log;
    EXPECT_EQ(log.find("count.php"), std::string::npos) << log;
}

TEST_F(ResultsWindow, TheWorldMapOpensFromItAndStudiesTheCountryPickedByName)
{
    Form2 *form2 = w.choose(1);
    QTest::mouseClick(control<QPushButton>(form2, "CommandWorldMap"), Qt::LeftButton);
    WorldMapView *map = w.f.form->worldMap();
    ASSERT_TRUE(map);
    EXPECT_TRUE(map->isVisible());

    map->selectCountry(12);
    QTest::mouseClick(control<QPushButton>(map, "CommandStudy"), Qt::LeftButton);
    EXPECT_FALSE(map->isVisible());
    EXPECT_FALSE(form2->isVisible());
    EXPECT_TRUE(w.f.form->isVisible());
    EXPECT_EQ(control<QLabel>(w.f.form.get(), "Label3")->text(), ProgramFolder::countryName(12));
}

TEST_F(ResultsWindow, KeysMoveBetweenGamesShowThemAndAskBeforeDeleting)
{
    w.f.folder.writeFile("seisekisekai.csv", games(31));
    Form2 *form2 = w.choose(4);
    auto key = [form2](Qt::Key k) { QTest::keyClick(QApplication::focusWidget(), k); };
    auto focused = [] { return QApplication::focusWidget()->property("index").toInt(); };
    EXPECT_EQ(QApplication::focusWidget(), control<QWidget>(form2, "Label1", 0));

    // The columns are one stop of the Tab chain: the map is a few keys away either way round.
    QWidget *map = control<QWidget>(form2, "CommandWorldMap");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), map);
    int tabs = 0;
    do {
        key(Qt::Key_Tab);
    } while (++tabs < 40 && QApplication::focusWidget() != map);
    EXPECT_LE(tabs, 5);

    control<QWidget>(form2, "Label1", 28)->setFocus();
    key(Qt::Key_Right);
    EXPECT_EQ(focused(), 29);
    EXPECT_EQ(form2->graph().firstShown(), 1);
    // Past the last column the graph scrolls on by one game, and no further than the last.
    key(Qt::Key_Right);
    key(Qt::Key_Right);
    EXPECT_EQ(focused(), 29);
    EXPECT_EQ(form2->graph().firstShown(), 2);
    EXPECT_EQ(QApplication::focusWidget()->accessibleName(), "31回目のゲーム");
    key(Qt::Key_Left);
    EXPECT_EQ(focused(), 28);

    key(Qt::Key_Return);
    EXPECT_TRUE(text4(form2).contains("総合点：230"));
    EXPECT_EQ(text1(form2), "<成績> 30回目");

    // The rating window took the keyboard; the player comes back, to the first games again.
    w.activateAgain(form2);
    control<QWidget>(form2, "Label1", 28)->setFocus();

    // Delete asks; いいえ keeps the game, はい removes the one in the focused column. The
    // question is the main window's and brings it up, as a message box does; either way the
    // results window comes back in front of it, with the keyboard on a game number.
    w.f.messages.onAsk = [&](const QString &) {
        w.f.form->raise();
        w.f.form->activateWindow();
    };
    const auto backInFront = [&] {
        EXPECT_TRUE(QTest::qWaitForWindowActive(form2));
        EXPECT_TRUE(form2->isVisible());
        EXPECT_EQ(QApplication::focusWidget()->objectName(), "Label1");
    };
    const QByteArray before = w.f.folder.readFile("seisekisekai.csv");
    w.f.messages.answerYes = false;
    key(Qt::Key_Delete);
    ASSERT_EQ(w.f.messages.asked.size(), 1);
    EXPECT_EQ(w.f.messages.asked.first().toStdString(), "29回目のゲームの記録を削除しますか？");
    EXPECT_EQ(w.f.folder.readFile("seisekisekai.csv"), before);
    backInFront();
    control<QWidget>(form2, "Label1", 28)->setFocus();
    w.f.messages.answerYes = true;
    key(Qt::Key_Delete);
    EXPECT_EQ(w.f.messages.asked.size(), 2);
    EXPECT_EQ(form2->graph().recordCount(), 30);
    EXPECT_FALSE(
        w.f.folder.readFile("seisekisekai.csv").contains(" 229, 60, 1,2026/12/06 21:29\r\n"));
    backInFront();

    // The focused game number stays readable: its digits are drawn whole, in the selection's
    // colours rather than under a frame.
    auto *first = control<ClickableLabel>(form2, "Label1", 0);
    const auto digits = [first](QPalette::ColorRole text, QPalette::ColorRole ground) {
        const QImage image = first->grab().toImage();
        const QColor ink = first->palette().color(text);
        const QColor paper = first->palette().color(ground);
        // How far a pixel lies from the paper towards the ink: the glyph's cover there.
        const double span[] = {ink.redF() - paper.redF(), ink.greenF() - paper.greenF(),
                               ink.blueF() - paper.blueF()};
        const double length = span[0] * span[0] + span[1] * span[1] + span[2] * span[2];
        QList<QPoint> points;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor pixel = image.pixelColor(x, y);
                const double cover = ((pixel.redF() - paper.redF()) * span[0] +
                                      (pixel.greenF() - paper.greenF()) * span[1] +
                                      (pixel.blueF() - paper.blueF()) * span[2]) /
                                     length;
                if (cover > 0.5)
                    points.append({x, y});
            }
        return points;
    };
    control<QWidget>(form2, "Label1", 5)->setFocus();
    const QList<QPoint> unfocused = digits(QPalette::WindowText, QPalette::Window);
    first->setFocus();
    EXPECT_EQ(first->text(), "1");
    EXPECT_FALSE(unfocused.isEmpty());
    // As much ink as the digit has, give or take its soft edges: none hidden, no frame.
    const qsizetype shown = digits(QPalette::HighlightedText, QPalette::Highlight).size();
    EXPECT_GE(shown, unfocused.size() * 3 / 4);
    EXPECT_LE(shown, unfocused.size() * 3 / 2);

    // Esc is 戻る.
    key(Qt::Key_Escape);
    EXPECT_FALSE(form2->isVisible());
    EXPECT_TRUE(QTest::qWaitForWindowActive(w.f.form.get()));
}
