#include "StudyView.h"
#include "CodePage.h"
#include "Controls.h"
#include "MainWindowFixture.h"
#include "ReviewSchedule.h"
#include "Twips.h"

#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

namespace {

LoopbackServer noNews()
{
    return LoopbackServer([](const QString &, int) { return LoopbackReply{200, "<no news>"}; });
}

QColor centre(const QImage &image)
{
    return image.pixelColor(image.width() / 2, image.height() / 2);
}

// Pictures are JPEG, so colours are compared with some room.
bool sameColour(const QColor &a, const QColor &b)
{
    return std::abs(a.red() - b.red()) < 12 && std::abs(a.green() - b.green()) < 12 &&
           std::abs(a.blue() - b.blue()) < 12;
}

class StudyWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Country 1's two extra pictures differ, so a test can tell which box got which.
        QImage a(40, 30, QImage::Format_RGB32);
        a.fill(QColor(220, 30, 30));
        a.save(f.folder.file("国旗/1a.jpg"));
        a.fill(QColor(30, 30, 220));
        a.save(f.folder.file("国旗/1b.jpg"));
    }

    void load() { ASSERT_TRUE(f.form->load()); }
    // Study by name, as the menu opens it after start-up.
    void openByName()
    {
        load();
        click("Label10");
    }

    template <typename T = QWidget> T *find(const char *name, int index = -1)
    {
        T *found = control<T>(f.form.get(), QString::fromLatin1(name), index);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QString text(const char *label) { return find<QLabel>(label)->text(); }
    void click(const char *name, int index = -1)
    {
        QTest::mouseClick(find(name, index), Qt::LeftButton);
    }

    QColor shown(const char *image) { return centre(find<QLabel>(image)->pixmap().toImage()); }
    QColor onDisk(const QString &file) { return centre(QImage(f.folder.file("国旗/" + file))); }
    void expectPicturesOf(const QString &id)
    {
        EXPECT_TRUE(sameColour(shown("Image1"), onDisk(id + ".jpg"))) << id.toStdString();
        EXPECT_TRUE(sameColour(shown("Image2"), onDisk(id + "a.jpg"))) << id.toStdString();
        EXPECT_TRUE(sameColour(shown("Image3"), onDisk(id + "b.jpg"))) << id.toStdString();
    }

    void clickRow(int row)
    {
        auto *list = find<QListWidget>("List1");
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(row)).center());
    }
    void searchFor(const QString &key)
    {
        find<QLineEdit>("Text2")->setText(key);
        click("Command4");
    }

    QList<int> visibleCells()
    {
        QList<int> cells;
        for (int n = 1; n <= 198; ++n) {
            if (find("Image5", n)->isVisibleTo(find("Frame2")))
                cells.append(n);
        }
        return cells;
    }
    QList<int> range(int first, int count)
    {
        QList<int> cells;
        for (int n = first; n < first + count; ++n)
            cells.append(n);
        return cells;
    }

    LoopbackServer http = noNews();
    MainWindowFixture f{http.baseUrl()};
};

} // namespace

TEST_F(StudyWindow, ByNameOpensOnJapanWithTheWorldListAndItsSearchBox)
{
    openByName();
    EXPECT_EQ(find<QLineEdit>("Text2")->text(), "8 日本");
    EXPECT_EQ(find<QListWidget>("List1")->currentRow(), 7);
    EXPECT_EQ(find<QListWidget>("List1")->count(), 198);
    EXPECT_EQ(text("Label3"), "日本");
    EXPECT_EQ(text("Label18"), "日本");
    EXPECT_EQ(text("Label4"), "首都8");
    EXPECT_EQ(f.state.currentMapUrl, "https://map.example/8");
    expectPicturesOf("8");
    for (const char *shownControl : {"Text2", "Command4", "List1", "Image1", "Label3"})
        EXPECT_TRUE(find(shownControl)->isVisible()) << shownControl;
    for (const char *hidden : {"Frame2", "Image6", "Picture1", "Text3"})
        EXPECT_FALSE(find(hidden)->isVisible()) << hidden;
}

