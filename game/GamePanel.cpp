#include "GamePanel.h"

#include "ClickableLabel.h"
#include "MainWindowContext.h"
#include "Regions.h"
#include "Twips.h"

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

template <typename W> W *place(W *widget, const char *name, int l, int t, int w, int h)
{
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(Twips::rect(l, t, w, h));
    return widget;
}

} // namespace

GamePanel::GamePanel(MainWindowContext &context, QWidget *form)
    : QObject(form), m_context(context)
{
    m_picture1 = new QFrame(form);
    m_picture1->setObjectName(QStringLiteral("Picture1"));
    m_picture1->setAutoFillBackground(true);
    m_picture1->setGeometry(Twips::rect(0, 600, 19200, 10800));
    m_picture1->hide();
    context.picture1 = m_picture1;

    m_frame1 = place(new QGroupBox(QStringLiteral("札取りゲーム"), m_picture1), "Frame1", 11430,
                     1050, 3855, 4035);
    m_frame1->setFont(Twips::designFont(18, true));

    static constexpr int optionGeometry[5][3] = {
        {1800, 3435, 525}, {2430, 2745, 525}, {3090, 2775, 525}, {3720, 3375, 525}, {4350, 3315, 525}};
    for (int i = 0; i < Regions::count; ++i) {
        auto *button = new QRadioButton(Regions::at(i).displayName, m_picture1);
        button->setObjectName(QStringLiteral("Option2"));
        button->setProperty("index", i);
        button->setGeometry(Twips::rect(11700, optionGeometry[i][0], optionGeometry[i][1],
                                        optionGeometry[i][2]));
        button->setFont(Twips::designFont(18, true));
        button->raise();
        m_option2[static_cast<size_t>(i)] = button;
    }

    m_label13 = place(new QLabel(m_picture1), "Label13", 2400, 1260, 8595, 705);
    m_label13->setFont(Twips::designFont(18, true));
    m_label14 = place(new QLabel(m_picture1), "Label14", 2400, 2100, 7005, 1215);
    m_label14->setFont(Twips::designFont(15.75));
    m_label14->setWordWrap(true);
    m_label14->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_label17 = place(new QLabel(m_picture1), "Label17", 12780, 1080, 2955, 1065);
    m_label17->setFont(Twips::designFont(24, true));
    m_label16 = place(new QLabel(m_picture1), "Label16", 13590, 2370, 1965, 585);
    m_label16->setFont(Twips::designFont(21.75, true));
    m_command2 = place(new QPushButton(QStringLiteral("スタート"), m_picture1), "Command2", 16230,
                       840, 1755, 855);
    m_command2->setFont(Twips::designFont(21.75, true));
    m_command3 = place(new QPushButton(QStringLiteral("戻る"), m_picture1), "Command3", 16230,
                       2040, 1425, 585);
    m_command3->setFont(Twips::designFont(20.25));
    m_text1 = place(new QPlainTextEdit(m_picture1), "Text1", 15090, 3360, 3135, 2265);
    m_text1->setFont(Twips::designFont(18));
    m_text1->setReadOnly(true);

    static constexpr int cardLefts[6] = {390, 3180, 5970, 8730, 11520, 14370};
    for (int k = 0; k <= 12; ++k) {
        auto *card = new ClickableLabel(m_picture1);
        card->setObjectName(QStringLiteral("Image4"));
        card->setProperty("index", k);
        card->setScaledContents(true);
        if (k == 0)
            card->setGeometry(Twips::rect(-3000, -3000, 2385, 1455));
        else
            card->setGeometry(
                Twips::rect(cardLefts[(k - 1) % 6], k <= 6 ? 3390 : 6060, 2385, 1455));
        card->hide();
        m_image4[static_cast<size_t>(k)] = card;
    }
}

void GamePanel::fitToScreen(int screenWidthTwips, int screenHeightTwips)
{
    m_picture1->setGeometry(Twips::rect(0, 600, screenWidthTwips, screenHeightTwips - 500));
}
