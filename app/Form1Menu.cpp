#include "ClickableLabel.h"
#include "Form1.h"
#include "MessageBox.h"
#include "Services.h"
#include "ShellOpener.h"
#include "StudyView.h"

#include <QDir>
#include <QEvent>
#include <QPlainTextEdit>

#include <functional>

namespace {

// The comment box is a text control; its double-clicks arrive at the area that shows the text.
class DoubleClickFilter : public QObject
{
public:
    DoubleClickFilter(QObject *parent, std::function<void()> action)
        : QObject(parent), m_action(std::move(action))
    {
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::MouseButtonDblClick)
            m_action();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_action;
};

// The help as compiled help where the desktop can show it, and otherwise the same pages as
// HTML from the program's folder.
const QString compiledHelp = QStringLiteral("/kokki.chm");
const QString htmlHelp = QStringLiteral("/help/index.html");

} // namespace

void Form1::connectMenu()
{
    connect(m_galleryLabel, &ClickableLabel::clicked, this, [this] {
        m_newsBox->hide();
        enter(Mode::StudyByFlag);
    });
    connect(m_byNameLabel, &ClickableLabel::clicked, this, [this] {
        m_newsBox->hide();
        enter(Mode::StudyByName);
    });

    connect(m_helpLabel, &ClickableLabel::clicked, this, [this] {
        m_newsBox->hide();
        ShellOpener &shell = m_services.shell;
        if (shell.openFile(m_config.appPath + compiledHelp, ShellOpener::Show::Maximised) ||
            shell.openFile(m_config.appPath + htmlHelp, ShellOpener::Show::Maximised))
            return;
        // Where the desktop names no program for either, the player can still be told where
        // the pages are and open them by hand.
        m_services.messages.show(QStringLiteral("ヘルプを開くプログラムが見つかりませんでした。"
                                                "ヘルプのページは次の場所にあります。\n%1")
                                     .arg(QDir::toNativeSeparators(m_config.appPath + htmlHelp)));
    });

    // Links whose opening fails do nothing visible; there is nothing the player could do.
    auto open = [this](const QString &address) { m_services.shell.openAddress(address); };
    connect(m_regionMapLabel, &ClickableLabel::clicked, this,
            [this, open] { open(m_state.currentMapUrl); });
    connect(m_shopLabel, &ClickableLabel::clicked, this, [this, open] { open(m_config.shopUrl); });
    m_newsBox->viewport()->installEventFilter(
        new DoubleClickFilter(m_newsBox, [this, open] { open(m_config.shopUrl); }));
    connect(m_referralLabel, &ClickableLabel::clicked, this,
            [this, open] { open(m_config.referralUrl); });
    connect(m_referralBanner, &ClickableLabel::clicked, this,
            [this, open] { open(m_config.referralUrl); });
}
