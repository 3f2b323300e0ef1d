// The skin: texts readable whatever the desktop's colour scheme, disabled
// buttons that look disabled, and Qt's own texts in Chinese.

#include "AlbumChooser.h"
#include "Application.h"
#include "Artwork.h"
#include "Language.h"
#include "AlbumLibrary.h"
#include "NewAlbumDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>

namespace {

int luminance(QRgb c) { return (qRed(c) * 299 + qGreen(c) * 587 + qBlue(c) * 114) / 1000; }

// Pixels of the area that stand out from its background (taken as its most
// common luminance) as text does: none when the text has the background's
// colour.
int inkPixels(const QImage &image, const QRect &area)
{
    QMap<int, int> counts;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            ++counts[luminance(image.pixel(x, y)) / 8];
    int background = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > counts.value(background))
            background = it.key();
    int ink = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (std::abs(luminance(image.pixel(x, y)) - (background * 8 + 4)) > 96)
                ++ink;
    return ink;
}

QPalette darkScheme()
{
    QPalette dark;
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        dark.setColor(group, QPalette::Window, QColor(0x2d, 0x2d, 0x2d));
        dark.setColor(group, QPalette::WindowText, Qt::white);
        dark.setColor(group, QPalette::Base, QColor(0x1e, 0x1e, 0x1e));
        dark.setColor(group, QPalette::Text, Qt::white);
        dark.setColor(group, QPalette::Button, QColor(0x35, 0x35, 0x35));
        dark.setColor(group, QPalette::ButtonText, Qt::white);
    }
    return dark;
}

} // namespace

class TestSkin : public QObject
{
    Q_OBJECT

private slots:
    void textStaysReadableUnderADarkScheme()
    {
        // The desktop's scheme is dark; the skin's backgrounds are light, and
        // it brings every colour of its own.
        QApplication::setPalette(darkScheme());
        Artwork::applySkin(*qApp);
        const QPalette skin = Artwork::palette();
        for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
            for (int role = 0; role < QPalette::NColorRoles; ++role)
                if (role != QPalette::NoRole)
                    QCOMPARE(QApplication::palette().color(group, QPalette::ColorRole(role)),
                             skin.color(group, QPalette::ColorRole(role)));

        AlbumStore store;
        AlbumLibrary library(store);
        NewAlbumDialog dialog(library);
        dialog.nameEdit->setText(QStringLiteral("旅行"));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const QImage shot = dialog.grab().toImage();
        const QLabel *label = dialog.findChild<QLabel *>(QStringLiteral("nameLabel"));
        QVERIFY(label);
        QVERIFY2(inkPixels(shot, label->geometry()) > 20, "the label's text cannot be read");
        QVERIFY2(inkPixels(shot, dialog.nameEdit->geometry().adjusted(2, 2, -2, -2)) > 20, "typed text cannot be read");
        QVERIFY2(inkPixels(shot, dialog.createButton->geometry().adjusted(2, 2, -2, -2)) > 20,
                 "the button's caption cannot be read");

        QMenu menu;
        menu.addAction(QStringLiteral("新建相册"));
        menu.addAction(QStringLiteral("删除相册"));
        menu.adjustSize();
        const QImage items = menu.grab().toImage();
        QVERIFY2(inkPixels(items, items.rect().adjusted(4, 4, -4, -4)) > 40, "the menu's items cannot be read");
    }

    void disabledButtonsLookDisabled()
    {
        Artwork::applySkin(*qApp);
        QWidget window;
        auto *button = new QPushButton(QStringLiteral("开始导入"), &window);
        button->setGeometry(10, 10, 99, 25);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QImage enabled = button->grab().toImage();
        button->setEnabled(false);
        const QImage disabled = button->grab().toImage();
        QVERIFY(enabled != disabled);
        // The caption is fainter: less ink against the button.
        QVERIFY(inkPixels(disabled, disabled.rect().adjusted(3, 3, -3, -3))
                < inkPixels(enabled, enabled.rect().adjusted(3, 3, -3, -3)));
    }

    void qtsOwnTextsAreChinese()
    {
        if (!Language::install(QStringLiteral("zh_CN")))
            QSKIP("Qt's Chinese translations (qt6-translations-l10n) are not installed");
        QDialogButtonBox box(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
        QCOMPARE(box.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("取消"));
        QLineEdit entry;
        QMenu *menu = entry.createStandardContextMenu();
        QStringList texts;
        for (const QAction *action : menu->actions())
            texts.append(action->text());
        delete menu;
        QVERIFY2(texts.join(QLatin1Char(' ')).contains(QStringLiteral("复制")), qPrintable(texts.join(QLatin1Char(' '))));
    }
};

QTEST_MAIN(TestSkin)
#include "test_skin.moc"
