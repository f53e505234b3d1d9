#include "DailyReviewPanel.h"

#include "Announce.h"
#include "CardKeys.h"
#include "ClickableLabel.h"
#include "Clock.h"
#include "LookAlikeBoard.h"
#include "MessageBox.h"
#include "OtherNames.h"
#include "PicturePaths.h"
#include "PlayerData.h"
#include "ReviewBoard.h"
#include "Services.h"
#include "SharpPicture.h"
#include "Twips.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QStringList>

namespace {

// Places, in twips from the panel's top left; everything fits a 1366×768 screen.
constexpr int cardLefts[6] = {390, 3180, 5970, 8730, 11520, 14370};
constexpr int cardTops[2] = {1800, 3465};
constexpr int cardWidth = 2385;
constexpr int cardHeight = 1455;
constexpr int bigFlagWidth = 5400;
constexpr int bigFlagHeight = 3600;
constexpr int nameLeft = 6300;
constexpr int nameColumnStep = 6450;
constexpr int nameRowStep = 780;
constexpr int nameWidth = 6300;
constexpr int nameHeight = 690;
constexpr int pickedLeft = 7500;
// Below the last row of names and clear of the flags, so that a second click of a double click
// on a card or a name never lands on it.
constexpr int nextTop = 7020;
constexpr int cardsPerRow = 6;
constexpr int namesPerRow = 2;

// The key that picks place k, as the player reads it on the keyboard.
QString keyCaption(int k)
{
    static const QStringList captions{
        QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4"),
        QStringLiteral("5"), QStringLiteral("6"), QStringLiteral("7"), QStringLiteral("8"),
        QStringLiteral("9"), QStringLiteral("0"), QStringLiteral("-"), QStringLiteral("=")};
    return captions.value(k - 1);
}

void showFlag(QLabel *label, const QString &appPath, int flagId)
{
    const QString id = QString::number(flagId);
    const QPixmap picture =
        SharpPicture::fitted(PicturePaths::flag(appPath, id), PicturePaths::largeFlag(appPath, id),
                             label->size(), label->devicePixelRatioF());
    // A flag without its picture shows an empty box; the review goes on.
    if (picture.isNull())
        label->clear();
    else
        label->setPixmap(picture);
}

} // namespace

