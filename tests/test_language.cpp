// The language the program speaks: English for a user whose language is
// English, today's Chinese otherwise; every window's texts fit in English
// too; the user's guide opens from the help menu.

#include "AboutDialog.h"
#include "AlbumExportDialog.h"
#include "BackupStoreDialog.h"
#include "ChangeAlbumPasswordDialog.h"
#include "CompactStoreDialog.h"
#include "FolderImportDialog.h"
#include "FormFixture.h"
#include "GuideDialog.h"
#include "Language.h"
#include "LegacyImportDialog.h"
#include "Modal.h"
#include "NewAlbumDialog.h"
#include "PictureImportDialog.h"
#include "SetAlbumPasswordDialog.h"

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTextDocument>
#include <QtTest>

#include <functional>

namespace {

QStringList actionTexts(const QMenu *menu)
{
    QStringList texts;
    for (const QAction *action : menu->actions())
        if (!action->isSeparator())
            texts.append(action->text());
    return texts;
}

} // namespace

class TestLanguage : public QObject
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(m_f.setUp()); }
    void cleanup()
    {
        Language::install(QStringLiteral("zh_CN"));
        m_f.tearDown();
    }

    void userLanguage_data()
    {
        QTest::addColumn<QStringList>("languages");
        QTest::addColumn<bool>("english");
        QTest::newRow("nothing set") << QStringList() << false;
        QTest::newRow("C") << QStringList{"C"} << false;
        QTest::newRow("POSIX") << QStringList{"POSIX"} << false;
        QTest::newRow("Chinese") << QStringList{"zh-CN"} << false;
        QTest::newRow("Taiwan") << QStringList{"zh_TW"} << false;
        QTest::newRow("English") << QStringList{"en-US"} << true;
        QTest::newRow("British") << QStringList{"en_GB", "en"} << true;
        QTest::newRow("English before Chinese") << QStringList{"en", "zh-CN"} << true;
        QTest::newRow("Chinese before English") << QStringList{"zh_CN", "en"} << false;
        QTest::newRow("German, then English") << QStringList{"de-DE", "en"} << true;
        QTest::newRow("German alone") << QStringList{"de-DE"} << false;
    }
    void userLanguage()
    {
        QFETCH(QStringList, languages);
        QFETCH(bool, english);
        QCOMPARE(Language::prefersEnglish(languages), english);
    }

    // The window's menus, its tree and Qt's own texts in the language
    // installed; Chinese again afterwards, exactly as written.
    void windowInEachLanguage_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QStringList>("help");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("root");
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("cancel");
        QTest::newRow("en") << "en" << QStringList{"&How to Use", "&About"} << "New Album"
                            << "All albums"
                            << "Talk to us!"
                            << "Cancel";
        QTest::newRow("zh_CN") << "zh_CN" << QStringList{"如何使用(&H)", "关于(&A)"} << "新建相册"
                               << "所有相册"
                               << "我要与作者交流!"
                               << "取消";
    }
    void windowInEachLanguage()
    {
        QFETCH(QString, language);
        QFETCH(QStringList, help);
        QFETCH(QString, first);
        QFETCH(QString, root);
        QFETCH(QString, link);
        QFETCH(QString, cancel);
        if (!Language::install(language))
            QSKIP("Qt's Chinese translations (qt6-translations-l10n) are not installed");
        QCOMPARE(Language::current(), language);
        auto form = FormFixture::open(m_f);
        QCOMPARE(actionTexts(FormFixture::child<QMenu>(*form, "helpMenu")), help);
        QCOMPARE(actionTexts(FormFixture::child<QMenu>(*form, "functionMenu")).first(), first);
        QCOMPARE(FormFixture::text(FormFixture::root(*form)), root);
        QCOMPARE(FormFixture::child<QLabel>(*form, "webLogLink")->text(), link);
        QDialogButtonBox box(QDialogButtonBox::Cancel);
        QCOMPARE(box.button(QDialogButtonBox::Cancel)->text(), cancel);
    }

    // Every dialog's labels and buttons show their whole text, in either
    // language: the English ones are longer than the Chinese.
    void nothingCutOff_data()
    {
        QTest::addColumn<QString>("language");
        QTest::newRow("en") << "en";
        QTest::newRow("zh_CN") << "zh_CN";
    }
    void nothingCutOff()
    {
        QFETCH(QString, language);
        if (!Language::install(language))
            QSKIP("Qt's Chinese translations (qt6-translations-l10n) are not installed");
        AlbumLibrary &library = *m_f.library;
        const QList<std::function<QDialog *()>> dialogs = {
            [&] { return new NewAlbumDialog(library); },
            [&] { return new PictureImportDialog(library); },
            [&] { return new FolderImportDialog(library); },
            [&] { return new AlbumExportDialog(library); },
            [&] { return new SetAlbumPasswordDialog(library); },
            [&] { return new ChangeAlbumPasswordDialog(library); },
            [&] { return new CompactStoreDialog(library, m_f.path); },
            [&] { return new BackupStoreDialog(library, m_f.path); },
            [&] { return new LegacyImportDialog(library, QStringLiteral("/media/usb/date/pdate.pdb")); },
            [&] { return new AboutDialog; },
        };
        for (const auto &make : dialogs) {
            std::unique_ptr<QDialog> dialog(make());
            dialog->show();
            QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
            // Each page of a dialog with tabs in turn.
            const auto pages = dialog->findChildren<QTabWidget *>();
            const int count = pages.isEmpty() ? 1 : pages.first()->count();
            for (int page = 0; page < count; ++page) {
                if (!pages.isEmpty())
                    pages.first()->setCurrentIndex(page);
                QCoreApplication::processEvents();
                checkTextsFit(dialog.get());
            }
        }
        // The main window with its search bar.
        auto form = FormFixture::open(m_f);
        form->action("searchBarAction")->trigger();
        QCoreApplication::processEvents();
        checkTextsFit(form.get());
    }

    // "如何使用" and the title bar's link open the guide in the language
    // the program speaks, with its pictures.
    void guideOpens_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("heading");
        QTest::newRow("zh_CN") << "zh_CN"
                               << "第一步";
        QTest::newRow("en") << "en"
                            << "First steps";
    }
    void guideOpens()
    {
        QFETCH(QString, language);
        QFETCH(QString, heading);
        if (guideFile().isEmpty())
            QSKIP("the guide is not beside this build");
        QVERIFY(Language::install(language) || language == QLatin1String("zh_CN"));
        auto form = FormFixture::open(m_f);
        for (const char *opener : {"howToUseAction", "webLogLink"}) {
            QString shown;
            QSize picture;
            onNextModal([&](QDialog *d) {
                if (auto *text = d->findChild<QTextBrowser *>(QStringLiteral("guideText"))) {
                    shown = text->toPlainText();
                    // Named relative to the guide, as the guide names it.
                    const QVariant bytes =
                        text->loadResource(QTextDocument::ImageResource, QUrl(QStringLiteral("images/album-grid.png")));
                    picture = QImage::fromData(bytes.toByteArray()).size();
                }
                d->close();
            });
            if (QLatin1String(opener) == QLatin1String("webLogLink"))
                QTest::mouseClick(FormFixture::child<QLabel>(*form, opener), Qt::LeftButton);
            else
                form->action(opener)->trigger();
            QVERIFY2(shown.contains(heading), opener);
            QVERIFY2(shown.contains(QStringLiteral("Quilbo 2009")), opener);
            QVERIFY2(!picture.isEmpty(), "the guide's screenshot did not load");
        }
    }

