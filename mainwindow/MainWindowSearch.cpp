// The search bar: one picture of a chosen album, found by its exact name,
// shown in the viewer without going through the tree.

#include "MainWindow.h"

#include "AlbumChooser.h"
#include "AlbumLibrary.h"
#include "Application.h"
#include "Artwork.h"
#include "Prompts.h"
#include "TextRules.h"

#include <QFrame>
#include <QLineEdit>
#include <QToolButton>
#include <QTreeWidget>

namespace {

const QString kPlaceholder = QStringLiteral("<选择相册>");
const QString kKeyword = QStringLiteral("关键词");

} // namespace

void MainWindow::createSearchBar()
{
    searchBar = new QWidget(searchPanel);
    searchBar->setObjectName(QStringLiteral("searchBar"));
    searchBar->setGeometry(0, 5, 288, 18);
    searchAlbumChooser = new AlbumChooser(searchBar);
    searchAlbumChooser->setObjectName(QStringLiteral("searchAlbumChooser"));
    searchAlbumChooser->setGeometry(22, 0, 120, 18);
    searchAlbumChooser->fill(kPlaceholder, {});
    QPalette grey = searchAlbumChooser->palette();
    grey.setColor(QPalette::ButtonText, Qt::gray);
    grey.setColor(QPalette::Text, Qt::gray);
    searchAlbumChooser->setPalette(grey);
    connect(searchAlbumChooser, &AlbumChooser::dropDown, this, &MainWindow::refillSearchAlbums);
    searchButton = new QToolButton(searchBar);
    searchButton->setObjectName(QStringLiteral("searchButton"));
    searchButton->setAutoRaise(true);
    searchButton->setGeometry(288 - 20, 0, 20, 18);
    searchButton->setIcon(QIcon(Artwork::render(QStringLiteral("glyphs/search.svg"), QSize(16, 16))));
    connect(searchButton, &QToolButton::clicked, this, [this] { Application::guard([this] { searchPicture(); }); });
    searchNameEdit = new QLineEdit(kKeyword, searchBar);
    searchNameEdit->setObjectName(QStringLiteral("searchNameEdit"));
    searchNameEdit->setGeometry(288 - 20 - 121, 0, 121, 17);
    QPalette silver = searchNameEdit->palette();
    silver.setColor(QPalette::Text, QColor(0xc0, 0xc0, 0xc0));
    searchNameEdit->setPalette(silver);
    searchPanel->installEventFilter(this);
    connect(searchNameEdit, &QLineEdit::returnPressed, this, [this] { Application::guard([this] { searchPicture(); }); });
}

void MainWindow::placeSearchBar()
{
    searchBar->move(searchPanel->width() - searchBar->width() - 5, searchBar->y());
}

void MainWindow::refillSearchAlbums()
{
    refillAlbumChooser(m_library, searchAlbumChooser, kPlaceholder);
}

void MainWindow::searchPicture()
{
    const QString album = trimText(searchAlbumChooser->currentText());
    const QString keyword = trimText(searchNameEdit->text());
    if (album.isEmpty() || album == kPlaceholder || keyword == kKeyword || searchNameEdit->text().isEmpty()) {
        Prompts::showInfo(QStringLiteral("提示"), QStringLiteral("搜索条件不足!"));
        return;
    }
    // A protected album's pictures are shown only for its password, as in
    // the tree.
    if (m_library.albumHasPassword(album) && !albumPasswordGiven(album))
        return;
    const int pictureId = m_library.pictureId(album, keyword);
    if (pictureId == -1)
        return;
    // Once shown, the found picture becomes the tree's selection.
    loadPicture(pictureId, album, m_library.pictureName(pictureId));
}

QTreeWidgetItem *MainWindow::findPictureNode(const QString &album, const QString &picture) const
{
    QTreeWidgetItem *root = albumTree->topLevelItem(0);
    for (int i = 0; root && i < root->childCount(); ++i) {
        QTreeWidgetItem *albumNode = root->child(i);
        if (albumNode->text(0) != album)
            continue;
        for (int j = 0; j < albumNode->childCount(); ++j)
            if (trimText(albumNode->child(j)->text(0)) == trimText(picture))
                return albumNode->child(j);
    }
    return nullptr;
}

void MainWindow::selectShownPicture()
{
    // The picture on screen becomes the selection, so that every picture
    // command acts on it. Its album opens without a second password
    // prompt, and the viewer keeps the picture as shown, zoom included.
    QTreeWidgetItem *node = findPictureNode(m_shown.album, m_shown.name);
    if (node && node == albumTree->currentItem())
        return;
    m_keepViewer = true;
    if (node) {
        expandGuarded(node->parent()->parent(), true);
        expandGuarded(node->parent(), true);
    }
    selectByCode(node);
    m_keepViewer = false;
}

QTreeWidgetItem *MainWindow::commandPictureNode() const
{
    if (m_shown.pictureId >= 0 && !pictureView->picture().isNull())
        return findPictureNode(m_shown.album, m_shown.name);
    QTreeWidgetItem *current = albumTree->currentItem();
    return levelOf(current) == NodeLevel::Picture ? current : nullptr;
}
