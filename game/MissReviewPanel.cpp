#include "MissReviewPanel.h"

#include "ClickableLabel.h"
#include "PhraseLabel.h"
#include "Twips.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPen>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// A flag in the review: a little smaller than a card, so that a row holds several.
constexpr int pictureWidthTwips = 1350;
constexpr int pictureHeightTwips = 825;
constexpr int tileWidthTwips = 1650;
constexpr int questionWidthTwips = 900;
constexpr int spacingTwips = 120;
constexpr double namePoints = 10.5;
constexpr double smallestNamePoints = 7.5;
constexpr double captionPoints = 12;
const QString wrongColour = QStringLiteral("#c00000");

// The picture with a red cross over it: the mark of a flag picked by mistake. Drawn in the
// screen's own pixels, as the picture is. A white edge keeps the cross in sight on a red or
// dark flag, and for a player who does not tell red from the flag's own colours.
QPixmap crossedOut(const QPixmap &picture, QSize size, qreal devicePixelRatio)
{
    QPixmap marked(size * devicePixelRatio);
    marked.setDevicePixelRatio(devicePixelRatio);
    marked.fill(Qt::transparent);
    QPainter painter(&marked);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!picture.isNull())
        painter.drawPixmap(QRect(QPoint(), size), picture);
    const int width = std::max(3, size.height() / 12);
    const int inset = size.height() / 5;
    const QRect box(QPoint(size.width() / 2 - size.height() / 2 + inset, inset),
                    QPoint(size.width() / 2 + size.height() / 2 - inset, size.height() - inset));
    for (const QPen &pen : {QPen(Qt::white, width + 4, Qt::SolidLine, Qt::RoundCap),
                            QPen(QColor(wrongColour), width, Qt::SolidLine, Qt::RoundCap)}) {
        painter.setPen(pen);
        painter.drawLine(box.topLeft(), box.bottomRight());
        painter.drawLine(box.topRight(), box.bottomLeft());
    }
    return marked;
}

// The flags picked by mistake for one question, each once in the order first picked, with how
// often it was picked.
QList<std::pair<int, int>> distinctPicks(const QList<int> &clicks)
{
    QList<std::pair<int, int>> picks;
    for (const int id : clicks) {
        const auto found = std::find_if(picks.begin(), picks.end(),
                                        [id](const auto &pick) { return pick.first == id; });
        if (found == picks.end())
            picks.append({id, 1});
        else
            ++found->second;
    }
    return picks;
}

} // namespace

MissReviewPanel::MissReviewPanel(QWidget *parent) : QScrollArea(parent)
{
    setObjectName(QStringLiteral("Review"));
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFrameShape(QFrame::StyledPanel);
    // The keyboard goes to the flags themselves, whose focus frame shows; the arrows and the
    // page keys still scroll from any of them.
    setFocusPolicy(Qt::NoFocus);
    hide();
}

QWidget *MissReviewPanel::flagTile(int flagId, const Flag &flag, int times, bool wrongPick)
{
    auto *tile = new ClickableLabel;
    tile->setObjectName(wrongPick ? QStringLiteral("ReviewWrong") : QStringLiteral("ReviewAsked"));
    tile->setProperty("flagId", flagId);
    tile->setCursor(Qt::PointingHandCursor);
    tile->setFixedWidth(Twips::toPixels(tileWidthTwips));
    tile->setToolTip(QStringLiteral("国旗を学習する"));
    tile->makeFocusable(QStringLiteral("%1（%2）")
                            .arg(flag.name, wrongPick ? QStringLiteral("まちがえて選んだ国旗")
                                                      : QStringLiteral("聞かれた国旗")));
    tile->setAccessibleDescription(QStringLiteral("Enterで国旗を学習します。"));
    auto *layout = new QVBoxLayout(tile);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);

    const QSize size(Twips::toPixels(pictureWidthTwips), Twips::toPixels(pictureHeightTwips));
    auto *picture = new QLabel;
    picture->setObjectName(QStringLiteral("ReviewPicture"));
    picture->setFixedSize(size);
    const qreal ratio = devicePixelRatioF();
    QPixmap scaled;
    if (!flag.picture.isNull()) {
        scaled = flag.picture.scaled(size * ratio, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        scaled.setDevicePixelRatio(ratio);
    }
    if (wrongPick)
        picture->setPixmap(crossedOut(scaled, size, ratio));
    else if (!scaled.isNull())
        picture->setPixmap(scaled);
    picture->setFrameShape(QFrame::Box);

    QString caption = flag.name;
    if (times > 1)
        caption += QStringLiteral("（%1回）").arg(times);
    auto *name = new PhraseLabel;
    name->setText(caption);
    name->setObjectName(QStringLiteral("ReviewName"));
    // A long name is written smaller rather than broken inside it; the count goes below it.
    QFont font = Twips::designFont(namePoints, !wrongPick);
    while (QFontMetrics(font).horizontalAdvance(flag.name) > Twips::toPixels(tileWidthTwips) &&
           font.pointSizeF() > smallestNamePoints)
        font.setPointSizeF(font.pointSizeF() - 0.5);
    name->setFont(font);
    name->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    // The whole tile takes the click, wherever on it the player points.
    for (QLabel *part : {picture, static_cast<QLabel *>(name)}) {
        part->setAttribute(Qt::WA_TransparentForMouseEvents);
        layout->addWidget(part, 0, Qt::AlignHCenter);
    }
    layout->addStretch();
    connect(tile, &ClickableLabel::clicked, this, [this, flagId] { emit flagPicked(flagId); });
    return tile;
}