private:
    // Every label and button shown in the window shows its whole text,
    // inside the window.
    static void checkTextsFit(QWidget *window)
    {
        for (QWidget *widget : window->findChildren<QWidget *>()) {
            if (!widget->isVisible() || (!qobject_cast<QLabel *>(widget) && !qobject_cast<QAbstractButton *>(widget)))
                continue;
            const auto *label = qobject_cast<QLabel *>(widget);
            if (label && (label->wordWrap() || label->text().isEmpty() || !label->pixmap().isNull()))
                continue;
            const QString text = label ? label->text() : qobject_cast<QAbstractButton *>(widget)->text();
            const QString what = QStringLiteral("%1: %2 \"%3\"").arg(window->objectName(), widget->objectName(), text);
            // A button's own size hint adds the style's minimum; what
            // matters is its caption's width.
            const int needed =
                label ? label->sizeHint().width()
                      : widget->fontMetrics().horizontalAdvance(QString(text).remove(QLatin1Char('&'))) + 2;
            QVERIFY2(needed <= widget->width(), qPrintable(what));
            const QRect inWindow(widget->mapTo(window, QPoint(0, 0)), widget->size());
            QVERIFY2(window->rect().contains(inWindow), qPrintable(what));
            // Nor is a caption covered by a control beside it (a panel
            // behind it is no matter).
            const QRect textRect(widget->pos(), QSize(needed, widget->height()));
            for (const QWidget *other : widget->parentWidget()->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
                if (!label || other == widget || !other->isVisible() || qobject_cast<const QLabel *>(other)
                    || other->geometry().contains(widget->geometry()))
                    continue;
                QVERIFY2(!textRect.intersects(other->geometry()),
                         qPrintable(what + QStringLiteral(" under ") + other->objectName()));
            }
        }
    }

    TestStore::Fixture m_f;
};

QTEST_MAIN(TestLanguage)
#include "test_language.moc"
