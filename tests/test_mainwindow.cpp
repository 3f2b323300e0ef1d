// The main window frame: start-up with and without a store, sizes and
// places of the panels at several widths, and the general error report.

#include "Application.h"
#include "Artwork.h"
#include "MainWindow.h"
#include "AlbumStore.h"
#include "FormFixture.h"
#include "ScriptedPrompts.h"
#include "TestStore.h"

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QTest>
#include <QToolButton>
#include <QTreeView>

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(m_f.setUp()); }
    void cleanup()
    {
        m_form.reset();
        m_f.tearDown();
    }

    void startsWithoutAStore_data()
    {
        QTest::addColumn<QString>("content");
        QTest::newRow("missing") << QString();
        QTest::newRow("zero bytes") << QStringLiteral("");
        QTest::newRow("text") << QStringLiteral("not a store");
    }
    void startsWithoutAStore()
    {
        QFETCH(QString, content);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("date/pdate.pdb"));
        if (!content.isNull()) {
            QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("date"))));
            QVERIFY(TestStore::writeFile(path, content.toUtf8()));
        }
        m_form = std::make_unique<MainWindow>(*m_f.library, path);
        QVERIFY(!m_form->storeOpened());
        QVERIFY(!m_form->isVisible());
        // Missing, or there but no album store.
        const QList<PromptRecord> expected = {
            {PromptKind::Error, QStringLiteral("错误"),
             content.isNull() ? QStringLiteral("找不到相册库文件!")
                              : QStringLiteral("文件 %1 不是相册库文件,无法打开!").arg(path)}};
        QCOMPARE(m_f.prompts->messages, expected);
        QCOMPARE(QFileInfo::exists(path), !content.isNull());
        if (!content.isNull())
            QCOMPARE(TestStore::readFile(path), content.toUtf8());
    }

    // An empty store shows where the pictures will be the first steps and
    // the file that keeps them, until it holds an album.
    void anEmptyStoreShowsTheFirstSteps()
    {
        openForm();
        auto *hint = FormFixture::child<QLabel>(*m_form, "viewerHint");
        QVERIFY(hint->isVisible());
        QVERIFY(hint->text().contains(QStringLiteral("“新建相册”")));
        QVERIFY(hint->text().contains(QDir::toNativeSeparators(m_f.library->storePath())));
        QVERIFY(FormFixture::viewer(*m_form)->rect().contains(hint->geometry()));
        QVERIFY(m_f.library->addAlbum(QStringLiteral("家庭"), QString()));
        QVERIFY(!hint->isVisible());
        QVERIFY(m_f.library->deleteAlbum(QStringLiteral("家庭")));
        QVERIFY(hint->isVisible());
    }

    void startsWithAStore()
    {
        openForm();
        QCOMPARE(m_form->windowTitle(), QStringLiteral("Quilbo 2009"));
        QCOMPARE(m_form->frameGeometry().size(), QSize(760, 530));
        QVERIFY(!FormFixture::viewer(*m_form)->isZoomed());
        QVERIFY(FormFixture::levelOf(FormFixture::current(*m_form)) != AlbumTreeModel::Level::Picture);
        QVERIFY(FormFixture::child<QGroupBox>(*m_form, "albumListPanel")->isVisible());
        QVERIFY(!FormFixture::child<QFrame>(*m_form, "searchPanel")->isVisible());
        QVERIFY(FormFixture::view(*m_form)->picture().isNull());
        QCOMPARE(FormFixture::tree(*m_form)->model()->rowCount(), 1);
        QModelIndex root = FormFixture::root(*m_form);
        QCOMPARE(FormFixture::text(root), QStringLiteral("所有相册"));
        QVERIFY(!FormFixture::isExpanded(*m_form, root));
        QCOMPARE(m_f.prompts->messages.size(), 0);

        const QList<QPixmap> images = Artwork::imageList();
        QCOMPARE(images.size(), 6);
        // The root shows its closed image.
        QCOMPARE(root.data(Qt::DecorationRole).value<QIcon>().pixmap(16, 16).toImage().convertToFormat(QImage::Format_RGB32),
                 images.at(FormFixture::imageIndex(root)).toImage().convertToFormat(QImage::Format_RGB32));
        for (const QPixmap &image : images) {
            QCOMPARE(image.size(), QSize(16, 16));
            // On a white background, with a drawing on it.
            const QImage pixels = image.toImage();
            QCOMPARE(pixels.pixelColor(0, 0), QColor(Qt::white));
            QVERIFY(pixels.pixelColor(8, 8) != QColor(Qt::white) || pixels.pixelColor(7, 9) != QColor(Qt::white));
        }
    }

    void panelSizes()
    {
        openForm();
        QCOMPARE(FormFixture::child<QWidget>(*m_form, "titleBar")->geometry(), QRect(0, 0, m_form->width(), 37));
        QCOMPARE(FormFixture::child<QLabel>(*m_form, "titleBanner")->geometry(), FormFixture::child<QWidget>(*m_form, "titleBar")->rect());
        QCOMPARE(FormFixture::child<QWidget>(*m_form, "navigationBar")->height(), 54);
        QCOMPARE(FormFixture::child<QWidget>(*m_form, "navigationBar")->geometry().bottom(), m_form->height() - 1);
        QCOMPARE(FormFixture::child<QLabel>(*m_form, "navigationBanner")->geometry(), FormFixture::child<QWidget>(*m_form, "navigationBar")->rect());
        QCOMPARE(FormFixture::child<QWidget>(*m_form, "navigationButtons")->size(), QSize(412, 37));
        QCOMPARE(FormFixture::child<QWidget>(*m_form, "menuButtons")->size(), QSize(313, 33));
        QCOMPARE(FormFixture::child<QLabel>(*m_form, "webLogLink")->size(), QSize(134, 16));
        QCOMPARE(FormFixture::child<QGroupBox>(*m_form, "albumListPanel")->width(), 150);
        QCOMPARE(FormFixture::child<QGroupBox>(*m_form, "albumListPanel")->mapTo(m_form.get(), QPoint(0, 0)), QPoint(0, 37));
        QCOMPARE(FormFixture::child<QGroupBox>(*m_form, "albumListPanel")->height(), m_form->height() - 37 - 54);
        QCOMPARE(FormFixture::child<QSplitter>(*m_form, "splitter")->handleWidth(), 1);
        QCOMPARE(FormFixture::child<QSplitter>(*m_form, "splitter")->handle(1)->cursor().shape(), Qt::ArrowCursor);
        QCOMPARE(FormFixture::child<QWidget>(*m_form, "viewerPanel")->width(), m_form->width() - 151);
        QCOMPARE(FormFixture::child<QFrame>(*m_form, "searchPanel")->height(), 27);
        // Under the viewer, one line of the picture's details, as wide.
        const QWidget *panel = FormFixture::child<QWidget>(*m_form, "viewerPanel");
        const QRect details = FormFixture::child<QLabel>(*m_form, "pictureDetails")->geometry();
        QCOMPARE(FormFixture::viewer(*m_form)->geometry(), QRect(0, 0, panel->width(), panel->height() - 20));
        QCOMPARE(details, QRect(0, panel->height() - 20, panel->width(), 20));
        QCOMPARE(FormFixture::tree(*m_form)->indentation(), 19);
        QVERIFY(FormFixture::tree(*m_form)->isHeaderHidden());
    }

    void arrangePanels_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("navLeft");
        QTest::newRow("760") << 760 << 174;
        QTest::newRow("1000") << 1000 << 294;
        QTest::newRow("odd width 761") << 761 << 174;
        QTest::newRow("narrower than the bar") << 300 << -56;
    }
    void arrangePanels()
    {
        QFETCH(int, width);
        QFETCH(int, navLeft);
        openForm();
        m_form->resize(width - (m_form->frameGeometry().width() - m_form->width()), m_form->height());
        QTRY_COMPARE(m_form->frameGeometry().width(), width);
        QCOMPARE(FormFixture::child<QWidget>(*m_form, "navigationButtons")->pos(), QPoint(navLeft, 10));
        QCOMPARE(FormFixture::child<QWidget>(*m_form, "menuButtons")->pos(), QPoint(10, 3));
        QCOMPARE(FormFixture::child<QLabel>(*m_form, "webLogLink")->pos(), QPoint(FormFixture::child<QWidget>(*m_form, "titleBar")->width() - 134 - 10, 16));
        QCOMPARE(FormFixture::child<QLabel>(*m_form, "webLogLink")->geometry().right() + 1, FormFixture::child<QWidget>(*m_form, "titleBar")->width() - 10);
    }

    void titleBarButtons_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("hint");
        QTest::newRow("functionMenuButton") << "functionMenuButton" << QRect(0, 0, 103, 33) << "功能" << "从这里开始";
        QTest::newRow("helpMenuButton") << "helpMenuButton" << QRect(103, 0, 103, 33) << "帮助" << "点击此处可获得帮助";
        QTest::newRow("searchMenuButton") << "searchMenuButton" << QRect(206, 0, 107, 33) << "搜索" << "这里可以搜索相册库中的图片";
    }
    void titleBarButtons()
    {
        QFETCH(QString, name);
        QFETCH(QRect, geometry);
        QFETCH(QString, caption);
        QFETCH(QString, hint);
        openForm();
        auto *b = FormFixture::child<QWidget>(*m_form, "menuButtons")->findChild<QToolButton *>(name);
        QVERIFY(b);
        QCOMPARE(b->geometry(), geometry);
        QCOMPARE(b->text(), caption);
        QCOMPARE(b->toolTip(), hint);
        QVERIFY(!b->icon().isNull());
        QCOMPARE(FormFixture::child<QLabel>(*m_form, "webLogLink")->text(), QStringLiteral("我要与作者交流!"));
        QVERIFY(FormFixture::child<QLabel>(*m_form, "webLogLink")->font().italic() && FormFixture::child<QLabel>(*m_form, "webLogLink")->font().underline());
        QCOMPARE(FormFixture::child<QLabel>(*m_form, "webLogLink")->cursor().shape(), Qt::PointingHandCursor);
    }

    void navigationButtons_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("left");
        QTest::addColumn<QString>("hint");
        QTest::newRow("2") << "turnLeftButton" << 22 << "逆时针转90度";
        QTest::newRow("3") << "turnRightButton" << 50 << "顺时针转90度";
        QTest::newRow("6") << "zoomInButton" << 90 << "放大图片";
        QTest::newRow("7") << "zoomOutButton" << 121 << "缩小图片";
        QTest::newRow("1") << "actualSizeButton" << 152 << "实际大小";
        QTest::newRow("4") << "previousButton" << 191 << "上一张";
        QTest::newRow("5") << "nextButton" << 221 << "下一张";
        QTest::newRow("8") << "deleteButton" << 274 << "删除当前图片";
        QTest::newRow("9") << "saveButton" << 306 << "保存当前图片";
        QTest::newRow("10") << "printButton" << 350 << "打印当前图片";
    }
    void navigationButtons()
    {
        QFETCH(QString, name);
        QFETCH(int, left);
        QFETCH(QString, hint);
        openForm();
        auto *b = FormFixture::child<QWidget>(*m_form, "navigationButtons")->findChild<QToolButton *>(name);
        QVERIFY(b);
        QCOMPARE(b->geometry(), QRect(left, 8, 26, 24));
        QCOMPARE(b->toolTip(), hint);
        QVERIFY(b->text().isEmpty() || b->toolButtonStyle() == Qt::ToolButtonIconOnly);
        QCOMPARE(b->iconSize(), QSize(16, 16));
        QVERIFY(!b->icon().isNull());
    }

    void separators()
    {
        openForm();
        const QList<QPair<QFrame *, int>> bevels = {{FormFixture::child<QFrame>(*m_form, "turnSeparator"), 83},
                                                    {FormFixture::child<QFrame>(*m_form, "zoomSeparator"), 186},
                                                    {FormFixture::child<QFrame>(*m_form, "stepSeparator"), 258},
                                                    {FormFixture::child<QFrame>(*m_form, "fileSeparator"), 338}};
        for (const auto &[bevel, left] : bevels) {
            QCOMPARE(bevel->x(), left);
            QCOMPARE(bevel->y(), 11);
            QCOMPARE(bevel->height(), 18);
        }
    }

    void uncaughtErrorIsReportedAndTheProgramGoesOn()
    {
        openForm();
        QPushButton button(QStringLiteral("fail"));
        int clicks = 0;
        connect(&button, &QPushButton::clicked, [&clicks] {
            ++clicks;
            throw std::runtime_error("JPEG error #53");
        });
        button.show();
        QVERIFY(QTest::qWaitForWindowExposed(&button));
        QTest::mouseClick(&button, Qt::LeftButton);
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(clicks, 2);
        const PromptRecord report{PromptKind::Error, QStringLiteral("Quilbo 2009"), QStringLiteral("JPEG error #53")};
        QCOMPARE(m_f.prompts->messages, (QList<PromptRecord>{report, report}));
        QVERIFY(m_form->isVisible());
    }

private:
    void openForm()
    {
        m_form = std::make_unique<MainWindow>(*m_f.library, m_f.path);
        QVERIFY(m_form->storeOpened());
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    }

    TestStore::Fixture m_f;
    std::unique_ptr<MainWindow> m_form;
};

int main(int argc, char **argv)
{
    Application app(argc, argv);
    TestMainWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_mainwindow.moc"
