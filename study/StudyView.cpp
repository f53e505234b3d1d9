#include "StudyView.h"

#include "ClickableLabel.h"
#include "MainWindowContext.h"
#include "PicturePaths.h"
#include "Twips.h"

#include <QGroupBox>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QScrollBar>

#include <thread>

namespace {

template <typename W> W *place(W *widget, const char *name, int l, int t, int w, int h)
{
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(Twips::rect(l, t, w, h));
    return widget;
}

QLabel *caption(QWidget *parent, const char *name, const QString &text, int l, int t, int w, int h,
                double points, bool bold = false)
{
    auto *label = place(new QLabel(text, parent), name, l, t, w, h);
    label->setFont(Twips::designFont(points, bold));
    return label;
}

constexpr int cellLeft = 200;
constexpr int cellWidth = 1500;
constexpr int cellHeight = 900;

} // namespace

StudyView::StudyView(MainWindowContext &context, QWidget *form) : QObject(form), m_context(context)
{
    m_image1 = place(new ClickableLabel(form), "Image1", 4980, 1800, 2175, 1425);
    m_image1->setScaledContents(true);
    m_image1->setFrameShape(QFrame::Box);
    m_image2 = place(new ClickableLabel(form), "Image2", 12660, 3750, 3525, 2805);
    m_image2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_image3 = place(new ClickableLabel(form), "Image3", 4980, 3720, 3045, 2865);
    m_image3->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    caption(form, "Label1", QStringLiteral("国名："), 7380, 1770, 675, 315, 12);
    m_label3 = caption(form, "Label3", QString(), 8190, 1770, 6105, 525, 15.75, true);
    caption(form, "Label2", QStringLiteral("首都："), 7380, 2370, 705, 255, 12);
    m_label4 = caption(form, "Label4", QString(), 8190, 2340, 6135, 525, 14.25, true);
    caption(form, "Label6", QStringLiteral("地域："), 7380, 2910, 705, 255, 12);
    m_label5 = caption(form, "Label5", QString(), 8190, 2910, 3855, 465, 14.25, true);
    m_label18 = place(new ClickableLabel(form), "Label18", 12780, 3270, 6945, 435);
    m_label18->setFont(Twips::designFont(18, true));
    m_label18->setStyleSheet(QStringLiteral("color: rgb(0, 0, 255);"));
    m_label18->setCursor(Qt::PointingHandCursor);

    m_text2 = place(new QLineEdit(form), "Text2", 390, 1260, 3375, 405);
    m_text2->setFont(Twips::designFont(15.75));
    m_text2->hide();
    m_command4 = place(new QPushButton(QStringLiteral("検索"), form), "Command4", 3780, 1230, 765, 435);
    m_command4->setFont(Twips::designFont(14.25));
    m_command4->hide();
    m_list1 = place(new QListWidget(form), "List1", 390, 1680, 3885, 8310);
    m_list1->setFont(Twips::designFont(18));
    m_list1->hide();

    m_frame2 = place(new QGroupBox(QStringLiteral("国旗"), form), "Frame2", 990, 1080, 2775, 9315);
    m_frame2->hide();
    m_vscroll2 = place(new QScrollBar(Qt::Vertical, m_frame2), "VScroll2", 2010, 420, 615, 8175);
    m_vscroll2->setRange(1, 191);
    m_vscroll2->setSingleStep(1);
    m_vscroll2->setPageStep(1);
    m_vscroll2->setValue(1);
    for (int n = 1; n <= galleryCells; ++n) {
        auto *cell = new ClickableLabel(m_frame2);
        cell->setObjectName(QStringLiteral("Image5"));
        cell->setProperty("index", n);
        cell->setScaledContents(true);
        m_image5[static_cast<size_t>(n)] = cell;
    }
}

QString StudyView::loadGalleryPictures()
{
    const QSize shown = Twips::rect(0, 0, cellWidth, cellHeight).size();
    std::vector<QImage> images(galleryCells + 1);
    std::vector<QString> failed(galleryCells + 1);
    auto decode = [&](int first, int step) {
        for (int n = first; n <= galleryCells; n += step) {
            QImageReader reader(PicturePaths::flag(m_context.appPath, n));
            reader.setScaledSize(shown);
            if (!reader.read(&images[static_cast<size_t>(n)]))
                failed[static_cast<size_t>(n)] = reader.fileName();
        }
    };
    const unsigned threads = std::max(1U, std::min(4U, std::thread::hardware_concurrency()));
    std::vector<std::thread> workers;
    for (unsigned t = 1; t < threads; ++t)
        workers.emplace_back(decode, static_cast<int>(t) + 1, static_cast<int>(threads));
    decode(1, static_cast<int>(threads));
    for (std::thread &worker : workers)
        worker.join();

    for (int n = 1; n <= galleryCells; ++n) {
        ClickableLabel *cell = m_image5[static_cast<size_t>(n)];
        cell->move(Twips::toPixels(cellLeft), cell->y());
        if (!failed[static_cast<size_t>(n)].isEmpty())
            return failed[static_cast<size_t>(n)];
        cell->setPixmap(QPixmap::fromImage(images[static_cast<size_t>(n)]));
    }
    return QString();
}

void StudyView::layoutAllCells()
{
    m_context.galleryFirst = 1;
    for (int i = 1; i <= galleryCells; ++i) {
        ClickableLabel *cell = m_image5[static_cast<size_t>(m_context.galleryFirst + i - 1)];
        cell->setGeometry(Twips::rect(cellLeft, 1100 * i + 240 - 900, cellWidth, cellHeight));
        cell->show();
    }
}
