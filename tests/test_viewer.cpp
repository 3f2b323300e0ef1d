// The viewer: fitting and centring, zoom in and out, actual size and the
// quarter turns, on pictures shown from the tree.

#include "ImageOps.h"
#include "PicturePrefetch.h"
#include "Modal.h"
#include "FormFixture.h"
#include "JpegCodec.h"
#include "PictureCodec.h"
#include "JpegFixtures.h"
#include "MainWindow.h"
#include "AlbumStore.h"
#include "ScriptedPrompts.h"
#include "TestStore.h"

#include <QToolButton>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QPrinter>
#include <QProcess>
#include <QPainter>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QLabel>
#include <QLocale>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <QTreeWidget>

using JpegFixtures::Kind;

class TestViewer : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_f.setUp());
        QVERIFY(m_f.store->addAlbum(QStringLiteral("trip"), QString()));
        TestStore::addPictureBytes(m_f.dir, 1, QStringLiteral("big"), JpegFixtures::make(JpegFixtures::quarters(800, 600), Kind::Baseline));
        TestStore::addPictureBytes(m_f.dir, 1, QStringLiteral("small"), JpegFixtures::make(JpegFixtures::quarters(300, 200), Kind::Baseline));
        TestStore::addPictureBytes(m_f.dir, 1, QStringLiteral("narrow"), JpegFixtures::make(JpegFixtures::quarters(49, 30), Kind::Baseline));
        TestStore::addPictureBytes(m_f.dir, 1, QStringLiteral("tall"), JpegFixtures::make(JpegFixtures::quarters(300, 900), Kind::Baseline));
        TestStore::addPictureBytes(m_f.dir, 1, QStringLiteral("strip"), JpegFixtures::make(JpegFixtures::quarters(2000, 20), Kind::Baseline));
        m_f.store->closeStore();
        m_form = std::make_unique<MainWindow>(*m_f.library, m_f.path);
        QVERIFY(m_form->storeOpened());
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
        // A viewer of 545 x 259: the tree and splitter take 151 across, the
        // bars 91 down and the details line under the picture 20.
        m_form->resize(545 + 151, 259 + 91 + 20);
        QTRY_COMPARE(FormFixture::viewer(*m_form)->size(), QSize(545, 259));
    }
    void cleanup()
    {
        QCOMPARE(m_f.prompts->messages.size(), 0);
        m_form.reset();
        m_f.tearDown();
    }

    void fitsAndCentresThePicture_data()
    {
        QTest::addColumn<QString>("picture");
        QTest::addColumn<QRect>("drawn");
        QTest::newRow("800x600 is scaled down") << "big" << QRect(60, 0, 345, 259);
        QTest::newRow("300x200 at its own size") << "small" << QRect(82, 29, 300, 200);
    }
    void fitsAndCentresThePicture()
    {
        QFETCH(QString, picture);
        QFETCH(QRect, drawn);
        select(picture);
        QCOMPARE(FormFixture::view(*m_form)->geometry(), QRect(40, 0, 465, 259));
        QCOMPARE(PictureView::drawRect(FormFixture::view(*m_form)->pictureSize(), FormFixture::view(*m_form)->size()), drawn);
        QCOMPARE(FormFixture::viewer(*m_form)->loadedPicture(), FormFixture::view(*m_form)->picture());
        QVERIFY(!FormFixture::viewer(*m_form)->isZoomed());
        QCOMPARE(FormFixture::current(*m_form).parent(), FormFixture::child(FormFixture::root(*m_form), 0));
    }

    void drawingRule_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("control");
        QTest::addColumn<QRect>("drawn");
        QTest::newRow("wide, limited by width") << QSize(800, 200) << QSize(400, 300) << QRect(0, 100, 400, 100);
        QTest::newRow("wide, limited by height") << QSize(800, 600) << QSize(465, 259) << QRect(60, 0, 345, 259);
        QTest::newRow("tall, limited by height") << QSize(300, 600) << QSize(400, 300) << QRect(125, 0, 150, 300);
        QTest::newRow("tall, limited by width") << QSize(300, 600) << QSize(100, 300) << QRect(0, 50, 100, 200);
        QTest::newRow("square") << QSize(500, 500) << QSize(400, 300) << QRect(50, 0, 300, 300);
        QTest::newRow("fits: never enlarged") << QSize(10, 20) << QSize(400, 300) << QRect(195, 140, 10, 20);
        QTest::newRow("larger than the control overhangs") << QSize(10, 10) << QSize(4, 40) << QRect(0, 18, 4, 4);
    }
    void drawingRule()
    {
        QFETCH(QSize, picture);
        QFETCH(QSize, control);
        QFETCH(QRect, drawn);
        QCOMPARE(PictureView::drawRect(picture, control), drawn);
    }

    void zoomIn()
    {
        select(QStringLiteral("big"));
        FormFixture::child<QToolButton>(*m_form, "zoomInButton")->click();
        QVERIFY(FormFixture::viewer(*m_form)->isZoomed());
        // Drawn 345 x 259 when fitted; enlarged by 1.1 at its proportions.
        QCOMPARE(FormFixture::view(*m_form)->geometry(), QRect(83, -12, 379, 284));
        QCOMPARE(FormFixture::view(*m_form)->pictureSize(), QSize(379, 284));
        FormFixture::viewer(*m_form)->zoomIn();
        QCOMPARE(FormFixture::view(*m_form)->size(), QSize(416, 312));
        // While zoomed, a resize of the viewer only centres the picture.
        m_form->resize(m_form->width() + 100, m_form->height());
        QTRY_COMPARE(FormFixture::viewer(*m_form)->width(), 645);
        QCOMPARE(FormFixture::view(*m_form)->geometry(), QRect((645 - 416) / 2, (259 - 312) / 2, 416, 312));
        // Selecting a picture fits it again.
        select(QStringLiteral("small"));
        QVERIFY(!FormFixture::viewer(*m_form)->isZoomed());
        QCOMPARE(FormFixture::view(*m_form)->size(), QSize(565, 259));
    }

    void zoomOut()
    {
        select(QStringLiteral("big"));
        FormFixture::child<QToolButton>(*m_form, "zoomOutButton")->click();
        QCOMPARE(FormFixture::view(*m_form)->size(), QSize(310, 232));
        QCOMPARE(FormFixture::view(*m_form)->pictureSize(), QSize(310, 232));

        // A shown bitmap under 50 wide is not reduced, but counts as zoomed.
        select(QStringLiteral("narrow"));
        const QRect fitted = FormFixture::view(*m_form)->geometry();
        FormFixture::viewer(*m_form)->zoomOut();
        QVERIFY(FormFixture::viewer(*m_form)->isZoomed());
        QCOMPARE(FormFixture::view(*m_form)->geometry(), fitted);
        QCOMPARE(FormFixture::view(*m_form)->pictureSize(), QSize(49, 30));
        m_form->resize(m_form->width() + 40, m_form->height());
        QTRY_COMPARE(FormFixture::viewer(*m_form)->width(), 585);
        QCOMPARE(FormFixture::view(*m_form)->size(), fitted.size());
    }

    void turnsAndActualSize()
    {
        select(QStringLiteral("small"));
        const QImage loaded = FormFixture::view(*m_form)->picture();
        const QRect place = FormFixture::view(*m_form)->geometry();
        FormFixture::child<QToolButton>(*m_form, "turnRightButton")->click(); // clockwise
        QCOMPARE(FormFixture::view(*m_form)->pictureSize(), QSize(200, 300));
        QCOMPARE(FormFixture::view(*m_form)->picture().pixel(190, 10), loaded.pixel(10, 9));
        QCOMPARE(FormFixture::view(*m_form)->picture().pixel(10, 290), loaded.pixel(290, 189));
        QCOMPARE(FormFixture::view(*m_form)->geometry(), place);
        QVERIFY(!FormFixture::viewer(*m_form)->isZoomed());
        QCOMPARE(FormFixture::viewer(*m_form)->loadedPicture(), loaded);
        FormFixture::child<QToolButton>(*m_form, "turnLeftButton")->click(); // counter-clockwise
        QCOMPARE(FormFixture::view(*m_form)->picture(), loaded);

        FormFixture::viewer(*m_form)->turnCounterClockwise();
        FormFixture::viewer(*m_form)->zoomIn(); // the zoom shows the picture unturned, at the scale it was shown turned
        QCOMPARE(FormFixture::view(*m_form)->pictureSize(), QSize(283, 189));
        QVERIFY(std::abs(qRed(FormFixture::view(*m_form)->picture().pixel(5, 5)) - qRed(loaded.pixel(5, 5))) < 16);
        FormFixture::viewer(*m_form)->turnClockwise();
        FormFixture::child<QToolButton>(*m_form, "actualSizeButton")->click(); // actual size: unturned, unzoomed
        QVERIFY(!FormFixture::viewer(*m_form)->isZoomed());
        QCOMPARE(FormFixture::view(*m_form)->picture(), loaded);
        QCOMPARE(FormFixture::view(*m_form)->geometry(), QRect(40, 0, 465, 259));
    }

    // 实际像素 shows one pixel of the picture to one of the screen, turned
    // or not, larger or smaller than it is fitted; 实际大小 fits it again.
    void pixelForPixel()
    {
        QImage photo(1200, 900, QImage::Format_RGB32);
        photo.fill(Qt::darkCyan);
        addPicture(QStringLiteral("large"), JpegFixtures::make(photo, Kind::Baseline));
        for (const QString &picture : {QStringLiteral("small"), QStringLiteral("large")}) {
            select(picture);
            const QSize full = FormFixture::view(*m_form)->pictureSize();
            QCOMPARE(FormFixture::viewer(*m_form)->devicePixelRatioF(), 1.0);
            for (const bool turned : {false, true}) {
                if (turned)
                    FormFixture::viewer(*m_form)->turnClockwise();
                m_form->action("pixelForPixelAction")->trigger();
                QVERIFY(FormFixture::viewer(*m_form)->isZoomed());
                QCOMPARE(FormFixture::view(*m_form)->pictureSize(), full);
                m_form->action("actualSizeAction")->trigger();
                QVERIFY(!FormFixture::viewer(*m_form)->isZoomed());
            }
        }
    }

    // 全屏显示 (F11) shows the viewer alone on the whole screen, on black,
    // with its keys; Esc, F11 or closing that window bring it back.
    void fullScreen()
    {
        select(QStringLiteral("small"));
        PictureViewer *viewer = FormFixture::viewer(*m_form);
        const QImage shown = FormFixture::view(*m_form)->picture();
        for (const char *leave : {"Escape", "F11", "close"}) {
            m_form->action("fullScreenAction")->trigger();
            QWidget *window = viewer->window();
            QCOMPARE(window->objectName(), QStringLiteral("fullScreenWindow"));
            QVERIFY(window->isFullScreen());
            QVERIFY(QTest::qWaitForWindowActive(window));
            QCOMPARE(viewer->palette().color(QPalette::Window), QColor(Qt::black));
            QCOMPARE(FormFixture::view(*m_form)->picture(), shown);
            QTRY_COMPARE(viewer->size(), window->size());
            // The viewer's own keys go with it.
            QTRY_VERIFY(viewer->hasFocus());
            QTest::keySequence(viewer, QKeySequence(Qt::Key_Plus));
            QVERIFY(viewer->isZoomed());
            QTest::keySequence(viewer, QKeySequence(Qt::Key_0));
            if (QByteArray(leave) == "close")
                window->close();
            else
                QTest::keySequence(viewer, QKeySequence(QByteArray(leave) == "F11" ? Qt::Key_F11 : Qt::Key_Escape));
            QTRY_COMPARE(viewer->window(), m_form.get());
            QCOMPARE(viewer->palette().color(QPalette::Window), QColor(Qt::white));
            QTRY_VERIFY(!m_form->findChild<QWidget *>(QStringLiteral("fullScreenWindow")));
            QCOMPARE(viewer->parentWidget()->objectName(), QStringLiteral("viewerStack"));
            QVERIFY(viewer->isVisible());
        }
    }

    // 幻灯片放映 (F5): full screen, the album's pictures one after the other
    // from the shown one and round again; Space pauses, Esc ends.
    void slideshow()
    {
        QImage photo(64, 48, QImage::Format_RGB32);
        photo.fill(Qt::darkYellow);
        addPicture(QStringLiteral("zz-last"), JpegFixtures::make(photo, Kind::Baseline));
        QStringList names;
        select(QStringLiteral("zz-last"));
        const QModelIndex albumNode = FormFixture::current(*m_form).parent();
        for (int row = 0; row < FormFixture::tree(*m_form)->model()->rowCount(albumNode); ++row)
            names.append(FormFixture::text(FormFixture::tree(*m_form)->model()->index(row, 0, albumNode)));
        QVERIFY(names.size() >= 2);
        QCOMPARE(names.last(), QStringLiteral("zz-last"));
        PictureViewer *viewer = FormFixture::viewer(*m_form);

        QTest::keySequence(m_form.get(), QKeySequence(Qt::Key_F5));
        QCOMPARE(viewer->window()->objectName(), QStringLiteral("fullScreenWindow"));
        auto *timer = m_form->findChild<QTimer *>(QStringLiteral("slideshowTimer"));
        QVERIFY(timer && timer->isActive());
        QVERIFY(timer->interval() >= 2000);
        // Round from the last to the first, decoded ahead as every step.
        const int first = m_f.library->pictureId(QStringLiteral("trip"), names.at(0));
        const auto decodedAhead = [&] {
            for (const int scale : {1, 2, 4, 8})
                if (!viewer->prefetchCache()->find(first, scale).isNull())
                    return true;
            return false;
        };
        QTRY_VERIFY(decodedAhead());
        timer->setInterval(30);
        // From the last picture round to the first, then on.
        QTRY_COMPARE(viewer->shownPicture().name, names.at(0));
        QTRY_COMPARE(viewer->shownPicture().name, names.at(1));
        QVERIFY(QTest::qWaitForWindowActive(viewer->window()));
        viewer->setFocus();
        QTRY_VERIFY(viewer->hasFocus());
        QTest::keySequence(viewer, QKeySequence(Qt::Key_Space));
        QVERIFY(!timer->isActive());
        QTest::keySequence(viewer, QKeySequence(Qt::Key_Space));
        QVERIFY(timer->isActive());
        QTest::keySequence(viewer, QKeySequence(Qt::Key_Escape));
        QTRY_COMPARE(viewer->window(), m_form.get());
        QVERIFY(!m_form->findChild<QTimer *>(QStringLiteral("slideshowTimer")));
    }

    // Under the picture, one line of what its file says: name, pixels,
    // bytes, and where it has them, when it was taken and with which camera.
    void detailsLine()
    {
        QImage photo(640, 480, QImage::Format_RGB32);
        photo.fill(Qt::darkGreen);
        const QByteArray bytes = JpegFixtures::withExifFacts(JpegFixtures::make(photo, Kind::Baseline),
                                                             "2024:05:01 12:34:56", "Canon", "Canon EOS 5D");
        addPicture(QStringLiteral("garden"), bytes);
        auto *details = FormFixture::child<QLabel>(*m_form, "pictureDetails");
        select(QStringLiteral("garden"));
        const QString size = QLocale::system().formattedDataSize(bytes.size(), 1, QLocale::DataSizeTraditionalFormat);
        QCOMPARE(details->text(),
                 QStringLiteral("garden   640 × 480 像素   %1   拍摄于 2024-05-01 12:34   Canon EOS 5D").arg(size));
        select(QStringLiteral("small"));
        QVERIFY(details->text().startsWith(QStringLiteral("small   ")));
        QVERIFY(!details->text().contains(QStringLiteral("拍摄于")));
        // The album's grid: its name and how many pictures it holds.
        FormFixture::tree(*m_form)->setCurrentIndex(FormFixture::current(*m_form).parent());
        QTRY_COMPARE(details->text(), QStringLiteral("trip    6 张图片"));
        FormFixture::tree(*m_form)->setCurrentIndex(FormFixture::root(*m_form));
        QTRY_COMPARE(details->text(), QString());
    }

    void commandsOnAnEmptyViewerDoNothing()
    {
        select(QStringLiteral("small"));
        FormFixture::tree(*m_form)->setCurrentIndex(FormFixture::root(*m_form));
        QVERIFY(FormFixture::view(*m_form)->picture().isNull());
        QVERIFY(FormFixture::levelOf(FormFixture::current(*m_form)) != AlbumTreeModel::Level::Picture);
        const QRect place = FormFixture::view(*m_form)->geometry();
        FormFixture::viewer(*m_form)->zoomIn();
        FormFixture::viewer(*m_form)->zoomOut();
        FormFixture::viewer(*m_form)->showActualSize();
        FormFixture::viewer(*m_form)->turnClockwise();
        FormFixture::viewer(*m_form)->turnCounterClockwise();
        QVERIFY(FormFixture::view(*m_form)->picture().isNull());
        QCOMPARE(FormFixture::view(*m_form)->geometry(), place);
        QVERIFY(!FormFixture::viewer(*m_form)->isZoomed());
    }

    void zoomKeepsProportions_data()
    {
        QTest::addColumn<QString>("picture");
        QTest::addColumn<int>("in");
        QTest::addColumn<int>("out");
        for (const char *name : {"big", "small", "tall", "strip"}) {
            QTest::addRow("%s, in once", name) << QString::fromLatin1(name) << 1 << 0;
            QTest::addRow("%s, in five times", name) << QString::fromLatin1(name) << 5 << 0;
            QTest::addRow("%s, out twice", name) << QString::fromLatin1(name) << 0 << 2;
            QTest::addRow("%s, in three times, out once", name) << QString::fromLatin1(name) << 3 << 1;
        }
    }
    void zoomKeepsProportions()
    {
        QFETCH(QString, picture);
        QFETCH(int, in);
        QFETCH(int, out);
        select(picture);
        const QSize loaded = FormFixture::viewer(*m_form)->loadedPicture().size();
        for (int i = 0; i < in; ++i)
            FormFixture::viewer(*m_form)->zoomIn();
        for (int i = 0; i < out; ++i)
            FormFixture::viewer(*m_form)->zoomOut();
        const QSize shown = FormFixture::view(*m_form)->pictureSize();
        QCOMPARE(FormFixture::view(*m_form)->size(), shown);
        // Width over height as the picture's own, to a pixel of truncation.
        const qint64 skew = qint64(shown.width()) * loaded.height() - qint64(shown.height()) * loaded.width();
        QVERIFY2(std::abs(skew) <= std::max(loaded.width(), loaded.height()),
                 qPrintable(QStringLiteral("%1 x %2 shown for %3 x %4").arg(shown.width()).arg(shown.height())
                                .arg(loaded.width()).arg(loaded.height())));
    }

    void wheelZoomsAndScrolls()
    {
        select(QStringLiteral("big"));
        wheel(120, Qt::ControlModifier); // Ctrl + wheel up: in
        QVERIFY(FormFixture::viewer(*m_form)->isZoomed());
        QCOMPARE(FormFixture::view(*m_form)->size(), QSize(379, 284));
        wheel(-120, Qt::ControlModifier);
        QCOMPARE(FormFixture::view(*m_form)->size(), QSize(341, 255));
        for (int i = 0; i < 6; ++i)
            FormFixture::viewer(*m_form)->zoomIn();
        const QRect start = FormFixture::view(*m_form)->geometry();
        QVERIFY(start.height() > FormFixture::viewer(*m_form)->height());
        // The wheel scrolls the zoomed picture, never past its edges.
        wheel(-120);
        QVERIFY(FormFixture::view(*m_form)->y() < start.y());
        QCOMPARE(FormFixture::view(*m_form)->size(), start.size());
        for (int i = 0; i < 30; ++i)
            wheel(-120);
        QCOMPARE(FormFixture::view(*m_form)->geometry().bottom(), FormFixture::viewer(*m_form)->height() - 1);
        for (int i = 0; i < 30; ++i)
            wheel(120, Qt::ShiftModifier);
        QCOMPARE(FormFixture::view(*m_form)->x(), 0);
        // Fitted, the wheel moves nothing.
        FormFixture::viewer(*m_form)->showActualSize();
        const QRect fitted = FormFixture::view(*m_form)->geometry();
        wheel(-120);
        QCOMPARE(FormFixture::view(*m_form)->geometry(), fitted);
    }

    void printsOnePageAtThePicturesProportions_data()
    {
        QTest::addColumn<QString>("picture");
        QTest::addColumn<bool>("landscapePage");
        QTest::addColumn<int>("turns");
        QTest::addColumn<double>("ratio");   // width over height on the page
        QTest::addColumn<QRgb>("topLeft");   // the colour in the printed top-left corner
        const QRgb red = qRgb(220, 0, 0);
        const QRgb blue = qRgb(0, 0, 210);
        QTest::newRow("landscape on a portrait page, turned to it") << "big" << false << 0 << 600.0 / 800 << blue;
        QTest::newRow("landscape on a landscape page") << "big" << true << 0 << 800.0 / 600 << red;
        QTest::newRow("portrait on a portrait page") << "tall" << false << 0 << 300.0 / 900 << red;
        QTest::newRow("portrait on a landscape page") << "tall" << true << 0 << 900.0 / 300 << blue;
        QTest::newRow("turned once, as shown") << "big" << false << 1 << 600.0 / 800 << blue;
        QTest::newRow("turned twice, as shown") << "big" << true << 2 << 800.0 / 600 << qRgb(255, 255, 255);
    }
    void printsOnePageAtThePicturesProportions()
    {
        QFETCH(QString, picture);
        QFETCH(bool, landscapePage);
        QFETCH(int, turns);
        QFETCH(double, ratio);
        QFETCH(QRgb, topLeft);
        const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
        if (pdftoppm.isEmpty())
            QSKIP("pdftoppm (poppler-utils) is not installed");
        select(picture);
        for (int i = 0; i < turns; ++i)
            FormFixture::viewer(*m_form)->turnClockwise();
        QTemporaryDir out;
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(out.filePath(QStringLiteral("picture.pdf")));
        printer.setPageOrientation(landscapePage ? QPageLayout::Landscape : QPageLayout::Portrait);
        FormFixture::viewer(*m_form)->printTo(&printer);
        QCOMPARE(QProcess::execute(pdftoppm, {QStringLiteral("-r"), QStringLiteral("30"), QStringLiteral("-png"),
                                              out.filePath(QStringLiteral("picture.pdf")), out.filePath(QStringLiteral("page"))}),
                 0);
        QCOMPARE(QDir(out.path()).entryList({QStringLiteral("page*.png")}).size(), 1);
        const QImage page(out.filePath(QDir(out.path()).entryList({QStringLiteral("page*.png")}).first()));
        QCOMPARE(page.width() > page.height(), landscapePage);
        // Where the picture is: everything that is not the white paper,
        // with the white quarter inside the others' box.
        QRect box;
        for (int y = 0; y < page.height(); ++y)
            for (int x = 0; x < page.width(); ++x)
                if (qGray(page.pixel(x, y)) < 200)
                    box |= QRect(x, y, 1, 1);
        QVERIFY(!box.isEmpty());
        // Fitted: it spans the printable area one way or the other.
        QVERIFY(box.width() > page.width() * 8 / 10 || box.height() > page.height() * 8 / 10);
        const double printed = double(box.width()) / box.height();
        QVERIFY2(std::abs(printed - ratio) / ratio < 0.04, qPrintable(QStringLiteral("%1 printed for %2").arg(printed).arg(ratio)));
        const QRgb corner = page.pixel(box.left() + 3, box.top() + 3);
        if (topLeft != qRgb(255, 255, 255))
            QVERIFY(std::abs(qRed(corner) - qRed(topLeft)) < 60 && std::abs(qBlue(corner) - qBlue(topLeft)) < 60);
    }

    void printOpensThePreview()
    {
        m_form->action("printPictureAction")->trigger(); // nothing shown: nothing happens
        select(QStringLiteral("big"));
        QString opened;
        onNextModal([&](QDialog *d) {
            opened = d->metaObject()->className();
            d->reject();
        });
        m_form->action("printPictureAction")->trigger();
        QCOMPARE(opened, QStringLiteral("QPrintPreviewDialog"));
    }

    void fittedPictureIsAScaledDecodeOfTheSameLook()
    {
        // A camera-sized picture with fine detail.
        QImage photo(3200, 2400, QImage::Format_RGB32);
        for (int y = 0; y < photo.height(); ++y)
            for (int x = 0; x < photo.width(); ++x)
                photo.setPixel(x, y, qRgb((x / 7) % 256, (y / 5) % 256, ((x + y) / 11) % 256));
        addPicture(QStringLiteral("camera"), JpegFixtures::make(photo, Kind::Baseline));
        select(QStringLiteral("camera"));
        // Decoded at a fraction of its size, standing for the whole.
        QVERIFY(FormFixture::viewer(*m_form)->loadedPicture().width() < 3200);
        QCOMPARE(FormFixture::view(*m_form)->pictureSize(), QSize(3200, 2400));
        // Drawn as a full decode scaled down would be.
        const QRect drawn = PictureView::drawRect(FormFixture::view(*m_form)->pictureSize(), FormFixture::view(*m_form)->size());
        const QImage shown = FormFixture::view(*m_form)->grab(drawn).toImage().convertToFormat(QImage::Format_RGB32);
        const QImage expected = ImageOps::stretch(JpegCodec::decode(TestStore::readFile(m_lastFile)), drawn.size());
        const double difference = JpegFixtures::meanDifference(shown, expected);
        QVERIFY2(difference < 4, qPrintable(QStringLiteral("mean difference %1").arg(difference)));

        // What the commands write is the picture at its own resolution.
        QCOMPARE(FormFixture::viewer(*m_form)->pictureAsShown().size(), QSize(3200, 2400));
        FormFixture::viewer(*m_form)->turnClockwise();
        QCOMPARE(FormFixture::viewer(*m_form)->pictureAsShown().size(), QSize(2400, 3200));
        // Zoomed past the fitted decode, a sharper one is drawn from.
        FormFixture::viewer(*m_form)->showActualSize();
        for (int i = 0; i < 12; ++i)
            FormFixture::viewer(*m_form)->zoomIn();
        QTRY_VERIFY(FormFixture::view(*m_form)->picture().width() >= std::min(3200, FormFixture::view(*m_form)->pictureSize().width()));
        QCOMPARE(FormFixture::viewer(*m_form)->pictureAsShown().size(), FormFixture::view(*m_form)->pictureSize());
    }

    // Zoomed past what a whole decode may hold (a few megapixels), only the
    // part on screen is decoded, sharp, and again wherever a scroll takes
    // the view; memory holds no full-size picture of a JPEG. A PNG has no
    // partial decode: it is decoded whole once, the parts cut from it, and
    // let go with the parts.
    void zoomedFarInDecodesOnlyThePartOnScreen_data()
    {
        QTest::addColumn<QByteArray>("format");
        QTest::newRow("JPEG") << QByteArray("jpg");
        QTest::newRow("PNG") << QByteArray("png");
    }
    void zoomedFarInDecodesOnlyThePartOnScreen()
    {
        QFETCH(QByteArray, format);
        const bool jpeg = format == "jpg";
        const QSize whole(4000, 3000);
        // Blocks of 4 pixels: drawn from a decode any smaller, they blur.
        QImage blocks(whole, QImage::Format_RGB32);
        for (int y = 0; y < whole.height(); ++y)
            for (int x = 0; x < whole.width(); ++x)
                blocks.setPixel(x, y, qRgb(x / 4 * 37 % 256, y / 4 * 53 % 256, (x / 4 + y / 4) % 2 * 255));
        QByteArray bytes;
        if (jpeg) {
            bytes = JpegFixtures::make(blocks, Kind::Baseline);
        } else {
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::WriteOnly);
            QVERIFY(blocks.save(&buffer, "PNG"));
        }
        addPicture(QStringLiteral("huge"), bytes);
        select(QStringLiteral("huge"));
        const QImage full = PictureCodec::decode(TestStore::readFile(m_lastFile));
        const qint64 viewerArea = qint64(FormFixture::viewer(*m_form)->width()) * FormFixture::viewer(*m_form)->height();
        while (FormFixture::view(*m_form)->width() < whole.width()) {
            FormFixture::viewer(*m_form)->zoomIn();
            const QImage &picture = FormFixture::view(*m_form)->picture();
            QVERIFY(qint64(picture.width()) * picture.height() <= 4'000'000);
        }
        const auto checkDetail = [&] {
            const QImage &detail = FormFixture::view(*m_form)->detail();
            const QRect part = FormFixture::view(*m_form)->detailPart();
            QCOMPARE(detail.size(), part.size()); // decoded at whole size
            QVERIFY(qint64(detail.width()) * detail.height() <= 4 * viewerArea);
            QVERIFY(JpegFixtures::meanDifference(detail, full.copy(part)) < 1);
            // What shows is that part, drawn at the zoom's scale.
            const QSize shown = FormFixture::view(*m_form)->pictureSize();
            const double scale = double(whole.width()) / shown.width();
            const QRect onScreen(-FormFixture::view(*m_form)->pos(), FormFixture::viewer(*m_form)->size());
            const QRect inPicture(int(onScreen.x() * scale), int(onScreen.y() * scale), int(onScreen.width() * scale),
                                  int(onScreen.height() * scale));
            QVERIFY(part.contains(inPicture));
            const QImage drawn = FormFixture::viewer(*m_form)->grab().toImage().convertToFormat(QImage::Format_RGB32);
            QImage expected(drawn.size(), QImage::Format_RGB32);
            QPainter painter(&expected);
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            painter.drawImage(QRectF(FormFixture::view(*m_form)->pos(), QSizeF(shown)), full);
            painter.end();
            const double d = JpegFixtures::meanDifference(drawn, expected);
            QVERIFY2(d < 3, qPrintable(QString::number(d)));
        };
        QTRY_VERIFY(!FormFixture::view(*m_form)->detail().isNull());
        checkDetail();
        QCOMPARE(FormFixture::viewer(*m_form)->keepsWholePictureForDetail(), !jpeg);
        // Scrolled to the far corner: that corner is decoded.
        for (int i = 0; i < 80; ++i) {
            wheel(-120);
            wheel(-120, Qt::ShiftModifier);
        }
        QTRY_COMPARE(FormFixture::view(*m_form)->detailPart().bottomRight(), QPoint(whole.width() - 1, whole.height() - 1));
        checkDetail();
        QCOMPARE(FormFixture::viewer(*m_form)->keepsWholePictureForDetail(), !jpeg);
        // Back to fitted: the part is let go, and the whole picture kept
        // for parts with it.
        FormFixture::viewer(*m_form)->showActualSize();
        QVERIFY(FormFixture::view(*m_form)->detail().isNull());
        QVERIFY(!FormFixture::viewer(*m_form)->keepsWholePictureForDetail());
    }

    void neighboursAreDecodedAheadAndNeverStale()
    {
        QModelIndex album = FormFixture::child(FormFixture::root(*m_form), 0);
        select(QStringLiteral("small"));
        // The next picture is decoded ahead.
        const int narrowId = m_f.store->findPictureId(1, QStringLiteral("narrow"));
        QTRY_VERIFY(!FormFixture::viewer(*m_form)->prefetchCache()->find(narrowId, 1).isNull());
        // The picture of the highest id deleted, and its id taken again by
        // a new picture: the new one shows, never the deleted one.
        const int lastId = m_f.store->findPictureId(1, QStringLiteral("strip"));
        FormFixture::tree(*m_form)->setCurrentIndex(FormFixture::child(album, FormFixture::childCount(album) - 1));
        FormFixture::settle(*m_form);
        m_f.prompts->queueYesNo(IdYes);
        m_form->action("deletePictureAction")->trigger();
        m_f.prompts->messages.clear(); // the question
        QVERIFY(FormFixture::viewer(*m_form)->prefetchCache()->find(lastId, 1).isNull());
        addPicture(QStringLiteral("newcomer"), JpegFixtures::make(JpegFixtures::quarters(40, 40), Kind::Baseline));
        QCOMPARE(m_f.store->findPictureId(1, QStringLiteral("newcomer")), lastId);
        m_form->action("refreshAction")->trigger();
        FormFixture::expand(*m_form, FormFixture::root(*m_form));
        album = FormFixture::child(FormFixture::root(*m_form), 0);
        FormFixture::expand(*m_form, album);
        FormFixture::tree(*m_form)->setCurrentIndex(FormFixture::child(album, FormFixture::childCount(album) - 2));
        FormFixture::settle(*m_form);
        m_form->action("nextPictureAction")->trigger();
        FormFixture::settle(*m_form);
        QCOMPARE(FormFixture::view(*m_form)->pictureSize(), QSize(40, 40));

        // A turn drops what was decoded ahead.
        select(QStringLiteral("small"));
        QTRY_VERIFY(!FormFixture::viewer(*m_form)->prefetchCache()->find(narrowId, 1).isNull());
        FormFixture::viewer(*m_form)->turnClockwise();
        QVERIFY(FormFixture::viewer(*m_form)->prefetchCache()->find(narrowId, 1).isNull());
    }

    void zoomTooLargeIsRefused()
    {
        // A strip reaches the widest side a zoom may make in a few dozen steps.
        select(QStringLiteral("strip"));
        QSize last;
        for (int i = 0; i < 80 && FormFixture::view(*m_form)->size() != last; ++i) {
            last = FormFixture::view(*m_form)->size();
            FormFixture::viewer(*m_form)->zoomIn();
        }
        QCOMPARE(FormFixture::view(*m_form)->size(), last);
        QVERIFY(ImageOps::zoomAllowed(last));
        QVERIFY(last.width() * 11 / 10 > ImageOps::MaxZoomSide);
        QCOMPARE(FormFixture::view(*m_form)->pictureSize(), last);
        QVERIFY(FormFixture::viewer(*m_form)->isZoomed());
    }

    void longDecodeNeverHoldsTheWindow()
    {
        // A picture that takes the decoder long: many scans of a large one.
        const QByteArray slow = JpegFixtures::withRepeatedScan(
            JpegFixtures::make(JpegFixtures::quarters(3000, 2000), Kind::Progressive), 490);
        QElapsedTimer alone;
        alone.start();
        JpegCodec::decode(slow);
        const qint64 slowMs = alone.elapsed();
        m_form.reset();
        QVERIFY(m_f.store->openStore(m_f.path));
        TestStore::addPictureBytes(m_f.dir, 1, QStringLiteral("slow"), slow);
        m_f.store->closeStore();
        m_form = std::make_unique<MainWindow>(*m_f.library, m_f.path);
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
        QModelIndex album = FormFixture::child(FormFixture::root(*m_form), 0);

        QElapsedTimer timer;
        timer.start();
        FormFixture::tree(*m_form)->setCurrentIndex(FormFixture::child(album, FormFixture::childCount(album) - 1)); // slow
        QVERIFY(timer.elapsed() < slowMs / 2); // the selection returned at once
        QVERIFY(FormFixture::viewer(*m_form)->isLoading());
        // The window answers meanwhile.
        bool answered = false;
        QTimer::singleShot(0, this, [&] { answered = true; });
        QTRY_VERIFY(answered);
        QVERIFY(FormFixture::viewer(*m_form)->isLoading());

        // Another selection takes effect at once; the slow picture never
        // shows.
        FormFixture::tree(*m_form)->setCurrentIndex(FormFixture::child(album, 1)); // small
        QTRY_COMPARE(FormFixture::view(*m_form)->pictureSize(), QSize(300, 200));
        QVERIFY2(timer.elapsed() < slowMs, qPrintable(QStringLiteral("%1 ms, the slow one alone %2 ms")
                                                          .arg(timer.elapsed())
                                                          .arg(slowMs)));
        QTest::qWait(int(slowMs / 2));
        QCOMPARE(FormFixture::view(*m_form)->pictureSize(), QSize(300, 200));
        QCOMPARE(FormFixture::viewer(*m_form)->loadedPicture().size(), QSize(300, 200));
    }