DailyReviewPanel::DailyReviewPanel(Services &services, QString appPath, PlayerData &playerData,
                                   QWidget *parent)
    : QFrame(parent), m_services(services), m_appPath(std::move(appPath)), m_playerData(playerData)
{
    setObjectName(QStringLiteral("DailyReview"));
    setAccessibleName(QStringLiteral("今日の復習"));
    setAutoFillBackground(true);
    // Its controls take the keyboard in turn; a click on the panel itself keeps the keys here.
    setFocusPolicy(Qt::ClickFocus);
    hide();

    m_titleLabel = Twips::place(new QLabel(QStringLiteral("今日の復習"), this), "ReviewTitle", 390,
                                150, 3600, 600, 21.75, true);
    m_progressLabel = Twips::place(new QLabel(this), "ReviewProgress", 4200, 240, 9000, 450, 15.75);
    m_backButton = Twips::place(new QPushButton(this), "ReviewBack", 14370, 150, 2385, 600, 18);
    m_questionLabel =
        Twips::place(new QLabel(this), "ReviewQuestion", 390, 900, 16365, 705, 18, true);
    m_keysLabel = Twips::place(
        new QLabel(
            QStringLiteral(
                "キーの "
                "1〜9・0・-・=（^）で左上から順に選べます。矢印キーで移り、Enterでも選べます。"),
            this),
        "ReviewKeys", 390, 7200, 16365, 400, 12);

    for (int k = 1; k <= GameRules::cardsPerBoard; ++k) {
        auto *card = new ClickableLabel(this);
        card->setObjectName(QStringLiteral("ReviewCard"));
        card->setProperty("index", k);
        card->setScaledContents(true);
        card->setGeometry(
            Twips::rect(cardLefts[(k - 1) % 6], cardTops[k <= 6 ? 0 : 1], cardWidth, cardHeight));
        // A reader of the screen names the card by its place, never by the flag it shows.
        card->makeFocusable(QStringLiteral("%1番目の国旗").arg(k));
        card->setAccessibleDescription(
            QStringLiteral("Enterか数字キーで選びます。矢印キーで隣の国旗に移ります。"));
        card->installEventFilter(this);
        m_cards[static_cast<size_t>(k)] = card;
        connect(card, &ClickableLabel::clicked, this, [this, k] { pick(k); });

        auto *name = new QPushButton(this);
        name->setObjectName(QStringLiteral("ReviewName"));
        name->setProperty("index", k);
        name->setStyleSheet(QStringLiteral("text-align: left; padding-left: 8px;"));
        name->setGeometry(Twips::rect(nameLeft + ((k - 1) % 2) * nameColumnStep,
                                      cardTops[0] + ((k - 1) / 2) * nameRowStep, nameWidth,
                                      nameHeight));
        name->setFont(Twips::designFont(14.25, true));
        // A button would move on in the Tab chain with an arrow; the names move by place.
        name->installEventFilter(this);
        m_names[static_cast<size_t>(k)] = name;
        connect(name, &QPushButton::clicked, this, [this, k] { pick(k); });
    }
    m_bigFlag =
        Twips::place(new QLabel(this), "ReviewFlag", 390, cardTops[0], bigFlagWidth, bigFlagHeight);
    m_bigFlag->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    m_rightFlag = Twips::place(new QLabel(this), "ReviewRightFlag", 390, cardTops[0], bigFlagWidth,
                               bigFlagHeight);
    m_rightFlag->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_rightText =
        Twips::place(new QLabel(this), "ReviewRightText", 390, 5520, 6900, 2100, 15.75, true);
    m_rightText->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_rightText->setWordWrap(true);
    m_pickedFlag = Twips::place(new QLabel(this), "ReviewPickedFlag", pickedLeft, cardTops[0],
                                bigFlagWidth, bigFlagHeight);
    m_pickedFlag->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_pickedText =
        Twips::place(new QLabel(this), "ReviewPickedText", pickedLeft, 5520, 6900, 1500, 15.75);
    m_pickedText->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_pickedText->setWordWrap(true);
    m_nextButton = Twips::place(new QPushButton(QStringLiteral("次へ（Enter）"), this),
                                "ReviewNext", 14370, nextTop, 2385, 690, 15.75, true);
    m_nextButton->installEventFilter(this);
    connect(m_nextButton, &QPushButton::clicked, this, &DailyReviewPanel::moveOn);

    m_endLabel =
        Twips::place(new QLabel(this), "ReviewEnd", 390, cardTops[0], 16365, 2400, 18, true);
    m_endLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_endLabel->setWordWrap(true);
    m_mapButton = Twips::place(new QPushButton(QStringLiteral("覚えた国旗の地図"), this),
                               "ReviewWorldMap", 390, cardTops[0] + 2550, 4200, 600, 15.75);
    connect(m_mapButton, &QPushButton::clicked, this, &DailyReviewPanel::worldMapRequested);

    connect(m_backButton, &QPushButton::clicked, this, &DailyReviewPanel::closed);
    // Esc is やめる, and 戻る at the end, as it is 戻る in the game.
    auto *back = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    back->setContext(Qt::WidgetWithChildrenShortcut);
    connect(back, &QShortcut::activated, m_backButton, &QPushButton::click);
    showPage(Page::End);
}

bool DailyReviewPanel::begin(ReviewRows rows, const QList<ReviewSchedule::CardKey> &cards)
{
    if (cards.isEmpty())
        return false;
    m_world = std::move(rows);
    // Without the record or the look-alikes the boards are made up at random.
    m_record = m_playerData.record();
    m_similar = SimilarityTable::load(SimilarityTable::path(m_appPath));
    // Without the other names the learning card tells no reading.
    m_readings.fill(QString());
    for (const OtherName &name :
         OtherNames::load(m_appPath + QLatin1Char('/') + OtherNames::fileName)) {
        if (name.kind == OtherNames::nameReadingKind && name.flagId <= CountryTable::upperBound)
            m_readings[static_cast<size_t>(name.flagId)] = name.name;
    }
    m_review = std::make_unique<TodaysReview>(cards);
    showCard();
    return true;
}

