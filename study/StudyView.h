#pragma once

#include <QImage>
#include <QObject>
#include <QString>

#include <array>
#include <vector>

class ClickableLabel;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QScrollBar;
class QWidget;
struct MainWindowContext;

// The country display, the study-by-name controls and the flag gallery, all on the main window.
class StudyView : public QObject
{
    Q_OBJECT
public:
    static constexpr int galleryCells = 198;

    StudyView(MainWindowContext &context, QWidget *form);

    QListWidget *list1() const { return m_list1; }
    ClickableLabel *image5(int cell) const { return m_image5.at(static_cast<size_t>(cell)); }

    // Start-up: puts every cell at left 200 with its flag picture. The pictures are decoded at
    // the size a cell shows, in parallel, and handed to the cells in order. Returns the path of
    // the first picture that could not be read, or an empty string.
    QString loadGalleryPictures();
    // Start-up: all cells in one column from the top of the frame, all visible.
    void layoutAllCells();

private:
    MainWindowContext &m_context;

    ClickableLabel *m_image1;
    ClickableLabel *m_image2;
    ClickableLabel *m_image3;
    QLabel *m_label3;
    QLabel *m_label4;
    QLabel *m_label5;
    ClickableLabel *m_label18;
    QLineEdit *m_text2;
    QPushButton *m_command4;
    QListWidget *m_list1;
    QGroupBox *m_frame2;
    QScrollBar *m_vscroll2;
    std::array<ClickableLabel *, galleryCells + 1> m_image5{}; // cell 0 is never used
};