private:
    // Adds a picture to the album and shows the tree again with it.
    void addPicture(const QString &name, const QByteArray &bytes)
    {
        m_lastFile = m_f.dir.filePath(name + QStringLiteral(".jpg"));
        QVERIFY(TestStore::writeFile(m_lastFile, bytes));
        QVERIFY(m_f.store->addPicture(1, m_lastFile));
        m_form->action("refreshAction")->trigger();
    }

    void wheel(int delta, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        const QPointF centre(FormFixture::viewer(*m_form)->width() / 2.0, FormFixture::viewer(*m_form)->height() / 2.0);
        QWheelEvent event(centre, FormFixture::viewer(*m_form)->mapToGlobal(centre), QPoint(), QPoint(0, delta), Qt::NoButton,
                          modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(FormFixture::viewer(*m_form), &event);
    }

    void select(const QString &name)
    {
        QModelIndex album = FormFixture::child(FormFixture::root(*m_form), 0);
        for (int i = 0; i < FormFixture::childCount(album); ++i)
            if (FormFixture::text(FormFixture::child(album, i)) == name) {
                FormFixture::tree(*m_form)->setCurrentIndex(FormFixture::child(album, i));
                FormFixture::settle(*m_form);
                QVERIFY(!FormFixture::view(*m_form)->picture().isNull());
                return;
            }
        QFAIL("no such picture node");
    }

    TestStore::Fixture m_f;
    std::unique_ptr<MainWindow> m_form;
    QString m_lastFile;
};

QTEST_MAIN(TestViewer)
#include "test_viewer.moc"