bool DailyReviewPanel::mayLeave() const
{
    if (m_page == Page::End || !m_review || m_review->answers().isEmpty())
        return true;
    return m_services.messages.ask(
        QStringLiteral("復習を中断しますか？\nここまでの答えは保存されています。"));
}

QWidget *DailyReviewPanel::firstFocus() const
{
    switch (m_page) {
    case Page::Question:
        return m_cards[1]->isVisibleTo(this) ? static_cast<QWidget *>(m_cards[1]) : m_names[1];
    case Page::Learning:
        return m_nextButton;
    case Page::End:
        break;
    }
    return m_mapButton;
}

QList<QWidget *> DailyReviewPanel::focusChain() const
{
    // Reading order: the button at the top, then the page's own controls.
    QList<QWidget *> chain{m_backButton};
    for (int k = 1; k <= GameRules::cardsPerBoard; ++k)
        chain << m_cards[static_cast<size_t>(k)];
    for (int k = 1; k <= GameRules::cardsPerBoard; ++k)
        chain << m_names[static_cast<size_t>(k)];
    chain << m_nextButton << m_mapButton;
    return chain;
}

std::optional<ReviewSchedule::CardKey> DailyReviewPanel::currentCard() const
{
    if (!m_review || m_review->finished() || m_page == Page::End)
        return std::nullopt;
    return m_review->current();
}

QString DailyReviewPanel::nameOf(int flagId) const
{
    return flagId >= 1 && flagId <= CountryTable::upperBound
               ? m_world.table.countryNames[static_cast<size_t>(flagId)]
               : QString();
}

void DailyReviewPanel::showCard()
{
    const ReviewSchedule::CardKey card = m_review->current();
    const int askedRow = m_world.rowOfFlag[static_cast<size_t>(card.flagId)];
    const QList<int> confused = MasteryRecord::confusedWith(m_record, card.flagId);
    LookAlikeBoard::RowsByFlag rowsByFlag{};
    std::copy(m_world.rowOfFlag.begin(), m_world.rowOfFlag.end(), rowsByFlag.begin());
    std::vector<int> candidates =
        LookAlikeBoard::candidateRows(card.flagId, {confused.begin(), confused.end()},
                                      m_similar.similarTo(card.flagId), rowsByFlag);
    // One question of an untimed game: its clock is never started and it gives no score.
    m_board = std::make_unique<GameSession>(
        GameSession::rowsOf(m_world.table, m_world.rowCount), 0,
        std::make_unique<ReviewBoard>(askedRow, std::move(candidates), m_world.rowCount),
        m_services.random, 1);

    const bool nameToFlag = card.direction == ReviewSchedule::Direction::NameToFlag;
    m_progressLabel->setText(
        QStringLiteral("%1　%2 / %3　（時間制限なし・成績は記録されません）")
            .arg(nameToFlag ? QStringLiteral("名→旗") : QStringLiteral("旗→名"))
            .arg(m_review->position())
            .arg(m_review->cardCount()));
    if (nameToFlag) {
        m_questionLabel->setText(
            QStringLiteral("%1 の国旗はどれですか？").arg(m_board->askedName()));
        QStringList ids;
        for (int k = 1; k <= GameRules::cardsPerBoard; ++k)
            ids.append(m_board->flagIdAt(k));
        m_pictures.prepare(m_appPath, ids, m_cards[1]->size(), m_cards[1]->devicePixelRatioF());
        for (int k = 1; k <= GameRules::cardsPerBoard; ++k) {
            const QPixmap picture = m_pictures.card(m_board->flagIdAt(k));
            if (picture.isNull())
                m_cards[static_cast<size_t>(k)]->clear();
            else
                m_cards[static_cast<size_t>(k)]->setPixmap(picture);
        }
    } else {
        m_questionLabel->setText(QStringLiteral("この国旗はどの国ですか？"));
        showFlag(m_bigFlag, m_appPath, card.flagId);
        for (int k = 1; k <= GameRules::cardsPerBoard; ++k) {
            const QString name = m_board->nameOfRow(m_board->rowAt(k));
            QPushButton *button = m_names[static_cast<size_t>(k)];
            button->setText(name.isEmpty() ? QString()
                                           : keyCaption(k) + QStringLiteral("　") + name);
            button->setEnabled(!name.isEmpty());
        }
    }
    showPage(Page::Question);
    if (isVisible())
        sayPage();
}

