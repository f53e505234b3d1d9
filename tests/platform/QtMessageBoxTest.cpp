#include "QtMessageBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

// The question as the player answers it: by either button, or by closing it with Esc.
TEST(QtMessageBox, AQuestionSaysYesOnlyForHai)
{
    const auto button = [](QMessageBox *box, const QString &caption) {
        for (QAbstractButton *b : box->buttons())
            if (b->text() == caption)
                return b;
        ADD_FAILURE() << "no button " << caption.toStdString();
        return static_cast<QAbstractButton *>(nullptr);
    };
    const struct
    {
        const char *answer;
        std::function<void(QMessageBox *)> give;
        bool expected;
    } answers[] = {
        {"はい", [&](QMessageBox *box) { QTest::mouseClick(button(box, "はい"), Qt::LeftButton); },
         true},
        {"いいえ",
         [&](QMessageBox *box) { QTest::mouseClick(button(box, "いいえ"), Qt::LeftButton); },
         false},
        {"Esc", [](QMessageBox *box) { QTest::keyClick(box, Qt::Key_Escape); }, false},
        {"Enter", [](QMessageBox *box) { QTest::keyClick(box, Qt::Key_Return); }, false},
    };
    for (const auto &a : answers) {
        SCOPED_TRACE(a.answer);
        QString shownText;
        QTimer::singleShot(0, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            ASSERT_TRUE(box);
            shownText = box->text();
            EXPECT_EQ(box->windowTitle(), "フラミオ");
            a.give(box);
        });
        QtMessageBox messages;
        EXPECT_EQ(messages.ask(QStringLiteral("ゲームを中断しますか？")), a.expected);
        EXPECT_EQ(shownText, "ゲームを中断しますか？");
    }
}
