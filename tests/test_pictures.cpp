// Loading pictures from the store (JPEG decoding of every kind, its errors
// and its limits, EXIF orientation) and saving them as files.

#include "JpegAverages.h"
#include "JpegCodec.h"
#include "JpegFixtures.h"
#include "AlbumStore.h"
#include "ScriptedPrompts.h"
#include "StreamedBytes.h"
#include "TestStore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <thread>

#include <jpeglib.h>

#include <unistd.h>

using JpegFixtures::Kind;
using JpegFixtures::meanDifference;
using JpegFixtures::noisy;

namespace {

bool near(QRgb a, QRgb b, int tolerance = 12)
{
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance
           && std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

// Patches the frame header's declared height and width.
QByteArray withDeclaredSize(QByteArray jpeg, int width, int height)
{
    const qsizetype sof = jpeg.indexOf(QByteArray("\xff\xc0", 2));
    jpeg[sof + 5] = char(height >> 8);
    jpeg[sof + 6] = char(height & 0xff);
    jpeg[sof + 7] = char(width >> 8);
    jpeg[sof + 8] = char(width & 0xff);
    return jpeg;
}

// A line of /proc/self/status, in kB.
using TestStore::memoryKb;

JpegCodec::DecodeOptions atScale(int scaleDenominator, const std::atomic_bool *cancel = nullptr)
{
    JpegCodec::DecodeOptions options;
    options.scaleDenominator = scaleDenominator;
    options.cancel = cancel;
    return options;
}

// The picture from its blocks' averages alone, its header read by libjpeg.
QImage averagesOf(const QByteArray &data)
{
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err); // the fixtures' headers are whole
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char *>(data.constData()), (unsigned long)data.size());
    jpeg_read_header(&cinfo, TRUE);
    const QImage image = JpegAverages::decode(cinfo, cinfo.src->next_input_byte, cinfo.src->bytes_in_buffer);
    jpeg_destroy_decompress(&cinfo);
    return image;
}

} // namespace