TEST_F(StudyWindow, PickingARowByClickOrArrowKeyShowsThatCountry)
{
    openByName();
    clickRow(0);
    EXPECT_EQ(find<QLineEdit>("Text2")->text(), "1 台湾");
    EXPECT_EQ(text("Label3"), "中華民国");
    EXPECT_EQ(text("Label18"), "中華民国");
    EXPECT_EQ(text("Label4"), "首都1");
    EXPECT_EQ(text("Label5"), "欧州");
    expectPicturesOf("1");

    QTest::keyClick(find("List1"), Qt::Key_Down);
    EXPECT_EQ(text("Label3"), "アメリカ合衆国");
    EXPECT_EQ(f.state.currentMapUrl, "https://map.example/2");
    expectPicturesOf("2");

    // A click on the row on show puts its text back over what was typed.
    find<QLineEdit>("Text2")->setText("typed");
    clickRow(1);
    EXPECT_EQ(find<QLineEdit>("Text2")->text(), "2 米国");
}

TEST_F(StudyWindow, SearchFollowsTheListAndLeavesEverythingWhenNothingMatches)
{
    openByName();
    auto *list = find<QListWidget>("List1");

    searchFor("");
    EXPECT_EQ(list->currentRow(), 0);
    EXPECT_EQ(text("Label3"), "中華民国");

    searchFor("首都17");
    EXPECT_EQ(list->currentRow(), 16);
    EXPECT_EQ(find<QLineEdit>("Text2")->text(), "17 国17");
    EXPECT_EQ(text("Label4"), "首都17");

    // Found nowhere, not even by a forgiving reading: only the line under the box changes.
    for (const char *nowhere : {"存在しない国", "ぞんざい", "・ー "}) {
        searchFor(QString::fromUtf8(nowhere));
        EXPECT_EQ(list->currentRow(), 16) << nowhere;
        EXPECT_EQ(find<QLineEdit>("Text2")->text(), QString::fromUtf8(nowhere));
        EXPECT_EQ(text("Label3"), "国17");
        EXPECT_EQ(text("LabelHint"), "見つかりませんでした。") << nowhere;
    }

    // Searching for the row on show shows it again.
    searchFor("17 国");
    EXPECT_EQ(find<QLineEdit>("Text2")->text(), "17 国17");
}

TEST_F(StudyWindow, ANameWithABlankKeepsIt)
{
    f.folder.writeBaseList("sekai",
                           "1,欧州,ボスニア ヘルツェゴビナ,サラエボ,https://map.example/1\r\n"
                           "2,欧州,日本,東京,https://map.example/2\r\n");
    openByName();
    clickRow(0);
    EXPECT_EQ(text("Label3"), "ボスニア ヘルツェゴビナ");
    searchFor("サラエボ");
    EXPECT_EQ(find<QListWidget>("List1")->currentRow(), 0);
}

