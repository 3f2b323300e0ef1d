// The viewer: fitting and centring, zoom in and out, actual size and the
// quarter turns, on pictures shown from the tree.

#include "ConnectionString.h"
#include "JpegFixtures.h"
#include "MainUnit.h"
#include "PicDMUnit.h"
#include "ScriptedPrompts.h"
#include "TestStore.h"

#include <QTest>
#include <QTreeWidget>

using JpegFixtures::Kind;

class TestViewer : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_f.Setup());
        QVERIFY(m_f.dm->AddAlbum(QStringLiteral("trip"), QString()));
        TestStore::AddPictureBytes(m_f.dir, 1, QStringLiteral("big"), JpegFixtures::Make(JpegFixtures::Quarters(800, 600), Kind::Baseline));
        TestStore::AddPictureBytes(m_f.dir, 1, QStringLiteral("small"), JpegFixtures::Make(JpegFixtures::Quarters(300, 200), Kind::Baseline));
        TestStore::AddPictureBytes(m_f.dir, 1, QStringLiteral("narrow"), JpegFixtures::Make(JpegFixtures::Quarters(49, 30), Kind::Baseline));
        m_f.dm->CloseStore();
        m_form = std::make_unique<TMainForm>(m_f.path);
        QVERIFY(m_form->StoreOpened());
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
        // A viewer of 545 x 259: the tree and splitter take 151 across, the
        // bars 91 down.
        m_form->resize(545 + 151, 259 + 91);
        QTRY_COMPARE(m_form->PicSroll->size(), QSize(545, 259));
    }
    void cleanup()
    {
        QCOMPARE(m_f.prompts->Messages.size(), 0);
        m_form.reset();
        m_f.Teardown();
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
        QCOMPARE(m_form->MainImage->geometry(), QRect(40, 0, 465, 259));
        QCOMPARE(TImageControl::DrawRect(m_form->MainImage->Picture().size(), m_form->MainImage->size()), drawn);
        QCOMPARE(m_f.dm->WorkBitmap, m_form->MainImage->Picture());
        QVERIFY(!m_form->Zoomed);
        QCOMPARE(m_form->CurLibNode, m_form->PicLibView->topLevelItem(0)->child(0));
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
        QCOMPARE(TImageControl::DrawRect(picture, control), drawn);
    }

    void zoomIn()
    {
        select(QStringLiteral("big"));
        m_form->spSkinSpeedButton6->click();
        QVERIFY(m_form->Zoomed);
        QCOMPARE(m_form->MainImage->geometry(), QRect(17, -12, 511, 284));
        QCOMPARE(m_form->MainImage->Picture().size(), QSize(511, 284));
        m_form->N17Click();
        QCOMPARE(m_form->MainImage->size(), QSize(562, 312));
        // While zoomed, a resize of the viewer only centres the picture.
        m_form->resize(m_form->width() + 100, m_form->height());
        QTRY_COMPARE(m_form->PicSroll->width(), 645);
        QCOMPARE(m_form->MainImage->geometry(), QRect((645 - 562) / 2, (259 - 312) / 2, 562, 312));
        // Selecting a picture fits it again.
        select(QStringLiteral("small"));
        QVERIFY(!m_form->Zoomed);
        QCOMPARE(m_form->MainImage->size(), QSize(565, 259));
    }

    void zoomOut()
    {
        select(QStringLiteral("big"));
        m_form->spSkinSpeedButton7->click();
        QCOMPARE(m_form->MainImage->size(), QSize(418, 233));
        QCOMPARE(m_form->MainImage->Picture().size(), QSize(418, 233));

        // A shown bitmap under 50 wide is not reduced, but counts as zoomed.
        select(QStringLiteral("narrow"));
        const QRect fitted = m_form->MainImage->geometry();
        m_form->N18Click();
        QVERIFY(m_form->Zoomed);
        QCOMPARE(m_form->MainImage->geometry(), fitted);
        QCOMPARE(m_form->MainImage->Picture().size(), QSize(49, 30));
        m_form->resize(m_form->width() + 40, m_form->height());
        QTRY_COMPARE(m_form->PicSroll->width(), 585);
        QCOMPARE(m_form->MainImage->size(), fitted.size());
    }

    void turnsAndActualSize()
    {
        select(QStringLiteral("small"));
        const QImage loaded = m_form->MainImage->Picture();
        const QRect place = m_form->MainImage->geometry();
        m_form->spSkinSpeedButton3->click(); // clockwise
        QCOMPARE(m_form->MainImage->Picture().size(), QSize(200, 300));
        QCOMPARE(m_form->MainImage->Picture().pixel(190, 10), loaded.pixel(10, 9));
        QCOMPARE(m_form->MainImage->Picture().pixel(10, 290), loaded.pixel(290, 189));
        QCOMPARE(m_form->MainImage->geometry(), place);
        QVERIFY(!m_form->Zoomed);
        QCOMPARE(m_f.dm->WorkBitmap, loaded);
        m_form->spSkinSpeedButton2->click(); // counter-clockwise
        QCOMPARE(m_form->MainImage->Picture(), loaded);

        m_form->N902Click();
        m_form->N17Click(); // the zoom shows the picture unturned
        QCOMPARE(m_form->MainImage->Picture().size(), QSize(511, 284));
        QVERIFY(std::abs(qRed(m_form->MainImage->Picture().pixel(5, 5)) - qRed(loaded.pixel(5, 5))) < 16);
        m_form->N901Click();
        m_form->spSkinSpeedButton1->click(); // actual size: unturned, unzoomed
        QVERIFY(!m_form->Zoomed);
        QCOMPARE(m_form->MainImage->Picture(), loaded);
        QCOMPARE(m_form->MainImage->geometry(), QRect(40, 0, 465, 259));
    }

    void commandsOnAnEmptyViewerDoNothing()
    {
        select(QStringLiteral("small"));
        m_form->PicLibView->setCurrentItem(m_form->PicLibView->topLevelItem(0));
        QVERIFY(m_form->MainImage->Picture().isNull());
        QVERIFY(m_form->CurLibNode == nullptr);
        const QRect place = m_form->MainImage->geometry();
        m_form->N17Click();
        m_form->N18Click();
        m_form->N35Click();
        m_form->N901Click();
        m_form->N902Click();
        QVERIFY(m_form->MainImage->Picture().isNull());
        QCOMPARE(m_form->MainImage->geometry(), place);
        QVERIFY(!m_form->Zoomed);
    }

    void zoomTooLargeIsRefused()
    {
        select(QStringLiteral("small"));
        m_form->N17Click();
        m_form->MainImage->resize(31000, 100);
        const QImage shown = m_form->MainImage->Picture();
        m_form->N17Click(); // 34100 wide: refused
        QCOMPARE(m_form->MainImage->size(), QSize(31000, 100));
        QCOMPARE(m_form->MainImage->Picture(), shown);
    }

private:
    void select(const QString &name)
    {
        QTreeWidgetItem *album = m_form->PicLibView->topLevelItem(0)->child(0);
        for (int i = 0; i < album->childCount(); ++i)
            if (album->child(i)->text(0) == name) {
                m_form->PicLibView->setCurrentItem(album->child(i));
                QVERIFY(!m_form->MainImage->Picture().isNull());
                return;
            }
        QFAIL("no such picture node");
    }

    TestStore::Fixture m_f;
    std::unique_ptr<TMainForm> m_form;
};

QTEST_MAIN(TestViewer)
#include "test_viewer.moc"
