#pragma once

#include <QLabel>
#include <QStringList>

// A label whose Japanese text wraps between phrases, never inside a word: after 。、？！, at
// blanks (the full-width one too), before （ and at line ends. A phrase wider than the whole
// label breaks between words, as far as runs of kanji, katakana and Latin letters tell them:
// best where such a run follows kana.
// The text itself stays as it was set.
class PhraseLabel : public QLabel
{
    Q_OBJECT
public:
    explicit PhraseLabel(QWidget *parent = nullptr);

    // The lines the text is shown in at `width` pixels.
    QStringList lines(int width) const;

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent *event) override;
};