TEST_F(StudyWindow, GalleryShowsEightFlagsFromTheScrollValue)
{
    load();
    click("Label9");
    auto *frame = find("Frame2");
    auto *scroll = find<QScrollBar>("VScroll2");
    EXPECT_TRUE(frame->isVisible());
    for (const char *hidden : {"List1", "Text2", "Command4", "Image6", "Picture1"})
        EXPECT_FALSE(find(hidden)->isVisible()) << hidden;
    EXPECT_EQ(scroll->minimum(), 1);
    EXPECT_EQ(scroll->maximum(), 191);
    EXPECT_EQ(visibleCells(), range(1, 8));
    // The first row is shown as listed, before any mapping of its name.
    EXPECT_EQ(text("Label3"), "台湾");
    EXPECT_EQ(text("Label4"), "首都1");
    expectPicturesOf("1");

    const int tops[] = {440, 1540, 2640, 3740, 4840, 5940, 7040, 8140};
    scroll->setValue(191);
    EXPECT_EQ(visibleCells(), range(191, 8));
    for (int k = 1; k <= 8; ++k)
        EXPECT_EQ(find("Image5", 190 + k)->geometry(), Twips::rect(200, tops[k - 1], 1500, 900));

    scroll->setValue(40);
    scroll->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(visibleCells(), range(41, 8));
    scroll->triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(visibleCells(), range(40, 8));
    EXPECT_EQ(f.form->studyView()->galleryFirst(), 40);

    // The wheel over the pictures turns the column down and back up.
    for (int notch : {-120, 120}) {
        const int before = scroll->value();
        QWheelEvent wheel(QPointF(10, 10), QPointF(10, 10), QPoint(), QPoint(0, notch),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(frame, &wheel); // where the pictures pass it on
        EXPECT_EQ(scroll->value() > before, notch < 0);
        EXPECT_EQ(visibleCells(), range(scroll->value(), 8));
    }

    scroll->setValue(10);
    click("Image5", 10 + 2);
    EXPECT_EQ(text("Label3"), "国12");
    EXPECT_EQ(text("Label4"), "首都12");
    EXPECT_EQ(f.state.currentMapUrl, "https://map.example/12");
    expectPicturesOf("12");
    EXPECT_EQ(visibleCells(), range(10, 8)); // a pick leaves the column alone

    // Coming back starts from the first flag again.
    click("Label10");
    click("Label9");
    EXPECT_EQ(scroll->value(), 1);
    EXPECT_EQ(visibleCells(), range(1, 8));
    click("Image5", 5);
    EXPECT_EQ(text("Label3"), "中華人民共和国");
    EXPECT_EQ(text("Label18"), "中華人民共和国");
}

TEST_F(StudyWindow, ScrollingReadsNoFile)
{
    load();
    click("Label9");
    QDir(f.folder.file("国旗")).removeRecursively();
    auto *scroll = find<QScrollBar>("VScroll2");
    for (int value : {100, 191, 2}) {
        scroll->setValue(value);
        for (int n : visibleCells())
            EXPECT_FALSE(find<QLabel>("Image5", n)->pixmap().isNull()) << n;
    }
    EXPECT_EQ(visibleCells(), range(2, 8));
    // Only a pick goes to the disk; a missing picture leaves its box empty.
    click("Image5", 3);
    EXPECT_EQ(text("Label3"), "ジョージア (国)");
    EXPECT_TRUE(find<QLabel>("Image1")->pixmap().isNull());
}

TEST_F(StudyWindow, TheFlagAndBothNamesOpenTheSameArticle)
{
    openByName();
    clickRow(0);
    for (const char *link : {"Image1", "Label3", "Label18"})
        click(link);
    const QString taiwan = "https://ja.wikipedia.org/wiki/中華民国";
    EXPECT_EQ(f.shell.addresses, (QStringList{taiwan, taiwan, taiwan}));

    f.shell.addresses.clear();
    click("Label9");
    click("Image5", 3);
    click("Label18");
    click("Label3");
    const QString georgia = "https://ja.wikipedia.org/wiki/ジョージア (国)";
    EXPECT_EQ(f.shell.addresses, (QStringList{georgia, georgia}));

    // A failing desktop changes nothing on the window.
    f.shell.addressesSucceed = false;
    click("Image1");
    EXPECT_EQ(text("Label3"), "ジョージア (国)");
    EXPECT_TRUE(f.messages.shown.isEmpty());
}

TEST_F(StudyWindow, AWorldListGoneSinceStartUpIsReportedAndTheModeStaysAsItWas)
{
    load();
    QFile::remove(f.folder.file("基本Listsekai.csv"));
    click("Label9");
    ASSERT_EQ(f.messages.shown.size(), 1);
    EXPECT_TRUE(f.messages.shown.first().contains("基本Listsekai.csv"));
    EXPECT_FALSE(find("Frame2")->isVisible());
    EXPECT_TRUE(find("Image6")->isVisible());
}

// The forgiving search, over a world of real names and the other names they are known by.
class ForgivingSearch : public StudyWindow
{
protected:
    void SetUp() override
    {
        StudyWindow::SetUp();
        QString world;
        // Past the first twelve, countries whose names share a part.
        const QStringList more{
            "ギニア",       "ギニアビサウ",     "赤道ギニア", "パプアニューギニア",
            "コンゴ共和国", "コンゴ民主共和国", "アルメニア", "サンマリノ",
            "マリ"};
        for (int id = 1; id <= 12 + more.size(); ++id) {
            const QString name = id > 12    ? more.at(id - 13)
                                 : id == 10 ? QStringLiteral("ベトナム")
                                            : ProgramFolder::countryName(id);
            world +=
                QStringLiteral("%1,アジア,%2,首都%1,https://map.example/%1\r\n").arg(id).arg(name);
        }
        f.folder.writeBaseList("sekai", world);
        f.folder.writeFile("betsumei.csv", CodePage::toCp932("8,読み,にほん\r\n"
                                                             "8,英語,Japan\r\n"
                                                             "2,通称,アメリカ\r\n"
                                                             "2,英語,America\r\n"
                                                             "2,符号,US\r\n"
                                                             "3,旧称,グルジア\r\n"));
        f.remakeForm(); // the other names are read when the window is made
        openByName();
    }

    // As a player does it: the box's text replaced by typing, then the button. Japanese text
    // arrives as the input method commits it.
    void typeAndSearch(const QString &key)
    {
        auto *box = find<QLineEdit>("Text2");
        box->setFocus();
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Delete);
        QInputMethodEvent typed;
        typed.setCommitString(key);
        QApplication::sendEvent(box, &typed);
        ASSERT_EQ(box->text(), key);
        click("Command4");
    }
};

