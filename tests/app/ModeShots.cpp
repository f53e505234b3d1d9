// Writes a picture of every mode of the main window, and of the windows it opens, on a 1366×768
// and a 1920×1080 off-screen screen, from a copy of a program folder with the same results, clock
// and dice each run: two builds that draw the same screens write the same files. Run as
// `mode_shots <pictures folder> <program folder>` and compare two folders of pictures with
// scripts/compare-shots.sh.
#include "EnterPressesButtons.h"
#include "FocusFrameStyle.h"
#include "Fonts.h"
#include "GamePanel.h"
#include "GameRules.h"
#include "MainWindowFixture.h"
#include "NationalDeviation.h"
#include "OffscreenScreens.h"
#include "Controls.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

namespace {

void copyFolder(const QString &from, const QString &to)
{
    QDirIterator it(from, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString target = to + file.mid(from.size());
        QDir().mkpath(QFileInfo(target).path());
        QFile::copy(file, target);
    }
}

// A key as the window system brings it: to the control with the focus.
void key(QWidget *window, int k, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QWidget *focused = QApplication::focusWidget();
    QTest::keyClick(focused ? focused : window, Qt::Key(k), modifiers);
    QTest::qWait(50);
}

// A click on the button on show whose caption begins with `caption`.
bool click(QWidget *window, const QString &caption)
{
    for (QAbstractButton *button : window->findChildren<QAbstractButton *>()) {
        if (button->isVisible() && button->text().startsWith(caption)) {
            QTest::mouseClick(button, Qt::LeftButton);
            QTest::qWait(50);
            return true;
        }
    }
    return false;
}

// The main window, and every other window on show, as `<screen>-<step>[-<window>].png`.
void shoot(const QString &folder, const QString &screen, const QString &step, QWidget *main)
{
    main->grab().save(QStringLiteral("%1/%2-%3.png").arg(folder, screen, step));
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window == main || !window->isVisible())
            continue;
        const QString name = window->objectName().isEmpty()
                                 ? QString::fromLatin1(window->metaObject()->className())
                                 : window->objectName();
        window->grab().save(QStringLiteral("%1/%2-%3-%4.png").arg(folder, screen, step, name));
    }
}

void shootScreen(const QString &folder, const QString &programFolder, const char *screenName)
{
    QScreen *screen = screenNamed(QString::fromLatin1(screenName));
    Fonts::useScreen(screen);
    QTemporaryDir copy;
    copyFolder(programFolder, copy.path());
    QuietNoticeServer notices;
    MainWindowHarness f(copy.path(), notices.noticeServer.baseUrl());
    const QDateTime played(QDate(2026, 11, 2), QTime(20, 15));
    for (int game = 0; game < 12; ++game)
        f.playerData->addResult(QStringLiteral("asia&taiyou"),
                                GameRules::resultsLine(150 + game * 27 % 300, 900 + game * 37,
                                                       game % 5, played.addDays(game)));
    f.remakeForm();
    f.form->setScreen(screen);
    if (!f.form->load())
        return;
    f.form->activateWindow();
    if (!QTest::qWaitForWindowActive(f.form.get()))
        return;
    QWidget *form = f.form.get();
    const QString name = QString::fromLatin1(screenName);
    shoot(folder, name, QStringLiteral("start"), form);
    for (int mode = 1; mode <= 5; ++mode) {
        key(form, Qt::Key_0 + mode, Qt::ControlModifier);
        shoot(folder, name, QStringLiteral("mode%1").arg(mode), form);
        key(form, Qt::Key_Escape);
    }
    // A game begun, two cards answered, then left.
    key(form, Qt::Key_3, Qt::ControlModifier);
    click(form, QStringLiteral("スタート"));
    shoot(folder, name, QStringLiteral("game"), form);
    key(form, Qt::Key_1);
    key(form, Qt::Key_2);
    shoot(folder, name, QStringLiteral("game-answered"), form);
    key(form, Qt::Key_Escape);
    shoot(folder, name, QStringLiteral("game-left"), form);
    // A whole game: a miss, then the right card each time; its end, the rating and the misses.
    click(form, QStringLiteral("スタート"));
    GamePanel *game = f.form->gamePanel();
    const auto pick = [&](int position) {
        clickInWindow(control<QWidget>(form, QStringLiteral("Image4"), position));
        // Apart enough not to be taken for a double click.
        QTest::qWait(QApplication::doubleClickInterval() + 50);
    };
    pick(game->answerPosition() == 1 ? 2 : 1);
    for (int question = 0; question < 15 && game->playing(); ++question)
        pick(game->answerPosition());
    f.clock.autoAdvance = 0.01;
    if (!QTest::qWaitFor([&] { return !f.form->deviation()->busy(); }, 20000))
        return;
    QTest::qWait(200);
    shoot(folder, name, QStringLiteral("game-end"), form);
    f.clock.autoAdvance = 0;
    // The player closes the rating's window and comes back to the main window.
    f.form->deviation()->form6()->close();
    QTest::qWait(200);
    f.form->activateWindow();
    if (!QTest::qWaitForWindowActive(form))
        return;
    // The results window and its map.
    key(form, Qt::Key_4, Qt::ControlModifier);
    key(form, Qt::Key_Return);
    shoot(folder, name, QStringLiteral("results"), form);
    key(form, Qt::Key_Tab, Qt::ShiftModifier);
    key(form, Qt::Key_Return);
    shoot(folder, name, QStringLiteral("map"), form);
    for (QWidget *window : QApplication::topLevelWidgets())
        if (window != form)
            window->close();
    QTest::qWait(200);
    f.form->activateWindow();
    if (!QTest::qWaitForWindowActive(form))
        return;
    // The day's review, from the game panel's button.
    key(form, Qt::Key_3, Qt::ControlModifier);
    if (click(form, QStringLiteral("今日の復習"))) {
        shoot(folder, name, QStringLiteral("daily"), form);
        key(form, Qt::Key_1);
        shoot(folder, name, QStringLiteral("daily-answered"), form);
    }
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: mode_shots <pictures folder> <program folder>\n");
        return 2;
    }
    QTemporaryDir config;
    if (!useOffscreenScreens(config, {{"1366", 1366, 768}, {"1920", 1920, 1080}}))
        return 1;
    QApplication app(argc, argv);
    Fonts::installSubstitutes();
    QApplication::setStyle(new FocusFrameStyle);
    EnterPressesButtons enterKey;
    app.installEventFilter(&enterKey);
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const QString programFolder = QDir(QString::fromLocal8Bit(argv[2])).absolutePath();
    QDir().mkpath(folder);
    shootScreen(folder, programFolder, "1366");
    shootScreen(folder, programFolder, "1920");
    return 0;
}
