// The review after a game and the record of each flag, through the main window.

#include "Controls.h"
#include "GamePanel.h"
#include "LinuxFiles.h"
#include "MainWindowFixture.h"
#include "MasteryRecord.h"
#include "MissReviewPanel.h"
#include "NationalDeviation.h"
#include "ProgramFolder.h"
#include "ReviewSchedule.h"
#include "Twips.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include <map>

namespace {

using MasteryRecord::GameLog;

class MissReview : public ::testing::TestWithParam<QSize>
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(f.form->load());
        // The window as it comes up maximised on a screen of the size under test.
        const QSize screen = GetParam();
        f.form->showNormal();
        f.form->setGeometry(QRect(QPoint(0, 0), screen));
        game.fitToScreen(Twips::fromPixels(screen.width()), Twips::fromPixels(screen.height()));
        openPanel();
    }

    QWidget *form() const { return f.form.get(); }
    // A control of the main window itself: the rating's window, owned by it, reuses names.
    template <typename T> T *get(const char *name, int index = -1) const
    {
        for (T *candidate : f.form->findChildren<T *>(name)) {
            if (candidate->window() == f.form.get() &&
                (index < 0 || candidate->property("index").toInt() == index))
                return candidate;
        }
        return nullptr;
    }
    void openPanel() const { QTest::mouseClick(get<QWidget>("Label11"), Qt::LeftButton); }
    void start() const { QTest::mouseClick(get<QWidget>("Command2"), Qt::LeftButton); }
    void clickCard(int k) const { QTest::mouseClick(get<QWidget>("Image4", k), Qt::LeftButton); }
    int flagOnCard(int k) const { return game.session()->flagIdAt(k).toInt(); }

    // Clicks, at question q, `misses[q]` different wrong cards before the right one (at
    // question `sameCardAt` the same wrong card each time); what was asked and clicked is
    // returned as the player saw it.
    GameLog playQuestions(const std::map<int, int> &misses, int questions = 15, int sameCardAt = 0)
    {
        GameLog log;
        for (int q = 1; q <= questions; ++q) {
            const int right = game.answerPosition();
            MasteryRecord::Question question{flagOnCard(right), {}};
            const auto wanted = misses.find(q);
            int left = wanted == misses.end() ? 0 : wanted->second;
            for (int k = 1; k <= 12 && left > 0; ++k) {
                if (game.session()->rowAt(k) == game.session()->rowAt(right))
                    continue;
                question.wrongClicks.append(flagOnCard(k));
                clickCard(k);
                if (--left > 0 && q == sameCardAt)
                    --k;
            }
            log.append(question);
            if (q == 15)
                f.clock.autoAdvance = 0.01;
            clickCard(right);
        }
        return log;
    }

    GameLog playGame(const std::map<int, int> &misses, int sameCardAt = 0)
    {
        start();
        EXPECT_TRUE(game.playing());
        const GameLog log = playQuestions(misses, 15, sameCardAt);
        EXPECT_FALSE(game.playing());
        EXPECT_TRUE(QTest::qWaitFor([&] { return !f.form->deviation()->busy(); }, 10000));
        f.clock.autoAdvance = 0;
        return log;
    }

    MissReviewPanel *review() const { return get<MissReviewPanel>("Review"); }
    QList<QWidget *> rows() const
    {
        return review()->findChildren<QWidget *>("ReviewRow", Qt::FindChildrenRecursively);
    }
    static int flagOf(const QWidget *tile) { return tile->property("flagId").toInt(); }
    static QString nameOf(const QWidget *tile)
    {
        return tile->findChild<QLabel *>("ReviewName")->text();
    }

    LoopbackServer http = LoopbackServer::quietGameServer();
    MainWindowFixture f{http.baseUrl()};
    GamePanel &game = *f.form->gamePanel();
};

} // namespace