TEST_F(ForgivingSearch, FindsTheRowHoweverTheNameIsWritten)
{
    auto *list = find<QListWidget>("List1");
    auto *hint = find<QLabel>("LabelHint");
    // Japan is on show after entry, found exactly: no line under the box.
    EXPECT_TRUE(hint->isVisible());
    EXPECT_EQ(hint->text(), "");

    struct Case
    {
        const char *key;
        int row;
        const char *hint;
    };
    const Case cases[] = {
        {"にほん", 7, "「にほん」→ 日本"}, // a reading from the other names
        {"ﾀｲ", 3, ""}, // half-width kana of the row's own name: the name as typed
        {"ヴェトナム", 9, "「ヴェトナム」→ ベトナム"},       // a spelling variant of the row's name
        {"アメリカ", 1, "「アメリカ」→ 米国"},               // a common name
        {"japan", 7, "「Japan」→ 日本"},                     // English, any case
        {"じょーじあ", 2, "「じょーじあ」→ ジョージア"},     // hiragana and the long mark
        {"グルジア", 2, "「グルジア」（旧称）→ ジョージア"}, // a former name says so
        {"マリ", 20, ""},          // a name itself before the names that hold it (サンマリノ)
        {"us", 1, "「US」→ 米国"}, // a code, whole
    };
    for (const Case &c : cases) {
        const QString key = QString::fromUtf8(c.key);
        // Start each search from another row, so that a search that does nothing shows.
        clickRow(11);
        typeAndSearch(key);
        EXPECT_EQ(list->currentRow(), c.row) << c.key;
        EXPECT_EQ(find<QLineEdit>("Text2")->text(), list->item(c.row)->text()) << c.key;
        EXPECT_EQ(hint->text(), QString::fromUtf8(c.hint)) << c.key;
    }
    EXPECT_EQ(text("Label3"), "アメリカ合衆国"); // the country display follows the row

    // A key the exact search finds keeps the exact search's row and says nothing, even after
    // a hint or a miss.
    typeAndSearch(QStringLiteral("どこにもない"));
    EXPECT_EQ(hint->text(), "見つかりませんでした。");
    EXPECT_EQ(list->currentRow(), 1);
    typeAndSearch(QStringLiteral("タイ"));
    EXPECT_EQ(list->currentRow(), 3);
    EXPECT_EQ(hint->text(), "");
    typeAndSearch(QStringLiteral("1"));
    EXPECT_EQ(list->currentRow(), 0);
    EXPECT_EQ(hint->text(), "");

    // The box then holds the row found; a click or Tab into it selects that text, so that
    // what is typed next is a new search.
    auto *box = find<QLineEdit>("Text2");
    for (const bool byTab : {false, true}) {
        typeAndSearch(QStringLiteral("タイ"));
        if (byTab) {
            find("Command4")->setFocus();
            QTest::keyClick(find("Command4"), Qt::Key_Backtab);
        } else {
            list->setFocus();
            QTest::mouseClick(box, Qt::LeftButton);
        }
        ASSERT_TRUE(box->hasFocus());
        QTest::keyClicks(box, "1");
        EXPECT_EQ(box->text(), "1") << byTab;
    }

    // Picking a row by hand clears what the last search said.
    typeAndSearch(QStringLiteral("アメリカ"));
    clickRow(5);
    EXPECT_EQ(hint->text(), "");

    // The line lives with the search box: the gallery has none.
    click("Label9");
    EXPECT_FALSE(hint->isVisible());
}

