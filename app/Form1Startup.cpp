// The start-up: the window on the screen, its pictures and lists, then the server's notice.
#include "Form1.h"

#include "BaseList.h"
#include "ClickableLabel.h"
#include "GalleryDecoder.h"
#include "GamePanel.h"
#include "MessageBox.h"
#include "PendingReports.h"
#include "PicturePaths.h"
#include "PlayerData.h"
#include "Regions.h"
#include "ServerAccess.h"
#include "Services.h"
#include "SharpPicture.h"
#include "StartupRules.h"
#include "StudyView.h"
#include "Twips.h"
#include "WaitCursor.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QScreen>

bool Form1::load()
{
    MessageBox &messages = m_services.messages;

    setWindowIcon(QIcon());

    m_gamePanel->hideControls();

    if (StartupRules::refusesFolder(m_services.drives, m_config.appPath)) {
        messages.show(QStringLiteral("フラミオはCD-"
                                     "ROMから使用することは出来ません。フラミオのホルダーを丸ごとハ"
                                     "ードディスク又はメモリーにコピーしてからご使用下さい。"));
        return false;
    }

    // Without a window manager a maximised window keeps its old size, so it is also given
    // the screen's working area.
    const QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (screen)
        setGeometry(screen->availableGeometry());
    showMaximized();
    // The keyboard and a screen reader start at the first menu entry, not at whichever control
    // was made first, which is the outside link at the foot of the start screen.
    m_helpLabel->setFocus(Qt::OtherFocusReason);

    const QSize screenPixels = screen ? screen->geometry().size() : QSize(1920, 1080);
    const int screenWidth = Twips::fromPixels(screenPixels.width());
    const int screenHeight = Twips::fromPixels(screenPixels.height());
    m_gamePanel->fitToScreen(screenWidth, screenHeight);
    placeSourceCredit();

    const QString introPath = PicturePaths::intro(m_config.appPath);
    // The picture stretches to its place, which on a large screen has more pixels than it.
    const QPixmap intro = SharpPicture::decodeAtMostOwnSize(introPath, m_introPicture->size(),
                                                            m_introPicture->devicePixelRatioF());
    if (intro.isNull()) {
        messages.show(QStringLiteral("%1 を読み込めません。").arg(introPath));
        return false;
    }
    m_introPicture->setPixmap(intro);
    // The credit link's picture only shows the player where to click; without it the link
    // still answers, so a missing one ends nothing.
    m_referralBanner->setPixmap(SharpPicture::decodeAtMostOwnSize(
        PicturePaths::banner(m_config.appPath), m_referralBanner->size(),
        m_referralBanner->devicePixelRatioF()));

    const QString missing = m_studyView->loadGalleryPictures(*m_galleryDecoder);
    m_galleryDecoder.reset();
    if (!missing.isEmpty()) {
        messages.show(QStringLiteral("%1 を読み込めません。").arg(missing));
        return false;
    }
    m_studyView->layoutAllCells();

    try {
        m_studyView->loadWorldList();
    } catch (const BaseListError &error) {
        messages.show(error.message());
        return false;
    }

    m_graphRegionBox->clear();
    for (const Region &region : Regions::all())
        m_graphRegionBox->addItem(region.displayName);

    QString notice;
    {
        // The notice fetch blocks the window for up to its deadline: the window is painted
        // first, under the wait cursor, so that a slow server never leaves an unpainted
        // window on the screen.
        WaitCursor wait;
        WaitCursor::paintNow(this);
        notice = m_server.fetchNotice();
    }
    switch (StartupRules::actionForNotice(notice)) {
    case StartupRules::NoticeAction::EndProgram:
        messages.show(QStringLiteral("インターネットにアクセス出来ません。フラミオはインターネット"
                                     "から国旗情報を読み取る必要があります。"));
        return false;
    case StartupRules::NoticeAction::Nothing:
        break;
    case StartupRules::NoticeAction::ShowNews:
        showNews();
        break;
    }
    {
        // Games the server did not take last time; the server answered the notice just now.
        WaitCursor wait;
        PendingReports(m_server, m_playerData.keptReports()).sendAgain();
    }
    // The data folder is the program's folder or, where that cannot be written, the player's
    // own; when neither can be, the player hears it now rather than after a whole game.
    m_playerData.checkFolder();
    return true;
}