// As many wrong picks side by side as the row has room for beside the flag asked. The scroll
// area itself, not its viewport: a hidden area lays out its viewport only when it is shown.
int MissReviewPanel::picksPerLine() const
{
    const int spacing = Twips::toPixels(spacingTwips);
    const int room = width() - 2 * frameWidth() - verticalScrollBar()->sizeHint().width() -
                     Twips::toPixels(questionWidthTwips + tileWidthTwips) - 6 * spacing;
    return std::max(1, room / (Twips::toPixels(tileWidthTwips) + spacing));
}

void MissReviewPanel::resizeEvent(QResizeEvent *event)
{
    QScrollArea::resizeEvent(event);
    if (m_content && picksPerLine() != m_laidOutPicksPerLine)
        setGame(m_game, m_flags);
}

void MissReviewPanel::setGame(const MasteryRecord::GameLog &game, const QHash<int, Flag> &flags)
{
    m_game = game;
    m_flags = flags;
    m_laidOutPicksPerLine = picksPerLine();
    delete takeWidget();
    m_rowCount = 0;
    m_content = new QWidget;
    auto *column = new QVBoxLayout(m_content);
    const int spacing = Twips::toPixels(spacingTwips);
    column->setSpacing(spacing);

    auto *title = new QLabel(QStringLiteral("見直し"));
    title->setObjectName(QStringLiteral("ReviewTitle"));
    title->setFont(Twips::designFont(captionPoints, true));
    column->addWidget(title);

    const int perLine = m_laidOutPicksPerLine;

    for (qsizetype q = 0; q < game.size(); ++q) {
        const MasteryRecord::Question &question = game[q];
        if (question.wrongClicks.isEmpty())
            continue;
        ++m_rowCount;
        auto *row = new QFrame;
        row->setObjectName(QStringLiteral("ReviewRow"));
        row->setProperty("question", static_cast<int>(q + 1));
        row->setFrameShape(QFrame::StyledPanel);
        auto *line = new QHBoxLayout(row);
        line->setSpacing(spacing);

        auto *number = new QLabel(QStringLiteral("第%1問").arg(q + 1));
        number->setFont(Twips::designFont(captionPoints, true));
        number->setFixedWidth(Twips::toPixels(questionWidthTwips));
        number->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        line->addWidget(number, 0, Qt::AlignTop);
        line->addWidget(flagTile(question.askedFlagId, flags.value(question.askedFlagId), 1, false),
                        0, Qt::AlignTop);

        auto *wrong = new QVBoxLayout;
        auto *caption = new QLabel(QStringLiteral("✕ まちがえて選んだ国旗"));
        caption->setObjectName(QStringLiteral("ReviewWrongCaption"));
        caption->setFont(Twips::designFont(namePoints, true));
        caption->setStyleSheet(QStringLiteral("color: %1;").arg(wrongColour));
        wrong->addWidget(caption);
        auto *picks = new QGridLayout;
        picks->setSpacing(spacing);
        const QList<std::pair<int, int>> distinct = distinctPicks(question.wrongClicks);
        for (qsizetype i = 0; i < distinct.size(); ++i) {
            const auto &[id, times] = distinct[i];
            picks->addWidget(flagTile(id, flags.value(id), times, true),
                             static_cast<int>(i / perLine), static_cast<int>(i % perLine),
                             Qt::AlignTop);
        }
        picks->setColumnStretch(perLine, 1);
        wrong->addLayout(picks);
        line->addLayout(wrong, 1);
        column->addWidget(row);
    }

    if (m_rowCount == 0) {
        auto *none = new QLabel(QStringLiteral("ミスはありませんでした。"));
        none->setObjectName(QStringLiteral("ReviewNone"));
        none->setFont(Twips::designFont(captionPoints));
        column->addWidget(none);
    }
    column->addStretch();
    setWidget(m_content);
    verticalScrollBar()->setValue(0);

    // Tab goes through the flags in reading order, from where the panel stands in the chain.
    QWidget *previous = this;
    for (ClickableLabel *tile : m_content->findChildren<ClickableLabel *>()) {
        setTabOrder(previous, tile);
        previous = tile;
    }
}