TEST_F(ForgivingSearch, TheOtherMatchesAreNamedAndEachShowsItsCountry)
{
    auto *line = find("LabelOthers");
    const auto others = [line] {
        QString text;
        for (QLabel *part : line->findChildren<QLabel *>())
            text += part->isVisible() ? part->text() : QString();
        return line->isVisible() ? text : QString();
    };
    struct Case
    {
        const char *key;
        const char *shown;
        const char *others;
    };
    const Case cases[] = {
        {"ギニア", "ギニア", "ほかに 3 件: ギニアビサウ、赤道ギニア、パプアニューギニア"},
        {"こんご", "コンゴ共和国", "ほかに 1 件: コンゴ民主共和国"}, // the forgiving search too
        {"ア", "ジョージア (国)",
         "ほかに 6 件: ミクロネシア、ギニア、ギニアビサウ、赤道ギニア、パプアニューギニア、…"},
        {"ベトナム", "ベトナム", ""},
    };
    for (const Case &c : cases) {
        typeAndSearch(QString::fromUtf8(c.key));
        EXPECT_EQ(text("Label3"), QString::fromUtf8(c.shown)) << c.key;
        EXPECT_EQ(others(), QString::fromUtf8(c.others)) << c.key;
        // The line fits between the hint and the list, its names whole and apart.
        if (line->isVisible()) {
            EXPECT_LE(line->geometry().bottom(), find("List1")->geometry().top()) << c.key;
            for (QLabel *part : line->findChildren<QLabel *>()) {
                EXPECT_TRUE(line->rect().contains(part->geometry())) << c.key;
                EXPECT_GE(part->width(), part->fontMetrics().horizontalAdvance(part->text()));
            }
        }
    }

    // Each name shows its country, where it shows on the window, and the line stays.
    typeAndSearch(QStringLiteral("ギニア"));
    const char *names[] = {"ギニアビサウ", "赤道ギニア", "パプアニューギニア"};
    for (int i = 0; i < 3; ++i) {
        clickInWindow(find("LabelOther", i));
        EXPECT_EQ(text("Label3"), QString::fromUtf8(names[i]));
        EXPECT_EQ(find<QListWidget>("List1")->currentItem()->text(),
                  QStringLiteral("%1 %2").arg(14 + i).arg(QString::fromUtf8(names[i])));
        EXPECT_TRUE(others().startsWith("ほかに 3 件: "));
    }
    // A row picked by hand, or a search that finds nothing, ends the line.
    clickRow(0);
    EXPECT_EQ(others(), "");
    typeAndSearch(QStringLiteral("ギニア"));
    typeAndSearch(QStringLiteral("どこにもない"));
    EXPECT_EQ(others(), "");
}

