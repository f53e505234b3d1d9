#pragma once

#include <QImage>
#include <QSize>
#include <QString>

#include <atomic>
#include <thread>
#include <vector>

// Decodes the gallery's flag pictures at the size a cell shows them, on background threads
// that start early in the start-up and work while the window is being laid out. Whoever
// takes the result helps with what is left, then gets every picture in order.
class GalleryDecoder
{
public:
    GalleryDecoder(QString pictureFolder, int count, QSize size, int threads);
    ~GalleryDecoder();
    GalleryDecoder(const GalleryDecoder &) = delete;
    GalleryDecoder &operator=(const GalleryDecoder &) = delete;

    struct Result
    {
        std::vector<QImage> images; // by flag ID; element 0 unused
        QString firstFailure;       // path of the lowest ID that could not be read
    };
    Result take();

private:
    void work();

    QString m_folder;
    int m_count;
    QSize m_size;
    std::vector<QImage> m_images;
    std::vector<char> m_failed;
    std::atomic<int> m_next{1};
    std::vector<std::thread> m_threads;
};