TEST_P(MissReview, ShowsEachMissedQuestionAfterTheRatingAndLeadsToTheStudyDisplay)
{
    start();
    const GameLog log = playQuestions({{2, 1}, {7, 2}});
    // The rating still pauses: the summary is up, the review waits for it.
    ASSERT_TRUE(f.form->deviation()->busy());
    EXPECT_TRUE(get<QWidget>("Text1")->isVisible());
    EXPECT_FALSE(review()->isVisible());
    ASSERT_TRUE(QTest::qWaitFor([&] { return review()->isVisible(); }, 10000));

    const QList<QWidget *> shown = rows();
    ASSERT_EQ(shown.size(), 2);
    for (int i = 0; i < 2; ++i) {
        const int q = i == 0 ? 2 : 7;
        SCOPED_TRACE(q);
        const MasteryRecord::Question &question = log[q - 1];
        QWidget *row = shown[i];
        EXPECT_EQ(row->property("question").toInt(), q);
        const auto asked = row->findChildren<QWidget *>("ReviewAsked");
        ASSERT_EQ(asked.size(), 1);
        EXPECT_EQ(flagOf(asked[0]), question.askedFlagId);
        EXPECT_EQ(nameOf(asked[0]), ProgramFolder::countryName(question.askedFlagId));
        const auto wrong = row->findChildren<QWidget *>("ReviewWrong");
        ASSERT_EQ(wrong.size(), question.wrongClicks.size());
        for (qsizetype w = 0; w < wrong.size(); ++w) {
            EXPECT_EQ(flagOf(wrong[w]), question.wrongClicks[w]);
            EXPECT_EQ(nameOf(wrong[w]), ProgramFolder::countryName(question.wrongClicks[w]));
        }
    }
    EXPECT_EQ(review()->findChild<QLabel *>("ReviewWrongCaption")->text(),
              "✕ まちがえて選んだ国旗");

    // The region choice comes back beside the review, and neither it nor the summary is
    // covered: a click there reaches the control itself.
    openPanel();
    ASSERT_TRUE(review()->isVisible());
    for (QWidget *target : {get<QWidget>("Option2", 0), get<QWidget>("Option2", 4),
                            get<QWidget>("Text1"), get<QWidget>("Command2")}) {
        QWidget *hit = form()->childAt(pointInWindow(target));
        EXPECT_TRUE(hit == target || target->isAncestorOf(hit))
            << target->objectName().toStdString() << " under "
            << (hit ? hit->objectName().toStdString() + " " + hit->metaObject()->className() : "");
    }
    // Nothing lies over the region frame, not even its edge.
    QWidget *frame1 = get<QWidget>("Frame1");
    for (QWidget *other : {get<QWidget>("Text1"), static_cast<QWidget *>(review())})
        EXPECT_FALSE(frame1->geometry().intersects(other->geometry()))
            << other->objectName().toStdString();
    clickInWindow(get<QRadioButton>("Option2", 2));
    EXPECT_TRUE(get<QRadioButton>("Option2", 2)->isChecked());

    // A wrong pick opens its country in the study display, with the way back to the review.
    // By keys: Tab from the day's review button through the flags, and Enter on the one.
    const auto lookUp = [&](QWidget *picked, bool byKeys = false) {
        const int pickedId = flagOf(picked);
        if (byKeys) {
            // The rating window took the keyboard when it came up; Esc gives it back.
            QWidget *form6 = f.form->deviation()->form6();
            ASSERT_TRUE(form6 && form6->isVisible());
            form6->activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(form6));
            QTest::keyClick(form6, Qt::Key_Escape);
            EXPECT_FALSE(form6->isVisible());
            form()->activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(form()));
            get<QWidget>("CommandReview")->setFocus();
            for (int i = 0; i < 40 && QApplication::focusWidget() != picked; ++i)
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            ASSERT_EQ(QApplication::focusWidget(), picked);
            EXPECT_FALSE(QApplication::focusWidget()->visibleRegion().isEmpty());
            QTest::keyClick(picked, Qt::Key_Return);
        } else {
            clickInWindow(picked);
        }
        EXPECT_EQ(get<QLabel>("Label4")->text(), ProgramFolder::capitalName(pickedId));
        EXPECT_TRUE(get<QLabel>("Label3")->text().contains(ProgramFolder::countryName(pickedId)));
        // Study by name comes up on that country's row, not on the row it usually opens on.
        ASSERT_NE(get<QListWidget>("List1")->currentItem(), nullptr);
        EXPECT_EQ(get<QListWidget>("List1")->currentItem()->text(),
                  QStringLiteral("%1 %2").arg(pickedId).arg(ProgramFolder::countryName(pickedId)));
        EXPECT_FALSE(game.isVisible());
        EXPECT_FALSE(review()->isVisible());
    };
    const auto reviewShown = [&] {
        QStringList flags;
        for (QWidget *row : rows())
            for (QWidget *tile : row->findChildren<QWidget *>())
                if (tile->property("flagId").isValid())
                    flags.append(tile->objectName() + ":" + QString::number(flagOf(tile)));
        return flags;
    };
    const QStringList before = reviewShown();
    auto *backToReview = get<QPushButton>("BackToReview");
    for (int pick = 0; pick < 2; ++pick) {
        lookUp(rows()[pick]->findChildren<QWidget *>("ReviewWrong").last(), pick == 1);
        ASSERT_TRUE(backToReview->isVisible());
        EXPECT_EQ(backToReview->text(), "見直しに戻る");
        EXPECT_EQ(form()->childAt(pointInWindow(backToReview)), backToReview);
        clickInWindow(backToReview);
        EXPECT_TRUE(game.isVisible());
        ASSERT_TRUE(review()->isVisible());
        EXPECT_EQ(reviewShown(), before);
        EXPECT_TRUE(get<QWidget>("Text1")->isVisible());
        EXPECT_FALSE(backToReview->isVisible());
    }

    // Elsewhere the way back is gone, and so is the review.
    lookUp(rows()[0]->findChildren<QWidget *>("ReviewAsked").first());
    QTest::mouseClick(get<QWidget>("Label9"), Qt::LeftButton);
    EXPECT_FALSE(backToReview->isVisible());
    openPanel();
    EXPECT_FALSE(review()->isVisible());
    // A late call (a practice game ends, a rating from the results window) brings back nothing.
    game.showReview();
    EXPECT_FALSE(review()->isVisible());
}

