// The search bar: its checks, the exact match, protected albums, and what
// the viewer shows afterwards.

#include "FormFixture.h"

#include <QFrame>
#include <QLineEdit>
#include <QToolButton>

using FormFixture::Album;

class TestSearch : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_f.Setup());
        FormFixture::MakeAlbums(m_f);
        TestStore::AddPictureBytes(m_f.dir, 1, QStringLiteral("Big"),
                                   JpegFixtures::Make(JpegFixtures::Quarters(900, 700), JpegFixtures::Kind::Baseline));
        m_form = FormFixture::Open(m_f);
        m_form->Action("N34")->trigger();
        QTRY_VERIFY(m_form->MainSearcPanle->isVisible());
    }
    void cleanup()
    {
        m_form.reset();
        m_f.Teardown();
    }

    void barLayout()
    {
        QCOMPARE(m_form->SearcPanle->size(), QSize(288, 18));
        QCOMPARE(m_form->SearcPanle->y(), 5);
        QCOMPARE(m_form->SearcPanle->geometry().right() + 1, m_form->MainSearcPanle->width() - 5);
        m_form->resize(m_form->width() + 123, m_form->height());
        QTRY_COMPARE(m_form->SearcPanle->geometry().right() + 1, m_form->MainSearcPanle->width() - 5);
        QCOMPARE(m_form->SearcCom->geometry(), QRect(22, 0, 120, 18));
        QCOMPARE(m_form->SearcEdit->size(), QSize(121, 17));
        QCOMPARE(m_form->SearcBtn->size(), QSize(20, 18));
        QCOMPARE(m_form->SearcEdit->text(), QStringLiteral("关键词"));
        QCOMPARE(m_form->SearcCom->currentText(), QStringLiteral("<选择相册>"));
    }

    void incompleteInput_data()
    {
        QTest::addColumn<QString>("album");
        QTest::addColumn<QString>("keyword");
        QTest::newRow("no album chosen") << "" << "cat";
        QTest::newRow("keyword left as it was") << "open" << "  关键词 ";
        QTest::newRow("keyword emptied") << "open" << "";
    }
    void incompleteInput()
    {
        QFETCH(QString, album);
        QFETCH(QString, keyword);
        if (!album.isEmpty())
            choose(album);
        m_form->SearcEdit->setText(keyword);
        m_form->SearcBtn->click();
        QCOMPARE(m_f.prompts->Messages,
                 (QList<PromptRecord>{{PromptKind::Info, QStringLiteral("提示"), QStringLiteral("搜索条件不足!")}}));
        QVERIFY(m_form->MainImage->Picture().isNull());
    }

    void exactMatchIgnoringCase()
    {
        choose(QStringLiteral("open"));
        m_form->SearcEdit->setText(QStringLiteral("   "));
        m_form->SearcBtn->click(); // blanks pass the checks and find nothing
        QVERIFY(m_form->MainImage->Picture().isNull());
        m_form->SearcEdit->setText(QStringLiteral("bi"));
        m_form->SearcBtn->click(); // no partial match
        QVERIFY(m_form->MainImage->Picture().isNull());
        m_form->SearcEdit->setText(QStringLiteral(" big "));
        m_form->SearcBtn->click();
        QCOMPARE(m_form->MainImage->Picture().size(), QSize(900, 700));
        QCOMPARE(m_f.dm->WorkBitmap.size(), QSize(900, 700));
        QCOMPARE(m_form->MainImage->geometry(), QRect(40, 0, m_form->PicSroll->width() - 80, m_form->PicSroll->height()));
        // The tree is left alone; zoom works on the found picture.
        QVERIFY(m_form->PicLibView->currentItem() == nullptr);
        QVERIFY(!Album(*m_form, "open")->isExpanded());
        m_form->N17Click();
        QCOMPARE(m_form->MainImage->Picture().size(), m_form->MainImage->size());
        // A name the album does not hold leaves the picture shown.
        const QImage shown = m_form->MainImage->Picture();
        m_form->SearcEdit->setText(QStringLiteral("nothing"));
        m_form->SearcBtn->click();
        QCOMPARE(m_form->MainImage->Picture(), shown);
        QCOMPARE(m_f.prompts->Messages.size(), 0);
    }

    void zoomedViewerIsNotRefitted()
    {
        m_form->PicLibView->setCurrentItem(Album(*m_form, "open")->child(0));
        m_form->N17Click();
        const QSize zoomed = m_form->MainImage->size();
        choose(QStringLiteral("open"));
        m_form->SearcEdit->setText(QStringLiteral("Big"));
        m_form->SearcBtn->click();
        QVERIFY(m_form->Zoomed);
        QCOMPARE(m_form->MainImage->size(), zoomed);
        QCOMPARE(m_form->MainImage->Picture().size(), QSize(900, 700));
    }

    void protectedAlbumAsksItsPassword_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<bool>("refused");
        QTest::newRow("right") << "PW1" << true << false;
        QTest::newRow("wrong") << "xyz" << false << true;
        QTest::newRow("cancelled") << "" << false << false;
    }
    void protectedAlbumAsksItsPassword()
    {
        QFETCH(QString, answer);
        QFETCH(bool, shown);
        QFETCH(bool, refused);
        choose(QStringLiteral("secret"));
        m_form->SearcEdit->setText(QStringLiteral("hidden"));
        m_f.prompts->QueuePassword(answer);
        m_form->SearcBtn->click();
        QCOMPARE(!m_form->MainImage->Picture().isNull(), shown);
        QList<PromptRecord> expected = {
            {PromptKind::Password, QStringLiteral("密码认证"), QStringLiteral("相册已被密码保护!      ")}};
        if (refused)
            expected.append({PromptKind::Info, QStringLiteral("提示"), QStringLiteral("密码错误,拒绝访问该相册!")});
        QCOMPARE(m_f.prompts->Messages, expected);
        QVERIFY(!Album(*m_form, "secret")->isExpanded());
    }

    void notAJpegIsReported()
    {
        m_form->PicLibView->setCurrentItem(Album(*m_form, "open")->child(0));
        const QImage before = m_f.dm->WorkBitmap;
        const QSize size = m_form->MainImage->size();
        choose(QStringLiteral("open"));
        m_form->SearcEdit->setText(QStringLiteral("bmp"));
        m_form->SearcBtn->click();
        QCOMPARE(m_f.prompts->Messages,
                 (QList<PromptRecord>{{PromptKind::Error, QStringLiteral("Quilbo 2009"), QStringLiteral("JPEG error #53")}}));
        QCOMPARE(m_f.dm->WorkBitmap, before);
        QCOMPARE(m_form->MainImage->size(), size);
    }

    void deletingTheShownPicturesAlbumEmptiesTheViewer()
    {
        m_form->PicLibView->expandItem(m_form->PicLibView->topLevelItem(0));
        m_form->PicLibView->setCurrentItem(Album(*m_form, "open"));
        choose(QStringLiteral("open"));
        m_form->SearcEdit->setText(QStringLiteral("cat"));
        m_form->SearcBtn->click();
        QVERIFY(!m_form->MainImage->Picture().isNull());
        m_f.prompts->QueueYesNo(IdYes);
        m_form->N2Click();
        QCOMPARE(m_f.dm->FindAlbumId(QStringLiteral("open")), -1);
        QVERIFY(m_form->MainImage->Picture().isNull());
    }

    void openingTheListResetsTheChoice()
    {
        choose(QStringLiteral("open"));
        m_form->SearcComDropDown();
        QCOMPARE(m_form->SearcCom->currentIndex(), 0);
        QCOMPARE(m_form->SearcCom->count(), 5);
    }

private:
    void choose(const QString &album)
    {
        m_form->SearcComDropDown();
        m_form->SearcCom->setCurrentIndex(m_form->SearcCom->findText(album));
    }

    TestStore::Fixture m_f;
    std::unique_ptr<TMainForm> m_form;
};

QTEST_MAIN(TestSearch)
#include "test_search.moc"
