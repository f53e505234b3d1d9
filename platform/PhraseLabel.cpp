#include "PhraseLabel.h"

#include <QPainter>
#include <QStyle>

namespace {

// A line may end right after one of these.
bool endsPhrase(QChar c)
{
    static const QString marks = QStringLiteral("。、？！ 　");
    return marks.contains(c);
}

// And right before one of these.
bool startsPhrase(QChar c)
{
    return c == QChar(u'（');
}

enum class Run
{
    Other,
    Kanji,
    Katakana,
    Latin
};

Run runOf(QChar c)
{
    if (c.script() == QChar::Script_Han || c == QChar(u'々'))
        return Run::Kanji;
    if (c.script() == QChar::Script_Katakana || c == QChar(u'ー') || c == QChar(u'・'))
        return Run::Katakana;
    if (c.isLetterOrNumber() && (c.script() == QChar::Script_Latin || c.isDigit()))
        return Run::Latin;
    return Run::Other;
}

// Whether a line may end before text[at]: not inside a word's run, not before a mark that
// closes or a small kana, not after a mark that opens.
bool breakableBefore(const QString &text, qsizetype at)
{
    static const QString noneBefore =
        QStringLiteral("。、，．）」』！？：ぁぃぅぇぉっゃゅょゎァィゥェォッャュョヮ");
    static const QString noneAfter = QStringLiteral("（「『");
    const QChar before = text[at - 1];
    const QChar next = text[at];
    const Run run = runOf(before);
    return !(run != Run::Other && run == runOf(next)) && !noneBefore.contains(next) &&
           !noneAfter.contains(before);
}

// Whether a word begins at text[at] after the kana that ended the one before (a particle, an
// ending): where a line best ends inside a phrase.
bool beginsWord(const QString &text, qsizetype at)
{
    return runOf(text[at - 1]) == Run::Other && runOf(text[at]) != Run::Other &&
           breakableBefore(text, at);
}

} // namespace

PhraseLabel::PhraseLabel(QWidget *parent) : QLabel(parent)
{
    setWordWrap(true);
}

QStringList PhraseLabel::lines(int width) const
{
    const QFontMetrics metrics = fontMetrics();
    QStringList shown;
    for (const QString &paragraph : text().split(QLatin1Char('\n'))) {
        // The phrases, each with the mark that ends it.
        QStringList phrases;
        QString phrase;
        for (const QChar c : paragraph) {
            if (startsPhrase(c) && !phrase.isEmpty()) {
                phrases << phrase;
                phrase.clear();
            }
            phrase += c;
            if (endsPhrase(c)) {
                phrases << phrase;
                phrase.clear();
            }
        }
        if (!phrase.isEmpty() || phrases.isEmpty())
            phrases << phrase;

        QString line;
        for (const QString &next : std::as_const(phrases)) {
            if (line.isEmpty() || metrics.horizontalAdvance(line + next) <= width) {
                line += next;
                continue;
            }
            shown << line;
            line = next;
        }
        // A phrase longer than the line breaks between words as far as they can be told apart:
        // where a word of kanji, katakana or Latin letters follows kana, or else anywhere but
        // inside such a run.
        while (metrics.horizontalAdvance(line) > width && line.size() > 1) {
            qsizetype fits = 1;
            while (fits < line.size() && metrics.horizontalAdvance(line.left(fits + 1)) <= width)
                ++fits;
            qsizetype cut = fits;
            while (cut > 0 && !beginsWord(line, cut))
                --cut;
            if (cut == 0)
                cut = fits;
            while (cut > 0 && !breakableBefore(line, cut))
                --cut;
            if (cut == 0)
                cut = fits;
            shown << line.left(cut);
            line = line.mid(cut);
        }
        shown << line;
    }
    return shown;
}

int PhraseLabel::heightForWidth(int width) const
{
    const QMargins margins = contentsMargins();
    const int inner = width - margins.left() - margins.right() - 2 * margin();
    return static_cast<int>(lines(inner).size()) * fontMetrics().lineSpacing() + margins.top() +
           margins.bottom() + 2 * margin();
}

void PhraseLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect area = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    const QStringList shown = lines(area.width());
    const int lineHeight = fontMetrics().lineSpacing();
    const int textHeight = static_cast<int>(shown.size()) * lineHeight;
    int top = area.top();
    if (alignment() & Qt::AlignVCenter)
        top += (area.height() - textHeight) / 2;
    else if (alignment() & Qt::AlignBottom)
        top += area.height() - textHeight;
    const Qt::Alignment across = alignment() & Qt::AlignHorizontal_Mask;
    for (const QString &line : shown) {
        style()->drawItemText(&painter, QRect(area.left(), top, area.width(), lineHeight),
                              int(across | Qt::AlignTop), palette(), isEnabled(), line,
                              foregroundRole());
        top += lineHeight;
    }
}