TEST_P(MissReview, TheRecordAddsUpGamesAndTheAnswersOfGamesLeft)
{
    const GameLog first = playGame({{2, 1}, {7, 2}, {9, 3}}, 9);
    ASSERT_TRUE(review()->isVisible());
    // One card picked three times shows once, with how often.
    ASSERT_EQ(rows().size(), 3);
    const auto picks = rows()[2]->findChildren<QWidget *>("ReviewWrong");
    ASSERT_EQ(picks.size(), 1);
    EXPECT_EQ(nameOf(picks[0]), ProgramFolder::countryName(first[8].wrongClicks[0]) + "（3回）");
    const QByteArray recordAfterFirst = readBytes(MasteryRecord::recordPath(f.config.dataPath));
    const QByteArray confusionsAfterFirst =
        readBytes(MasteryRecord::confusionsPath(f.config.dataPath));

    // Two games given up half-way, by the menu and by another mode, keep the answers given.
    start();
    EXPECT_FALSE(review()->isVisible());
    const GameLog leftByMenu = playQuestions({{1, 2}, {3, 1}}, 5);
    openPanel();
    EXPECT_NE(readBytes(MasteryRecord::recordPath(f.config.dataPath)), recordAfterFirst);
    start();
    const GameLog leftForStudy = playQuestions({{1, 1}}, 3);
    QTest::mouseClick(get<QWidget>("Label10"), Qt::LeftButton);
    EXPECT_FALSE(game.isVisible());
    EXPECT_EQ(f.messages.asked.size(), 2);
    EXPECT_NE(readBytes(MasteryRecord::confusionsPath(f.config.dataPath)), confusionsAfterFirst);
    const ReviewSchedule::Schedule schedule = ReviewSchedule::read(f.config.dataPath);
    for (const MasteryRecord::Question &question : leftForStudy)
        EXPECT_TRUE(ReviewSchedule::card(schedule, question.askedFlagId,
                                         ReviewSchedule::Direction::NameToFlag));

    openPanel();
    const GameLog second = playGame({});
    ASSERT_TRUE(review()->isVisible());
    EXPECT_TRUE(rows().isEmpty());
    EXPECT_EQ(review()->findChild<QLabel *>("ReviewNone")->text(), "ミスはありませんでした。");

    std::map<int, MasteryRecord::FlagRecord> expected;
    std::map<std::pair<int, int>, int> confusions;
    for (const GameLog &log : {first, leftByMenu, leftForStudy, second}) {
        for (const MasteryRecord::Question &question : log) {
            MasteryRecord::FlagRecord &flag = expected[question.askedFlagId];
            ++flag.asked;
            flag.rightFirstClick += question.wrongClicks.isEmpty() ? 1 : 0;
            flag.misses += static_cast<int>(question.wrongClicks.size());
            for (const int wrong : question.wrongClicks)
                ++confusions[{question.askedFlagId, wrong}];
        }
    }
    const MasteryRecord::Record record = MasteryRecord::read(f.config.dataPath);
    ASSERT_EQ(record.flags.size(), expected.size());
    for (const auto &[id, flag] : expected) {
        SCOPED_TRACE(id);
        const MasteryRecord::FlagRecord &saved = record.flags.at(id);
        EXPECT_EQ(saved.asked, flag.asked);
        EXPECT_EQ(saved.rightFirstClick, flag.rightFirstClick);
        EXPECT_EQ(saved.misses, flag.misses);
        EXPECT_EQ(saved.lastAsked, QDate(2026, 12, 6));
    }
    EXPECT_EQ(record.confusions, confusions);
}