void DailyReviewPanel::pick(int k)
{
    if (m_page != Page::Question || !m_board || m_board->rowAt(k) == 0)
        return;
    const int pickedRow = m_board->rowAt(k);
    const bool right = m_board->pick(k) == GameSession::Pick::Right;
    showLearning(right ? 0 : pickedRow);
}

void DailyReviewPanel::showLearning(int pickedRow)
{
    const ReviewSchedule::CardKey card = m_review->current();
    const int flagId = card.flagId;
    const int row = m_world.rowOfFlag[static_cast<size_t>(flagId)];
    // The sign tells right from wrong to a player who does not read the words first.
    m_questionLabel->setText(pickedRow ? QStringLiteral("✕ 違います。正しくはこちらです。")
                                       : QStringLiteral("✓ 正解です。"));
    showFlag(m_rightFlag, m_appPath, flagId);
    // A name in katakana is its own reading; one holding kanji is told with its reading.
    const QString &reading = m_readings[static_cast<size_t>(flagId)];
    const QString name = reading.isEmpty()
                             ? nameOf(flagId)
                             : QStringLiteral("%1（%2）").arg(nameOf(flagId), reading);
    m_rightText->setText(QStringLiteral("%1\n首都：%2\n地域：%3")
                             .arg(name, m_world.table.capitals[static_cast<size_t>(flagId)],
                                  m_world.table.regionNames[static_cast<size_t>(row)]));
    const int pickedId =
        pickedRow ? m_world.table.flagIds[static_cast<size_t>(pickedRow)].toInt() : 0;
    if (pickedRow) {
        showFlag(m_pickedFlag, m_appPath, pickedId);
        m_pickedText->setText(QStringLiteral("選んだのは：%1").arg(nameOf(pickedId)));
    }
    m_review->answer(pickedRow == 0);
    m_playerData.recordReviewAnswer(card, pickedRow == 0, pickedId);
    emit scheduleChanged();
    m_board.reset();
    showPage(Page::Learning);
    m_pickedFlag->setVisible(pickedRow != 0);
    m_pickedText->setVisible(pickedRow != 0);
    if (isVisible())
        sayPage();
}

void DailyReviewPanel::sayPage()
{
    QStringList told{m_questionLabel->text()};
    if (m_page == Page::Learning) {
        // The whole learning card: the focus is on 次へ, which says nothing of it.
        told << m_rightText->text();
        if (m_pickedText->isVisibleTo(this))
            told << m_pickedText->text();
    } else if (m_page == Page::End) {
        told << m_endLabel->text();
    }
    Announce::say(this, told.join(QLatin1Char('\n')));
}

void DailyReviewPanel::moveOn()
{
    if (m_page != Page::Learning)
        return;
    if (m_review->finished())
        showEnd();
    else
        showCard();
}

void DailyReviewPanel::showEnd()
{
    // What tomorrow's button will say: its due cards and its new flags, from the same region.
    const QDate today = ReviewSchedule::today(m_services.clock);
    const QDate tomorrow = today.addDays(1);
    const ReviewSchedule::Schedule schedule = m_playerData.schedule();
    const int tomorrowCards = static_cast<int>(m_world.cardsOn(schedule, tomorrow).cards.size());
    const ReviewSchedule::NextDue next = tomorrowCards > 0
                                             ? ReviewSchedule::NextDue{tomorrow, tomorrowCards}
                                             : ReviewSchedule::nextDue(schedule, today);
    m_endLabel->setText(QStringLiteral("復習した札：%1枚\n一度目で正解：%2枚\n次の復習：%3")
                            .arg(m_review->cardCount())
                            .arg(m_review->rightFirstTime())
                            .arg(next.cards > 0
                                     ? ReviewSchedule::nextDueText(today, next.day, next.cards)
                                     : QStringLiteral("予定はありません")));
    m_progressLabel->clear();
    m_questionLabel->setText(QStringLiteral("今日の復習は終わりです。"));
    m_review.reset();
    showPage(Page::End);
    if (isVisible())
        sayPage();
}