TEST_F(StudyWindow, TheCountryOnShowTellsThePlayersRecordOfItsFlag)
{
    // Japan (8) asked five times, Taiwan (1) never. In the review Japan was last missed name
    // to flag and is due later.
    f.folder.writeFile("jukuren.csv", "8,5,3,4,2026/12/08\r\n2,1,1,0,2026/12/01\r\n");
    using ReviewSchedule::Direction;
    ReviewSchedule::Schedule schedule;
    schedule[{8, Direction::NameToFlag}] = {
        {3.0, 5.0}, QDate(2026, 12, 5), QDate(2026, 12, 15), 2, 1};
    schedule[{8, Direction::FlagToName}] = {
        {9.0, 5.0}, QDate(2026, 12, 1), QDate(2026, 12, 10), 1, 0};
    f.folder.writeFile("fukushuu.csv", ReviewSchedule::bytes(schedule));
    openByName();
    EXPECT_EQ(text("LabelRecord"), "出題 5回・一発正解 3回・ミス 4回・次の復習: 12月15日");
    clickRow(0);
    EXPECT_EQ(text("LabelRecord"), "まだ出題されていません");

    // A game has ended since: the next country shown tells the new counts, and for Taiwan,
    // missed flag to name and overdue, how well it is remembered today.
    f.folder.writeFile("jukuren.csv", "1,2,1,3,2026/12/08\r\n");
    const ReviewSchedule::CardState taiwan{
        {2.0, 5.0}, QDate(2026, 12, 1), QDate(2026, 12, 4), 3, 1};
    f.folder.writeFile("fukushuu.csv",
                       ReviewSchedule::bytes({{{1, Direction::FlagToName}, taiwan}}));
    clickRow(1);
    EXPECT_EQ(text("LabelRecord"), "まだ出題されていません");
    clickRow(0);
    const QString taiwanLine =
        "出題 2回・一発正解 1回・ミス 3回・" + ReviewSchedule::cardText(taiwan, QDate(2026, 12, 6));
    EXPECT_TRUE(taiwanLine.endsWith("%")) << taiwanLine.toStdString();
    EXPECT_EQ(text("LabelRecord"), taiwanLine);

    // The gallery shows the same line, from its entry on.
    click("Label9");
    EXPECT_EQ(text("Label3"), "台湾");
    EXPECT_EQ(text("LabelRecord"), taiwanLine);
    click("Image5", 8);
    EXPECT_EQ(text("LabelRecord"), "まだ出題されていません");

    // No record at all is a flag never asked; one that cannot be read says so.
    QFile::remove(f.folder.file("jukuren.csv"));
    QFile::remove(f.folder.file("fukushuu.csv"));
    click("Image5", 1);
    EXPECT_EQ(text("LabelRecord"), "まだ出題されていません");
    ASSERT_TRUE(QDir(f.folder.path()).mkdir("jukuren.csv"));
    ASSERT_TRUE(QDir(f.folder.path()).mkdir("fukushuu.csv"));
    click("Image5", 8);
    EXPECT_EQ(text("LabelRecord"), "記録を読み込めませんでした・復習の予定を読み込めませんでした");
}

TEST_F(StudyWindow, ClicksWhereTheControlsShowReachThemAmongThePanels)
{
    openByName();
    // The region-map label lies among the country display's controls, the credit link below
    // them and the list beside them: each answers a click in the window where it shows.
    clickInWindow(find("Label12"));
    clickInWindow(find("Image7"));
    clickInWindow(find("Image1"));
    EXPECT_EQ(f.shell.addresses,
              (QStringList{"https://map.example/8", "https://hosting.example/?ref=1",
                           "https://ja.wikipedia.org/wiki/日本"}));
    auto *list = find<QListWidget>("List1");
    QTest::mouseClick(
        f.form->windowHandle(), Qt::LeftButton, {},
        list->viewport()->mapTo(f.form.get(), list->visualItemRect(list->item(2)).center()));
    EXPECT_EQ(text("Label3"), "ジョージア (国)");

    // In the gallery, a flag clicked where it shows.
    click("Label9");
    clickInWindow(find("Image5", 4));
    EXPECT_EQ(text("Label3"), "タイ王国");
    clickInWindow(find("Label12"));
    EXPECT_EQ(f.shell.addresses.last(), "https://map.example/4");
}

TEST_F(StudyWindow, TheSearchLineSitsBetweenTheBoxAndTheList)
{
    openByName();
    QWidget *hint = find("LabelHint");
    const QRect line = hint->geometry();
    EXPECT_GE(line.top(), find("Text2")->geometry().bottom());
    EXPECT_LE(line.bottom(), find("List1")->geometry().top());
}