TEST_P(MissReview, ARecordThatCannotBeWrittenIsToldOnceAndTheResultsStillGoIn)
{
    const QString recordFile = MasteryRecord::recordPath(f.config.dataPath);
    const QString confusionsFile = MasteryRecord::confusionsPath(f.config.dataPath);
    const QByteArray oldRecord = "7,5,3,4,2026/12/01\r\n";
    const QByteArray oldConfusions = "7,23,2\r\n";
    writeBytes(recordFile, oldRecord);
    writeBytes(confusionsFile, oldConfusions);
    ASSERT_TRUE(QFile::setPermissions(recordFile, QFile::ReadOwner | QFile::ReadOther));

    playGame({{2, 1}});
    playGame({{4, 1}});
    QFile::setPermissions(recordFile, QFile::ReadOwner | QFile::WriteOwner);

    ASSERT_EQ(f.messages.shown.size(), 1);
    EXPECT_EQ(f.messages.shown.first(), "国旗ごとの記録を保存できませんでした。\n" + recordFile +
                                            "\n書き込みが許可されていません。");
    EXPECT_EQ(readBytes(recordFile), oldRecord);
    EXPECT_EQ(readBytes(confusionsFile), oldConfusions);
    EXPECT_EQ(readBytes(f.folder.file("seisekiasia&taiyou.csv")),
              QByteArray(" 497, 0, 1,2026/12/06 21:30:05\r\n").repeated(2));
    // The review does not depend on the record.
    EXPECT_EQ(rows().size(), 1);

    // The confusions cannot follow the record, whose old bytes (long, with lines a rewrite
    // drops) cannot be written back: the files now disagree, and that is told even after the
    // first message.
    QByteArray damaged = oldRecord;
    for (int i = 0; i < 500; ++i)
        damaged += "not a record line\r\n";
    writeBytes(recordFile, damaged);
    if (!setAppendOnly(confusionsFile, true))
        GTEST_SKIP() << "no append-only files here";
    {
        const FileSizeLimit limit(4096);
        playGame({{2, 1}});
    }
    setAppendOnly(confusionsFile, false);
    ASSERT_EQ(f.messages.shown.size(), 2);
    EXPECT_EQ(f.messages.shown.last(),
              "国旗ごとの記録を保存できませんでした。\n" + recordFile +
                  "\n一緒に書き換えるファイルを保存できず、このファイルを元に戻せませんでした。");
    EXPECT_EQ(readBytes(confusionsFile), oldConfusions);
}

INSTANTIATE_TEST_SUITE_P(Screens, MissReview,
                         ::testing::Values(QSize(1366, 768), QSize(1920, 1080)),
                         [](const auto &info) {
                             return QStringLiteral("%1x%2")
                                 .arg(info.param.width())
                                 .arg(info.param.height())
                                 .toStdString();
                         });