class TestPictures : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_f.setUp());
        QVERIFY(m_f.store->addAlbum(QStringLiteral("a"), QString()));
    }
    void cleanup()
    {
        QCOMPARE(m_f.prompts->messages.size(), 0);
        m_f.tearDown();
    }

    void loadsEveryKindWithItsColours_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("baseline") << int(Kind::Baseline);
        QTest::newRow("progressive") << int(Kind::Progressive);
        QTest::newRow("Adobe CMYK") << int(Kind::AdobeCmyk);
        QTest::newRow("greyscale") << int(Kind::Greyscale);
    }
    void loadsEveryKindWithItsColours()
    {
        QFETCH(int, kind);
        const QImage source = JpegFixtures::quarters(64, 48);
        const int id = store(JpegFixtures::make(source, Kind(kind)));
        QImage picture;
        m_f.store->loadPicture(&picture, id);
        QCOMPARE(picture.size(), QSize(64, 48));
        QCOMPARE(picture.format(), QImage::Format_RGB32);
        const QPoint samples[] = {{8, 8}, {56, 8}, {8, 40}, {56, 40}};
        for (const QPoint &p : samples) {
            QRgb expected = source.pixel(p);
            if (Kind(kind) == Kind::Greyscale)
                expected = qRgb(qGray(expected), qGray(expected), qGray(expected));
            QVERIFY2(near(picture.pixel(p), expected),
                     qPrintable(QStringLiteral("pixel %1,%2 is %3, expected %4")
                                    .arg(p.x()).arg(p.y()).arg(picture.pixel(p), 0, 16).arg(expected, 0, 16)));
        }
    }

    // Thumbnails are decoded at an eighth from each block's average: the
    // very pixels of libjpeg's eighth where the colours are not subsampled,
    // close to them where they are; what that does not decode (other
    // codings, damage) is decoded by libjpeg as before.
    void blockAveragesAtAnEighth_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<bool>("averaged");
        QTest::addColumn<double>("tolerance"); // mean difference from libjpeg's eighth
        const QImage photo = noisy(203, 141);  // not whole blocks, nor whole MCUs
        const auto coded = [&](int wide, int high, unsigned restarts, bool optimized) {
            return JpegFixtures::make(photo, JpegFixtures::Coding{wide, high, restarts, optimized});
        };
        QTest::newRow("4:4:4") << coded(1, 1, 0, false) << true << 0.0;
        QTest::newRow("4:4:4, a restart every 5 MCUs") << coded(1, 1, 5, false) << true << 0.0;
        QTest::newRow("4:4:4, tables of its own, a restart every MCU") << coded(1, 1, 1, true) << true << 0.0;
        QTest::newRow("greyscale") << JpegFixtures::make(photo, Kind::Greyscale) << true << 0.0;
        // Colours at half the rate are smoothed as libjpeg does, not made
        // as it does: close where colours change as in a photograph (fine
        // detail in the brightness, not in the colours of single pixels).
        QImage smooth(photo.size(), QImage::Format_RGB32);
        for (int y = 0; y < smooth.height(); ++y)
            for (int x = 0; x < smooth.width(); ++x) {
                const int grain = qGray(photo.pixel(x, y)) / 8 - 16;
                smooth.setPixel(
                    x, y,
                    qRgb(std::clamp(x + 20 + grain, 0, 255), std::clamp(y + 60 + grain, 0, 255),
                         std::clamp(int(128 + 60 * std::sin(x / 40.0) * std::cos(y / 30.0)) + grain, 0, 255)));
            }
        const auto subsampled = [&](int wide, int high, unsigned restarts) {
            return JpegFixtures::make(smooth, JpegFixtures::Coding{wide, high, restarts, true});
        };
        QTest::newRow("4:2:0") << subsampled(2, 2, 0) << true << 2.0;
        QTest::newRow("4:2:2, a restart every 7 MCUs") << subsampled(2, 1, 7) << true << 2.0;
        QTest::newRow("progressive") << JpegFixtures::make(photo, Kind::Progressive) << false << 0.0;
        QTest::newRow("CMYK") << JpegFixtures::make(photo, Kind::AdobeCmyk) << false << 0.0;
        const QByteArray whole = coded(1, 1, 0, false);
        QTest::newRow("cut short") << whole.left(whole.size() * 2 / 3) << false << 0.0;
        QByteArray restarts = coded(1, 1, 5, false);
        restarts.remove(restarts.indexOf(QByteArray("\xff\xd3", 2), restarts.indexOf(QByteArray("\xff\xda", 2))), 2);
        QTest::newRow("a restart marker missing") << restarts << false << 0.0;
        QByteArray garbled = whole;
        for (qsizetype i = garbled.size() / 2; i < garbled.size() / 2 + 64; ++i)
            garbled[i] = char(garbled[i] ^ 0x5a);
        QTest::newRow("garbled") << garbled << false << 0.0;
    }
    void blockAveragesAtAnEighth()
    {
        QFETCH(QByteArray, data);
        QFETCH(bool, averaged);
        QFETCH(double, tolerance);
        const QImage averages = averagesOf(data);
        QCOMPARE(!averages.isNull(), averaged);
        // Damage libjpeg refuses is refused alike.
        const auto decode = [&](bool blockAverages, QString *failure) {
            JpegCodec::DecodeOptions options = atScale(8);
            options.blockAverages = blockAverages;
            try {
                return JpegCodec::decode(data, options);
            } catch (const JpegCodec::JpegError &e) {
                *failure = QString::fromUtf8(e.what());
                return QImage();
            }
        };
        QString libjpegFailure;
        QString failure;
        const QImage eighth = decode(false, &libjpegFailure);
        const QImage decoded = decode(true, &failure);
        QCOMPARE(failure, libjpegFailure);
        if (failure.isEmpty())
            QCOMPARE(decoded.size(), QSize(26, 18));
        if (!averaged || tolerance == 0) {
            QCOMPARE(decoded, eighth);
        } else {
            QCOMPARE(decoded, averages);
            QVERIFY2(meanDifference(decoded, eighth) <= tolerance,
                     qPrintable(QString::number(meanDifference(decoded, eighth))));
        }
        if (averaged)
            QCOMPARE(decoded, averages);
    }

    void loadsTheReferencePictures_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("baseline") << "jpeg/testorig.jpg";
        QTest::newRow("integer DCT") << "jpeg/testimgint.jpg";
        QTest::newRow("arithmetic coding") << "jpeg/testimgari.jpg";
    }
    void loadsTheReferencePictures()
    {
        QFETCH(QString, file);
        const QString data = TestStore::testData();
        if (data.isEmpty())
            QSKIP("../shared/testdata is absent");
        QImage picture;
        m_f.store->loadPicture(&picture, store(TestStore::readFile(data + QLatin1Char('/') + file)));
        QCOMPARE(picture.size(), QSize(227, 149));
    }

    void decoderErrors_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("message");
        const QByteArray jpeg = JpegFixtures::make(JpegFixtures::quarters(32, 32), Kind::Baseline);
        QTest::newRow("a text file") << JpegFixtures::notAPicture()
                             << "这不是 JPEG 图片,无法显示\n(详细信息: JPEG error #53)";
        QTest::newRow("empty") << QByteArray() << "图片数据是空的,无法显示\n(详细信息: JPEG error #42)";
        QTest::newRow("header only") << jpeg.left(2) << "图片数据已损坏,无法显示\n(详细信息: JPEG error #";
        QTest::newRow("too wide") << withDeclaredSize(jpeg, 65001, 10) << "图片太大,无法显示: 65001 × 10 像素";
        QTest::newRow("118-byte bomb") << withDeclaredSize(jpeg, 62994, 65284) << "图片太大,无法显示: 62994 × 65284 像素";
        QTest::newRow("too many pixels") << withDeclaredSize(jpeg, 20000, 15000) << "图片太大,无法显示: 20000 × 15000 像素";
        // Crafted to hold a decoder for minutes or take gigabytes.
        const QByteArray progressive = JpegFixtures::make(JpegFixtures::quarters(64, 64), Kind::Progressive);
        QTest::newRow("600 scans") << JpegFixtures::withRepeatedScan(progressive, 600)
                                   << "图片的扫描次数过多(超过 500 次),可能已损坏,无法显示";
        const QByteArray tiny = JpegFixtures::withDeclaredSize(jpeg, 14000, 14000);
        QTest::newRow("14000 x 14000 in a few hundred bytes")
            << tiny << "图片的尺寸与文件大小不符,可能已损坏,无法显示: 14000 × 14000 像素, 文件只有";
        QTest::newRow("the same, turned by EXIF")
            << JpegFixtures::withExifOrientation(tiny, 6) << "图片的尺寸与文件大小不符,可能已损坏,无法显示: 14000 × 14000 像素";
    }
    void decoderErrors()
    {
        QFETCH(QByteArray, data);
        QFETCH(QString, message);
        const int id = store(data);
        QImage picture = JpegFixtures::quarters(4, 4);
        const QImage before = picture;
        try {
            m_f.store->loadPicture(&picture, id);
            QFAIL("the picture must be refused");
        } catch (const JpegCodec::JpegError &e) {
            QVERIFY2(QString::fromUtf8(e.what()).startsWith(message), e.what());
        }
        QCOMPARE(picture, before);
    }

    void scansWithinTheLimitDecode()
    {
        const QImage source = JpegFixtures::quarters(64, 64);
        const QByteArray many = JpegFixtures::withRepeatedScan(JpegFixtures::make(source, Kind::Progressive), 450);
        QCOMPARE(JpegCodec::decode(many).size(), source.size());
        // A decode can be stopped from another thread.
        std::atomic_bool stop{true};
        JpegCodec::DecodeOptions options;
        options.cancel = &stop;
        try {
            JpegCodec::decode(many, options);
            QFAIL("a cancelled decode must stop");
        } catch (const JpegCodec::JpegError &e) {
            QCOMPARE(e.code(), JpegCodec::Cancelled);
        }
    }

    void peakMemoryStaysWithinThreeTimesThePicture_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QSize>("shown");
        const QImage photo = JpegFixtures::quarters(4000, 3000);
        const QByteArray progressive = JpegFixtures::make(photo, Kind::Progressive);
        QTest::newRow("baseline 12 MP") << JpegFixtures::make(photo, Kind::Baseline) << QSize(4000, 3000);
        QTest::newRow("progressive 12 MP") << progressive << QSize(4000, 3000);
        QTest::newRow("progressive 12 MP, turned by EXIF")
            << JpegFixtures::withExifOrientation(progressive, 6) << QSize(3000, 4000);
    }
    void peakMemoryStaysWithinThreeTimesThePicture()
    {
        QFETCH(QByteArray, data);
        QFETCH(QSize, shown);
        if (!TestStore::resetMemoryPeak())
            QSKIP("the peak of resident memory cannot be reset here");
        const qint64 before = memoryKb("VmRSS:");
        const QImage picture = JpegCodec::decode(data);
        QCOMPARE(picture.size(), shown);
        const qint64 decoded = qint64(picture.width()) * picture.height() * 4 / 1024;
        const qint64 peak = memoryKb("VmHWM:") - before;
        QVERIFY2(peak <= 3 * decoded, qPrintable(QStringLiteral("peak %1 kB for a picture of %2 kB").arg(peak).arg(decoded)));
    }

    // A few hundred bytes declaring a huge picture, padded with comments
    // until they look large enough for it: shown at the viewer's scale
    // within the decoder's memory bound, or refused before it allocates.
    void paddedPictureStaysWithinTheMemoryBound_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<int>("side");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<qint64>("coefficients"); // the decoder's own buffer, in bytes
        const auto padded = [](Kind kind, int side) {
            const QByteArray small = JpegFixtures::make(JpegFixtures::quarters(64, 64), kind);
            return JpegFixtures::withComments(JpegFixtures::withDeclaredSize(small, side, side), 4, 65000);
        };
        // side / 8 squared blocks of luma, and a quarter of that twice for
        // colour, 128 bytes each.
        const auto buffer = [](qint64 side) { return (side / 8) * (side / 8) * 128 * 3 / 2; };
        QTest::newRow("progressive 14000 x 14000") << padded(Kind::Progressive, 14000) << 14000 << true << buffer(14000);
        QTest::newRow("progressive 8000 x 8000") << padded(Kind::Progressive, 8000) << 8000 << false << buffer(8000);
        QTest::newRow("baseline 14000 x 14000") << padded(Kind::Baseline, 14000) << 14000 << false << qint64(0);
    }
    void paddedPictureStaysWithinTheMemoryBound()
    {
        QFETCH(QByteArray, data);
        QFETCH(int, side);
        QFETCH(bool, refused);
        QFETCH(qint64, coefficients);
        if (!TestStore::resetMemoryPeak())
            QSKIP("the peak of resident memory cannot be reset here");
        const qint64 before = memoryKb("VmRSS:");
        JpegCodec::DecodeOptions asShown;
        asShown.scaleDenominator = 8;
        try {
            const QImage picture = JpegCodec::decode(data, asShown);
            QVERIFY(!refused);
            QCOMPARE(picture.size(), QSize(side / 8, side / 8));
            const qint64 peak = memoryKb("VmHWM:") - before;
            const qint64 decoded = qint64(side / 8) * (side / 8) * 4 / 1024;
            const qint64 bound = std::min<qint64>(768 * 1024, 3 * decoded + coefficients / 1024 + 16 * 1024);
            QVERIFY2(peak <= bound, qPrintable(QStringLiteral("peak %1 kB, bound %2 kB").arg(peak).arg(bound)));
        } catch (const JpegCodec::JpegError &e) {
            QVERIFY2(refused, e.what());
            QVERIFY2(QString::fromUtf8(e.what()).contains(QStringLiteral("内存")), e.what());
            QVERIFY(memoryKb("VmHWM:") - before < 16 * 1024);
        }
    }

    void twelveBitPictureIsRefusedCleanly()
    {
        const QString data = TestStore::testData();
        if (data.isEmpty())
            QSKIP("../shared/testdata is absent");
        QImage picture;
        const int id = store(TestStore::readFile(data + QStringLiteral("/jpeg/monkey12.jpg")));
        try {
            m_f.store->loadPicture(&picture, id);
            QFAIL("a 12-bit picture must be refused");
        } catch (const JpegCodec::JpegError &e) {
            QVERIFY2(QString::fromUtf8(e.what()).startsWith(QStringLiteral("这张 JPEG 图片不是 8 位精度的,本程序无法显示\n"
                                                                         "(详细信息: JPEG error #")),
                     e.what());
        }
        QVERIFY(picture.isNull());
    }

    void truncatedPictureShowsWhatCouldBeDecoded()
    {
        const QImage source = JpegFixtures::quarters(256, 256);
        const QByteArray jpeg = JpegFixtures::make(source, Kind::Baseline);
        QImage picture;
        m_f.store->loadPicture(&picture, store(jpeg.left(jpeg.size() * 6 / 10)));
        QCOMPARE(picture.size(), QSize(256, 256));
        QVERIFY(near(picture.pixel(20, 20), source.pixel(20, 20)));
        QVERIFY(near(picture.pixel(230, 20), source.pixel(230, 20)));
    }

    // The decoder starts on the first piece read from the store and gives
    // what a decode of the whole bytes gives.
    void picturesDecodeWhileTheyAreRead_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("scale");
        QTest::newRow("baseline, 1/2") << int(Kind::Baseline) << 2;
        QTest::newRow("baseline, whole") << int(Kind::Baseline) << 1;
        QTest::newRow("progressive, 1/8") << int(Kind::Progressive) << 8;
    }
    void picturesDecodeWhileTheyAreRead()
    {
        QFETCH(int, kind);
        QFETCH(int, scale);
        const QByteArray jpeg = JpegFixtures::make(noisy(1600, 1200), Kind(kind));
        QVERIFY2(jpeg.size() > 1024 * 1024, "several pieces to read");
        const int id = store(jpeg);

        StreamedBytes stream;
        QImage decoded;
        std::thread decoder;
        int calls = 0;
        qsizetype inAtStart = 0;
        QVERIFY(m_f.store->streamPictureData(id, stream, [&] {
            ++calls;
            inAtStart = stream.arrivedBytes().size();
            decoder = std::thread([&] { decoded = JpegCodec::decode(stream, atScale(scale)); });
            return true;
        }));
        decoder.join();
        QCOMPARE(calls, 1);
        QVERIFY(inAtStart < jpeg.size());
        QCOMPARE(stream.bytes(), jpeg);
        QCOMPARE(decoded, JpegCodec::decode(jpeg, atScale(scale)));

        StreamedBytes missing;
        QVERIFY(!m_f.store->streamPictureData(id + 100, missing, [&] { return ++calls; }));
        QCOMPARE(calls, 1);
    }

    // Bytes that stop coming stop the decoder: it fails, or is cancelled,
    // and never waits on.
    void decoderNeverWaitsForBytesThatWillNotCome()
    {
        const QByteArray jpeg = JpegFixtures::make(noisy(800, 600), Kind::Baseline);
        for (const bool cancelled : {false, true}) {
            StreamedBytes stream;
            std::memcpy(stream.begin(jpeg.size()), jpeg.constData(), size_t(jpeg.size() / 2));
            stream.arrived(jpeg.size() / 2);
            std::atomic_bool cancel = false;
            int code = 0;
            std::thread decoder([&] {
                try {
                    JpegCodec::decode(stream, atScale(1, &cancel));
                } catch (const JpegCodec::JpegError &e) {
                    code = e.code();
                }
            });
            QTest::qWait(100);
            if (cancelled)
                cancel = true;
            else
                stream.fail();
            decoder.join();
            QVERIFY(code != 0);
            QCOMPARE(code == JpegCodec::Cancelled, cancelled);
            QVERIFY(stream.bytes().isNull());
        }
    }

    void missingPictureLeavesTheObjectAlone()
    {
        QImage picture = JpegFixtures::quarters(4, 4);
        const QImage before = picture;
        m_f.store->loadPicture(&picture, -1);
        QCOMPARE(picture, before);
        m_f.store->loadPicture(nullptr, store(JpegFixtures::make(before, Kind::Baseline)));
        m_f.store->closeStore();
        QVERIFY_THROWS_EXCEPTION(SqlError, m_f.store->loadPicture(&picture, 1));
    }

    void exifOrientationTurnsPicturesUpright()
    {
        const QString data = TestStore::testData();
        if (data.isEmpty())
            QSKIP("../shared/testdata is absent");
        QImage upright;
        m_f.store->loadPicture(&upright, store(TestStore::readFile(data + QStringLiteral("/exif-orientation/Landscape_1.jpg"))));
        QCOMPARE(upright.size(), QSize(1800, 1200));
        const QImage reference = upright.scaled(180, 120, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        for (int o = 0; o <= 8; ++o) {
            const QByteArray bytes =
                TestStore::readFile(data + QStringLiteral("/exif-orientation/Landscape_%1.jpg").arg(o));
            QCOMPARE(JpegCodec::exifOrientation(bytes), o == 0 ? 1 : o);
            const QImage picture = JpegCodec::decode(bytes);
            QCOMPARE(picture.size(), QSize(1800, 1200));
            const double diff =
                meanDifference(picture.scaled(180, 120, Qt::IgnoreAspectRatio, Qt::SmoothTransformation), reference);
            QVERIFY2(diff < 6, qPrintable(QStringLiteral("orientation %1 differs by %2").arg(o).arg(diff)));
        }
    }

    // A part decodes as the same part of the whole picture, at whole size
    // and scaled, however the picture is turned by its EXIF orientation.
    void partOfAPictureIsThatPartOfTheWhole()
    {
        const QByteArray plain = JpegFixtures::make(noisy(640, 480), Kind::Baseline);
        for (int o = 1; o <= 8; ++o) {
            const QByteArray jpeg = JpegFixtures::withExifOrientation(plain, o);
            const QImage whole = JpegCodec::decode(jpeg);
            const QImage half = JpegCodec::decode(jpeg, atScale(2));
            const QRect part(96, 40, 208, 160);
            const QImage full = JpegCodec::decodePart(jpeg, part, 8);
            QCOMPARE(full.size(), part.size());
            QVERIFY2(meanDifference(full, whole.copy(part)) < 1,
                     qPrintable(QStringLiteral("orientation %1 differs by %2")
                                    .arg(o)
                                    .arg(meanDifference(full, whole.copy(part)))));
            const QImage scaled = JpegCodec::decodePart(jpeg, part, 4);
            QCOMPARE(scaled.size(), part.size() / 2);
            QVERIFY(meanDifference(scaled, half.copy(QRect(part.topLeft() / 2, part.size() / 2))) < 1);
        }
        // A part over the edge is cut at it; one outside the picture is nothing.
        QCOMPARE(JpegCodec::decodePart(plain, QRect(600, 400, 100, 100), 8).size(), QSize(40, 80));
        QVERIFY(JpegCodec::decodePart(plain, QRect(700, 0, 10, 10), 8).isNull());
    }

    void savePictureFile()
    {
        const QImage picture = JpegFixtures::quarters(120, 80);
        const QString base = m_f.dir.filePath(QStringLiteral("sea"));
        QVERIFY(m_f.store->savePictureFile(&picture, base, QStringLiteral("jpg")));
        const QByteArray written = TestStore::readFile(base + QStringLiteral(".jpg"));
        QVERIFY(written.startsWith("\xff\xd8"));
        const QImage back = JpegCodec::decode(written);
        QCOMPARE(back.size(), picture.size());
        QVERIFY(meanDifference(back, picture) < 3);

        // An existing file is replaced whole.
        QVERIFY(TestStore::writeFile(base + QStringLiteral(".JPG"), QByteArray(1000000, 'x')));
        QVERIFY(m_f.store->savePictureFile(&picture, base, QStringLiteral("JPG")));
        QCOMPARE(TestStore::readFile(base + QStringLiteral(".JPG")), written);

        // No picture object; an empty one writes nothing.
        QVERIFY(!m_f.store->savePictureFile(nullptr, base, QStringLiteral("jpg")));
        const QImage empty;
        QVERIFY(m_f.store->savePictureFile(&empty, m_f.dir.filePath(QStringLiteral("nothing")), QStringLiteral("jpg")));
        QVERIFY(!QFileInfo::exists(m_f.dir.filePath(QStringLiteral("nothing.jpg"))));
    }

    void savePictureFileFailsCleanly()
    {
        const QImage picture = JpegFixtures::quarters(40, 40);
        QVERIFY(!m_f.store->savePictureFile(&picture, m_f.dir.filePath(QStringLiteral("no/such/folder/sea")), QStringLiteral("jpg")));
        // A folder without write permission (root may write anyway).
        const QString locked = m_f.dir.filePath(QStringLiteral("locked"));
        QVERIFY(QDir().mkpath(locked));
        QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        if (QFileInfo(locked).isWritable() || ::geteuid() == 0) {
            QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
            QSKIP("running as root: permissions do not stop writing");
        }
        QVERIFY(!m_f.store->savePictureFile(&picture, locked + QStringLiteral("/sea"), QStringLiteral("jpg")));
        QCOMPARE(QDir(locked).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(), 0);
        QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }

    void savePictureFileOnAFullDisk()
    {
        TestStore::SmallDisk disk(m_f.dir.filePath(QStringLiteral("small")), 64 * 1024);
        if (!disk.isMounted())
            QSKIP("cannot mount a small tmpfs here (needs root)");
        // Noise does not compress: the JPEG data are far larger than the disk.
        QImage picture(800, 800, QImage::Format_RGB32);
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                picture.setPixel(x, y, qRgb((x * 7919 + y * 104729) % 256, (x * y * 31) % 256, (x ^ y) % 256));
        QVERIFY(!m_f.store->savePictureFile(&picture, disk.path() + QStringLiteral("/sea"), QStringLiteral("jpg")));
        QCOMPARE(QDir(disk.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(), 0);
    }

private:
    int store(const QByteArray &bytes)
    {
        static int n = 0;
        ++n;
        if (bytes.isEmpty()) {
            // No import stores empty data, but an older store may hold such
            // a picture.
            const int id = m_f.store->nextId(QStringLiteral("PicInfoTable"), QStringLiteral("PicInfoID"));
            SqlStatement(m_f.store->connection(), QStringLiteral("Insert into PicInfoTable(PicInfoID, PicLibID, PicName) Values(%1, 1, 'p%2')")
                                           .arg(id).arg(n)).exec();
            SqlStatement(m_f.store->connection(), QStringLiteral("Insert into PicTable(PicInfoID, Pic) Values(%1, zeroblob(0))").arg(id)).exec();
            return id;
        }
        // Bytes no import takes are stored as an older store holds them.
        return TestStore::addPictureBytes(m_f.dir, 1, QStringLiteral("p%1").arg(n), bytes);
    }

    TestStore::Fixture m_f;
};

QTEST_GUILESS_MAIN(TestPictures)
#include "test_pictures.moc"
