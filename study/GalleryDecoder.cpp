#include "GalleryDecoder.h"

#include <QImageReader>

GalleryDecoder::GalleryDecoder(QString pictureFolder, int count, QSize size, int threads)
    : m_folder(std::move(pictureFolder)), m_count(count), m_size(size),
      m_images(static_cast<size_t>(count) + 1), m_failed(static_cast<size_t>(count) + 1, 0)
{
    for (int t = 0; t < threads; ++t)
        m_threads.emplace_back([this] { work(); });
}

GalleryDecoder::~GalleryDecoder()
{
    m_next = m_count + 1;
    for (std::thread &thread : m_threads)
        thread.join();
}

void GalleryDecoder::work()
{
    for (int n = m_next++; n <= m_count; n = m_next++) {
        QImageReader reader(m_folder + QString::number(n) + QStringLiteral(".jpg"));
        reader.setScaledSize(m_size);
        if (!reader.read(&m_images[static_cast<size_t>(n)]))
            m_failed[static_cast<size_t>(n)] = 1;
    }
}

GalleryDecoder::Result GalleryDecoder::take()
{
    work();
    for (std::thread &thread : m_threads)
        thread.join();
    m_threads.clear();
    Result result;
    for (int n = 1; n <= m_count; ++n) {
        if (m_failed[static_cast<size_t>(n)]) {
            result.firstFailure = m_folder + QString::number(n) + QStringLiteral(".jpg");
            break;
        }
    }
    result.images = std::move(m_images);
    return result;
}