bool DailyReviewPanel::tooSoonAfterPageChange() const
{
    const double interval = QApplication::doubleClickInterval() / 1000.0;
    return m_services.clock.monotonicSeconds() - m_pageShownAt < interval;
}

void DailyReviewPanel::showPage(Page page)
{
    m_page = page;
    m_pageShownAt = m_services.clock.monotonicSeconds();
    const bool question = page == Page::Question;
    const bool nameToFlag = question && m_review &&
                            m_review->current().direction == ReviewSchedule::Direction::NameToFlag;
    const bool learning = page == Page::Learning;
    QList<std::pair<QWidget *, bool>> parts;
    for (int k = 1; k <= GameRules::cardsPerBoard; ++k) {
        parts.append({m_cards[static_cast<size_t>(k)], question && nameToFlag});
        parts.append({m_names[static_cast<size_t>(k)], question && !nameToFlag});
    }
    parts.append({m_bigFlag, question && !nameToFlag});
    parts.append({m_keysLabel, question});
    for (QWidget *part :
         {static_cast<QWidget *>(m_rightFlag), static_cast<QWidget *>(m_rightText),
          static_cast<QWidget *>(m_pickedFlag), static_cast<QWidget *>(m_pickedText),
          static_cast<QWidget *>(m_nextButton)})
        parts.append({part, learning});
    parts.append({m_endLabel, page == Page::End});
    parts.append({m_mapButton, page == Page::End});
    m_backButton->setText(page == Page::End ? QStringLiteral("戻る") : QStringLiteral("やめる"));
    // The keyboard moves to the new page before the old one goes: a focused control that is
    // hidden hands the focus on to the next in the chain, and a screen reader would speak
    // each control the focus passes through on its way.
    for (const auto &[part, shown] : parts) {
        if (shown)
            part->show();
    }
    if (isVisible())
        firstFocus()->setFocus(Qt::OtherFocusReason);
    for (const auto &[part, shown] : parts) {
        if (!shown)
            part->hide();
    }
}

void DailyReviewPanel::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    const bool plain = !(event->modifiers() & ~Qt::KeypadModifier);
    if (m_page == Page::Question && plain) {
        if (const std::optional<int> k = CardKeys::positionOf(key)) {
            pick(*k);
            return;
        }
        // The arrows move the focus ring over the flags.
        for (int k = 1; k <= GameRules::cardsPerBoard; ++k) {
            if (!m_cards[static_cast<size_t>(k)]->hasFocus())
                continue;
            if (const std::optional<int> next = CardKeys::neighbourOf(k, key, cardsPerRow)) {
                m_cards[static_cast<size_t>(*next)]->setFocus(Qt::OtherFocusReason);
                return;
            }
        }
    }
    if (m_page == Page::Learning &&
        (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
         event->key() == Qt::Key_Space)) {
        moveOn();
        return;
    }
    QFrame::keyPressEvent(event);
}

bool DailyReviewPanel::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if ((type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease ||
         type == QEvent::MouseButtonDblClick) &&
        tooSoonAfterPageChange())
        return true;
    if (event->type() == QEvent::KeyPress) {
        const auto *press = static_cast<QKeyEvent *>(event);
        const auto found = std::find(m_names.begin() + 1, m_names.end(), watched);
        if (found != m_names.end() && !(press->modifiers() & ~Qt::KeypadModifier)) {
            const int k = static_cast<int>(found - m_names.begin());
            if (const std::optional<int> next =
                    CardKeys::neighbourOf(k, press->key(), namesPerRow)) {
                m_names[static_cast<size_t>(*next)]->setFocus(Qt::OtherFocusReason);
                return true;
            }
        }
    }
    return QFrame::eventFilter(watched, event);
}

void DailyReviewPanel::abandon()
{
    if (m_page == Page::End)
        return;
    m_review.reset();
    m_board.reset();
    showPage(Page::End);
}
