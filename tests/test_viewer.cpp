// The viewer: fitting and centring, zoom in and out, actual size and the
// quarter turns, on pictures shown from the tree.

#include "ConnectionString.h"
#include "FormFixture.h"
#include "JpegCodec.h"
#include "JpegFixtures.h"
#include "MainWindow.h"
#include "AlbumStore.h"
#include "ScriptedPrompts.h"
#include "TestStore.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
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
        m_f.store->closeStore();
        m_form = std::make_unique<MainWindow>(m_f.path);
        QVERIFY(m_form->storeOpened());
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
        // A viewer of 545 x 259: the tree and splitter take 151 across, the
        // bars 91 down.
        m_form->resize(545 + 151, 259 + 91);
        QTRY_COMPARE(m_form->viewer->size(), QSize(545, 259));
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
        QCOMPARE(m_form->pictureView->geometry(), QRect(40, 0, 465, 259));
        QCOMPARE(PictureView::drawRect(m_form->pictureView->picture().size(), m_form->pictureView->size()), drawn);
        QCOMPARE(m_form->loadedPicture, m_form->pictureView->picture());
        QVERIFY(!m_form->zoomed);
        QCOMPARE(m_form->currentAlbumNode, m_form->albumTree->topLevelItem(0)->child(0));
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
        m_form->zoomInButton->click();
        QVERIFY(m_form->zoomed);
        QCOMPARE(m_form->pictureView->geometry(), QRect(17, -12, 511, 284));
        QCOMPARE(m_form->pictureView->picture().size(), QSize(511, 284));
        m_form->zoomIn();
        QCOMPARE(m_form->pictureView->size(), QSize(562, 312));
        // While zoomed, a resize of the viewer only centres the picture.
        m_form->resize(m_form->width() + 100, m_form->height());
        QTRY_COMPARE(m_form->viewer->width(), 645);
        QCOMPARE(m_form->pictureView->geometry(), QRect((645 - 562) / 2, (259 - 312) / 2, 562, 312));
        // Selecting a picture fits it again.
        select(QStringLiteral("small"));
        QVERIFY(!m_form->zoomed);
        QCOMPARE(m_form->pictureView->size(), QSize(565, 259));
    }

    void zoomOut()
    {
        select(QStringLiteral("big"));
        m_form->zoomOutButton->click();
        QCOMPARE(m_form->pictureView->size(), QSize(418, 233));
        QCOMPARE(m_form->pictureView->picture().size(), QSize(418, 233));

        // A shown bitmap under 50 wide is not reduced, but counts as zoomed.
        select(QStringLiteral("narrow"));
        const QRect fitted = m_form->pictureView->geometry();
        m_form->zoomOut();
        QVERIFY(m_form->zoomed);
        QCOMPARE(m_form->pictureView->geometry(), fitted);
        QCOMPARE(m_form->pictureView->picture().size(), QSize(49, 30));
        m_form->resize(m_form->width() + 40, m_form->height());
        QTRY_COMPARE(m_form->viewer->width(), 585);
        QCOMPARE(m_form->pictureView->size(), fitted.size());
    }

    void turnsAndActualSize()
    {
        select(QStringLiteral("small"));
        const QImage loaded = m_form->pictureView->picture();
        const QRect place = m_form->pictureView->geometry();
        m_form->turnRightButton->click(); // clockwise
        QCOMPARE(m_form->pictureView->picture().size(), QSize(200, 300));
        QCOMPARE(m_form->pictureView->picture().pixel(190, 10), loaded.pixel(10, 9));
        QCOMPARE(m_form->pictureView->picture().pixel(10, 290), loaded.pixel(290, 189));
        QCOMPARE(m_form->pictureView->geometry(), place);
        QVERIFY(!m_form->zoomed);
        QCOMPARE(m_form->loadedPicture, loaded);
        m_form->turnLeftButton->click(); // counter-clockwise
        QCOMPARE(m_form->pictureView->picture(), loaded);

        m_form->turnCounterClockwise();
        m_form->zoomIn(); // the zoom shows the picture unturned
        QCOMPARE(m_form->pictureView->picture().size(), QSize(511, 284));
        QVERIFY(std::abs(qRed(m_form->pictureView->picture().pixel(5, 5)) - qRed(loaded.pixel(5, 5))) < 16);
        m_form->turnClockwise();
        m_form->actualSizeButton->click(); // actual size: unturned, unzoomed
        QVERIFY(!m_form->zoomed);
        QCOMPARE(m_form->pictureView->picture(), loaded);
        QCOMPARE(m_form->pictureView->geometry(), QRect(40, 0, 465, 259));
    }

    void commandsOnAnEmptyViewerDoNothing()
    {
        select(QStringLiteral("small"));
        m_form->albumTree->setCurrentItem(m_form->albumTree->topLevelItem(0));
        QVERIFY(m_form->pictureView->picture().isNull());
        QVERIFY(m_form->currentAlbumNode == nullptr);
        const QRect place = m_form->pictureView->geometry();
        m_form->zoomIn();
        m_form->zoomOut();
        m_form->showActualSize();
        m_form->turnClockwise();
        m_form->turnCounterClockwise();
        QVERIFY(m_form->pictureView->picture().isNull());
        QCOMPARE(m_form->pictureView->geometry(), place);
        QVERIFY(!m_form->zoomed);
    }

    void zoomTooLargeIsRefused()
    {
        select(QStringLiteral("small"));
        m_form->zoomIn();
        m_form->pictureView->resize(31000, 100);
        const QImage shown = m_form->pictureView->picture();
        m_form->zoomIn(); // 34100 wide: refused
        QCOMPARE(m_form->pictureView->size(), QSize(31000, 100));
        QCOMPARE(m_form->pictureView->picture(), shown);
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
        QVERIFY(m_f.store->openStore(ConnectionString::forStore(m_f.path)));
        TestStore::addPictureBytes(m_f.dir, 1, QStringLiteral("slow"), slow);
        m_f.store->closeStore();
        m_form = std::make_unique<MainWindow>(m_f.path);
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
        QTreeWidgetItem *album = m_form->albumTree->topLevelItem(0)->child(0);

        QElapsedTimer timer;
        timer.start();
        m_form->albumTree->setCurrentItem(album->child(3)); // slow
        QVERIFY(timer.elapsed() < slowMs / 2); // the selection returned at once
        QVERIFY(m_form->isLoadingPicture());
        // The window answers meanwhile.
        bool answered = false;
        QTimer::singleShot(0, this, [&] { answered = true; });
        QTRY_VERIFY(answered);
        QVERIFY(m_form->isLoadingPicture());

        // Another selection takes effect at once; the slow picture never
        // shows.
        m_form->albumTree->setCurrentItem(album->child(1)); // small
        QTRY_COMPARE(m_form->pictureView->picture().size(), QSize(300, 200));
        QVERIFY2(timer.elapsed() < slowMs, qPrintable(QStringLiteral("%1 ms, the slow one alone %2 ms")
                                                          .arg(timer.elapsed())
                                                          .arg(slowMs)));
        QTest::qWait(int(slowMs / 2));
        QCOMPARE(m_form->pictureView->picture().size(), QSize(300, 200));
        QCOMPARE(m_form->loadedPicture.size(), QSize(300, 200));
    }

private:
    void select(const QString &name)
    {
        QTreeWidgetItem *album = m_form->albumTree->topLevelItem(0)->child(0);
        for (int i = 0; i < album->childCount(); ++i)
            if (album->child(i)->text(0) == name) {
                m_form->albumTree->setCurrentItem(album->child(i));
                FormFixture::settle(*m_form);
                QVERIFY(!m_form->pictureView->picture().isNull());
                return;
            }
        QFAIL("no such picture node");
    }

    TestStore::Fixture m_f;
    std::unique_ptr<MainWindow> m_form;
};

QTEST_MAIN(TestViewer)
#include "test_viewer.moc"
