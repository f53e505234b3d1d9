#pragma once

#include "StudyRules.h"

#include <QGroupBox>
#include <QList>
#include <QString>

#include <array>
#include <memory>

class ClickableLabel;
class GalleryDecoder;
class QScrollBar;

// The flag gallery: the frame Frame2 itself, with its scroll bar and a column of every flag,
// eight of them on show at a time. A click on a flag is reported as that flag's ID.
class GalleryPanel : public QGroupBox
{
    Q_OBJECT
public:
    static constexpr int cells = StudyRules::galleryCells;

    // The flags are pictures of the program's folder `appPath`.
    GalleryPanel(QString appPath, QWidget *parent);

    // The first cell on show.
    int first() const { return m_first; }

    // Start-up: begins decoding the flag pictures in the background, at the size a cell shows
    // (at most the design's: the windows drawn larger sharpen the cells on show as they come),
    // so that they are ready by the time the window is laid out.
    static std::unique_ptr<GalleryDecoder> startDecode(const QString &appPath);
    // Start-up: puts every cell at left 200 with its flag picture, in order. Returns the path
    // of the first picture that could not be read, or an empty string.
    QString loadPictures(GalleryDecoder &decoder);
    // Start-up: all cells in one column from the top of the frame, all visible.
    void layoutAllCells();

    // Back to the first flag, laid out even when the scroll bar already stood there.
    void scrollToStart();
    // Shows the eight cells from the scroll value on and hides all others. Reads no file at the
    // design's size or smaller: every cell got its picture at start-up. Drawn larger, a cell
    // coming into sight for the first time reads its flag again at the size it is shown.
    void layoutGallery();
    // The name a screen reader gives the cell of this flag ID.
    void setCellName(int flagId, const QString &name);
    // The cells in order, for the window's Tab chain; those out of sight are passed over.
    QList<QWidget *> focusChain() const;
    // The first cell on show.
    QWidget *firstFocus() const;

signals:
    // The flag of this ID was clicked.
    void flagPicked(int flagId);

protected:
    // The mouse wheel over the pictures moves the scroll bar.
    void wheelEvent(QWheelEvent *event) override;
    // Up and Down move the focus one flag, Page Up and Page Down one view, scrolling with it.
    void keyPressEvent(QKeyEvent *event) override;

private:
    void focusCell(int n);
    // The cell's flag read again where its picture has fewer pixels than the cell shows.
    void sharpen(ClickableLabel *cell, int flagId);

    QString m_appPath;
    int m_first = 1;
    QScrollBar *m_galleryScrollBar;
    std::array<ClickableLabel *, cells + 1> m_galleryFlags{}; // cell 0 is never used
};
