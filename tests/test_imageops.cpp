// Zoom sizes and stretching, and the quarter turns' exact pixel mapping.

#include "ImageOps.h"
#include "JpegFixtures.h"
#include "PhotoFacts.h"

#include <QTest>

Q_DECLARE_METATYPE(long double)

namespace {

// A grid of distinct colours, one per letter: row strings such as "abc".
QImage grid(const QStringList &rows)
{
    QImage image(int(rows.first().size()), int(rows.size()), QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const int c = rows[y][x].unicode();
            image.setPixel(x, y, qRgb(c, 255 - c, (c * 37) % 256));
        }
    return image;
}

QStringList letters(const QImage &image)
{
    QStringList rows;
    for (int y = 0; y < image.height(); ++y) {
        QString row;
        for (int x = 0; x < image.width(); ++x)
            row += QChar(qRed(image.pixel(x, y)));
        rows.append(row);
    }
    return rows;
}

} // namespace

class TestImageOps : public QObject
{
    Q_OBJECT

private slots:
    // When a photo was taken and with which camera, from its EXIF data;
    // nothing from a picture without any, or with data that does not read.
    void photoFactsFromExif_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("taken");
        QTest::addColumn<QString>("camera");
        const QByteArray jpeg = JpegFixtures::make(JpegFixtures::quarters(16, 16), JpegFixtures::Kind::Baseline);
        using JpegFixtures::withExifFacts;
        QTest::newRow("maker named in the model") << withExifFacts(jpeg, "2024:05:01 12:34:56", "Canon", "Canon EOS 5D")
                                                  << "2024-05-01 12:34" << "Canon EOS 5D";
        QTest::newRow("maker and model") << withExifFacts(jpeg, "2019:12:31 23:59:00", "NIKON CORPORATION", "D750")
                                         << "2019-12-31 23:59" << "NIKON CORPORATION D750";
        QTest::newRow("maker alone, blanks") << withExifFacts(jpeg, nullptr, "  Apple  ", nullptr) << "" << "Apple";
        QTest::newRow("date of zeros") << withExifFacts(jpeg, "0000:00:00 00:00:00", nullptr, "X100V") << ""
                                       << "X100V";
        QTest::newRow("orientation only") << JpegFixtures::withExifOrientation(jpeg, 6) << "" << "";
        QTest::newRow("no EXIF") << jpeg << "" << "";
        QByteArray broken = withExifFacts(jpeg, "2024:05:01 12:34:56", "Canon", "Canon EOS 5D");
        broken.replace(12, 40, QByteArray(40, '\xff'));
        QTest::newRow("damaged EXIF") << broken << "" << "";
        QTest::newRow("not a picture") << QByteArray("hello") << "" << "";
    }
    void photoFactsFromExif()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, taken);
        QFETCH(QString, camera);
        const PhotoFacts facts = photoFacts(file);
        QCOMPARE(facts.taken, taken);
        QCOMPARE(facts.camera, camera);
    }

    void quarterTurns_data()
    {
        QTest::addColumn<QStringList>("source");
        QTest::addColumn<bool>("clockwise");
        QTest::addColumn<QStringList>("turned");
        QTest::newRow("3x2 clockwise") << QStringList{"abc", "def"} << true << QStringList{"da", "eb", "fc"};
        QTest::newRow("3x2 counter-clockwise") << QStringList{"abc", "def"} << false << QStringList{"cf", "be", "ad"};
        QTest::newRow("1x1") << QStringList{"a"} << true << QStringList{"a"};
        QTest::newRow("1x1 counter") << QStringList{"a"} << false << QStringList{"a"};
        QTest::newRow("Wx1") << QStringList{"abcd"} << true << QStringList{"a", "b", "c", "d"};
        QTest::newRow("Wx1 counter") << QStringList{"abcd"} << false << QStringList{"d", "c", "b", "a"};
        QTest::newRow("2x3") << QStringList{"ab", "cd", "ef"} << true << QStringList{"eca", "fdb"};
    }
    void quarterTurns()
    {
        QFETCH(QStringList, source);
        QFETCH(bool, clockwise);
        QFETCH(QStringList, turned);
        QImage image = grid(source);
        ImageOps::rotateQuarter(image, clockwise);
        QCOMPARE(letters(image), turned);
        QCOMPARE(image, grid(turned));
    }

    void turnsComeBack()
    {
        const QImage start = grid({"abcde", "fghij", "klmno"});
        QImage image = start;
        for (int i = 0; i < 4; ++i)
            ImageOps::rotateQuarter(image, true);
        QCOMPARE(image, start);
        ImageOps::rotateQuarter(image, true);
        ImageOps::rotateQuarter(image, false);
        QCOMPARE(image, start);
        QImage empty;
        ImageOps::rotateQuarter(empty, true);
        QVERIFY(empty.isNull());
    }

    void turnDropsTheFourthByte()
    {
        QImage image(2, 1, QImage::Format_ARGB32);
        image.setPixel(0, 0, qRgba(10, 20, 30, 0));
        image.setPixel(1, 0, qRgba(200, 100, 50, 77));
        ImageOps::rotateQuarter(image, true);
        QCOMPARE(image.format(), QImage::Format_RGB32);
        QCOMPARE(image.size(), QSize(1, 2));
        QCOMPARE(image.pixel(0, 0), qRgb(10, 20, 30));
        QCOMPARE(image.pixel(0, 1), qRgb(200, 100, 50));
    }

    void zoomSizes_data()
    {
        QTest::addColumn<QSize>("control");
        QTest::addColumn<long double>("factor");
        QTest::addColumn<QSize>("zoomed");
        QTest::newRow("in") << QSize(295, 213) << 1.1L << QSize(324, 234);
        QTest::newRow("out") << QSize(295, 213) << 0.9L << QSize(265, 191);
        QTest::newRow("viewer in") << QSize(465, 259) << 1.1L << QSize(511, 284);
        QTest::newRow("viewer in twice") << QSize(511, 284) << 1.1L << QSize(562, 312);
        QTest::newRow("out, multiple of ten") << QSize(300, 10) << 0.9L << QSize(270, 9);
    }
    void zoomSizes()
    {
        QFETCH(QSize, control);
        QFETCH(long double, factor);
        QFETCH(QSize, zoomed);
        QCOMPARE(ImageOps::zoomSize(control, factor, factor), zoomed);
        QImage result;
        QVERIFY(ImageOps::zoom(grid({"ab", "cd"}), control, factor, factor, &result));
        QCOMPARE(result.size(), zoomed);
        QCOMPARE(result.format(), QImage::Format_RGB32);
    }

    void zoomLimits_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("allowed");
        QTest::newRow("ordinary") << QSize(4000, 3000) << true;
        QTest::newRow("100 megapixels") << QSize(10000, 10000) << true;
        QTest::newRow("over 100 megapixels") << QSize(10001, 10000) << false;
        QTest::newRow("widest side") << QSize(32767, 100) << true;
        QTest::newRow("too wide") << QSize(32768, 100) << false;
        QTest::newRow("too high") << QSize(10, 32768) << false;
        QTest::newRow("no height") << QSize(100, 0) << false;
    }
    void zoomLimits()
    {
        QFETCH(QSize, size);
        QFETCH(bool, allowed);
        QCOMPARE(ImageOps::zoomAllowed(size), allowed);
        QImage result = grid({"z"});
        // A refused zoom leaves the result alone.
        if (!allowed) {
            QVERIFY(!ImageOps::zoom(grid({"ab"}), size, 1.0, 1.0, &result));
            QCOMPARE(result, grid({"z"}));
        }
    }

    void stretchAveragesWhenReducing()
    {
        QImage image(4, 2, QImage::Format_RGB32);
        image.fill(qRgb(0, 0, 0));
        for (int y = 0; y < 2; ++y) {
            image.setPixel(1, y, qRgb(200, 100, 40));
            image.setPixel(3, y, qRgb(200, 100, 40));
        }
        const QImage half = ImageOps::stretch(image, QSize(2, 1));
        QCOMPARE(half.size(), QSize(2, 1));
        for (int x = 0; x < 2; ++x) {
            QVERIFY(std::abs(qRed(half.pixel(x, 0)) - 100) <= 2);
            QVERIFY(std::abs(qGreen(half.pixel(x, 0)) - 50) <= 2);
        }
        // Stretched to fill exactly, proportions not kept.
        QCOMPARE(ImageOps::stretch(image, QSize(3, 9)).size(), QSize(3, 9));
        // Nothing to copy: a picture of the size all the same.
        QCOMPARE(ImageOps::stretch(QImage(), QSize(5, 4)).size(), QSize(5, 4));
    }
};

QTEST_GUILESS_MAIN(TestImageOps)
#include "test_imageops.moc"
