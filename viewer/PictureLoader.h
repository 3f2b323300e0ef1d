#pragma once
// Decodes pictures off the window's thread. Only the latest request counts:
// a new one stops the one before it, so a selection change takes effect at
// once however long the earlier picture would have taken.

#include <QImage>
#include <QMutex>
#include <QObject>
#include <QThreadPool>

#include <atomic>
#include <functional>
#include <memory>

class StreamedBytes;

class PictureLoader : public QObject
{
    Q_OBJECT
public:
    // A loader in the background only sharpens what is already on screen:
    // its threads run when the window's thread leaves them room.
    enum class Urgency { Shown, Background };
    explicit PictureLoader(QObject *parent = nullptr, Urgency urgency = Urgency::Shown);
    // Stops what is decoding and waits for it.
    ~PictureLoader() override;

    // Starts decoding the data at 1/scaleDenominator of its size; returns
    // the request's number, which loaded() or failed() will carry.
    int load(const QByteArray &data, int scaleDenominator = 1);
    // The same for bytes still arriving: decoded as they come in.
    int load(std::shared_ptr<const StreamedBytes> data, int scaleDenominator = 1);
    // Starts decoding a part of the picture at eighths/8 of its size (see
    // JpegCodec::decodePart). A picture of a format without partial decodes
    // is decoded whole for its first part, and kept for the parts after it
    // (a zoom or a scroll asks for one after another) until forgetWhole()
    // or a part of another picture.
    int loadPart(const QByteArray &data, const QRect &part, int eighths);
    // Drops the whole picture kept for parts.
    void forgetWhole();
    bool holdsWholePicture() const;
    // Stops the request under way; it reports nothing.
    void cancel();
    // True while the latest request has not reported.
    bool isLoading() const { return m_pending != 0; }

signals:
    void loaded(int request, const QImage &picture);
    // The decoder's message ("JPEG error #53", or why a picture was refused).
    void failed(int request, const QString &error);

private:
    int start(std::function<QImage(const std::atomic_bool *stop)> decode);
    void report(int request, const QImage &picture, const QString &error);

    // The whole picture kept for parts, with the bytes it was decoded from;
    // set and read on the loader's threads.
    struct WholePicture
    {
        QByteArray bytes;
        QImage image;
    };
    QImage keptWhole(const QByteArray &bytes) const;
    void keepWhole(const QByteArray &bytes, const QImage &image, const std::atomic_bool *stop);
    mutable QMutex m_wholeMutex;
    WholePicture m_whole;

    QThreadPool m_pool;
    std::shared_ptr<std::atomic_bool> m_cancel;
    int m_last = 0;
    int m_pending = 0;
};
