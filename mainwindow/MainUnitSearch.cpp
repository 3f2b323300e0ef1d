// The search bar: one picture of a chosen album, found by its exact name,
// shown in the viewer without going through the tree.

#include "Application.h"
#include "Artwork.h"
#include "MainUnit.h"
#include "PicDMUnit.h"
#include "TextRules.h"

#include <QFrame>
#include <QLineEdit>
#include <QToolButton>

namespace {

const QString kPlaceholder = QStringLiteral("<选择相册>");
const QString kKeyword = QStringLiteral("关键词");

} // namespace

void TMainForm::createSearchBar()
{
    SearcPanle = new QWidget(MainSearcPanle);
    SearcPanle->setObjectName(QStringLiteral("SearcPanle"));
    SearcPanle->setGeometry(0, 5, 288, 18);
    SearcCom = new TAlbumCombo(SearcPanle);
    SearcCom->setObjectName(QStringLiteral("SearcCom"));
    SearcCom->setGeometry(22, 0, 120, 18);
    SearcCom->Fill(kPlaceholder, {});
    QPalette grey = SearcCom->palette();
    grey.setColor(QPalette::ButtonText, Qt::gray);
    grey.setColor(QPalette::Text, Qt::gray);
    SearcCom->setPalette(grey);
    connect(SearcCom, &TAlbumCombo::dropDown, this, &TMainForm::SearcComDropDown);
    SearcBtn = new QToolButton(SearcPanle);
    SearcBtn->setObjectName(QStringLiteral("SearcBtn"));
    SearcBtn->setAutoRaise(true);
    SearcBtn->setGeometry(288 - 20, 0, 20, 18);
    SearcBtn->setIcon(QIcon(Artwork::Render(QStringLiteral("glyphs/search.svg"), QSize(16, 16))));
    connect(SearcBtn, &QToolButton::clicked, this, [this] { TApplication::Guard([this] { SearcBtnClick(); }); });
    SearcEdit = new QLineEdit(kKeyword, SearcPanle);
    SearcEdit->setObjectName(QStringLiteral("SearcEdit"));
    SearcEdit->setGeometry(288 - 20 - 121, 0, 121, 17);
    QPalette silver = SearcEdit->palette();
    silver.setColor(QPalette::Text, QColor(0xc0, 0xc0, 0xc0));
    SearcEdit->setPalette(silver);
    MainSearcPanle->installEventFilter(this);
}

void TMainForm::MainSearcPanleResize()
{
    SearcPanle->move(MainSearcPanle->width() - SearcPanle->width() - 5, SearcPanle->y());
}

void TMainForm::SearcComDropDown()
{
    RefillAlbums(SearcCom, kPlaceholder);
}

void TMainForm::SearcBtnClick()
{
    const QString album = TrimText(SearcCom->currentText());
    const QString keyword = TrimText(SearcEdit->text());
    if (album.isEmpty() || album == kPlaceholder || keyword == kKeyword || SearcEdit->text().isEmpty()) {
        PicDM->ShowInfo(QStringLiteral("提示"), QStringLiteral("搜索条件不足!"));
        return;
    }
    // A protected album's pictures are shown only for its password, as in
    // the tree.
    if (PicDM->AlbumHasPassword(album) && !albumPasswordGiven(album))
        return;
    const int pictureId = PicDM->FindPictureId(PicDM->FindAlbumId(album), keyword);
    if (pictureId == -1)
        return;
    ShowPicture(pictureId);
}
