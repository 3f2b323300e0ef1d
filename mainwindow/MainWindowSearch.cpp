// The search bar: one picture of a chosen album, found by its exact name,
// shown in the viewer without going through the tree.

#include "MainWindow.h"

#include "AlbumChooser.h"
#include "AlbumLibrary.h"
#include "Application.h"
#include "Artwork.h"
#include "Prompts.h"
#include "TextRules.h"

#include <QCoreApplication>
#include <QFrame>
#include <QLineEdit>
#include <QToolButton>

namespace {

QString placeholder() { return QCoreApplication::translate("MainWindow", "<选择相册>"); }
QString keywordHint() { return QCoreApplication::translate("MainWindow", "关键词"); }

} // namespace

void MainWindow::createSearchBar()
{
    m_searchBar = new QWidget(m_searchPanel);
    m_searchBar->setObjectName(QStringLiteral("searchBar"));
    m_searchBar->setGeometry(0, 5, 288, 18);
    m_searchAlbumChooser = new AlbumChooser(m_searchBar);
    m_searchAlbumChooser->setObjectName(QStringLiteral("searchAlbumChooser"));
    m_searchAlbumChooser->setGeometry(22, 0, 120, 18);
    m_searchAlbumChooser->fill(placeholder(), {});
    QPalette grey = m_searchAlbumChooser->palette();
    grey.setColor(QPalette::ButtonText, Qt::gray);
    grey.setColor(QPalette::Text, Qt::gray);
    m_searchAlbumChooser->setPalette(grey);
    connect(m_searchAlbumChooser, &AlbumChooser::dropDown, this, &MainWindow::refillSearchAlbums);
    auto *searchButton = new QToolButton(m_searchBar);
    searchButton->setObjectName(QStringLiteral("searchButton"));
    searchButton->setAutoRaise(true);
    searchButton->setGeometry(288 - 20, 0, 20, 18);
    searchButton->setIcon(QIcon(Artwork::render(QStringLiteral("glyphs/search.svg"), QSize(16, 16))));
    connect(searchButton, &QToolButton::clicked, this, [this] { Application::guard([this] { searchPicture(); }); });
    m_searchNameEdit = new QLineEdit(keywordHint(), m_searchBar);
    m_searchNameEdit->setObjectName(QStringLiteral("searchNameEdit"));
    m_searchNameEdit->setGeometry(288 - 20 - 121, 0, 121, 17);
    QPalette silver = m_searchNameEdit->palette();
    silver.setColor(QPalette::Text, QColor(0xc0, 0xc0, 0xc0));
    m_searchNameEdit->setPalette(silver);
    m_searchPanel->installEventFilter(this);
    connect(m_searchNameEdit, &QLineEdit::returnPressed, this, [this] { Application::guard([this] { searchPicture(); }); });
}

void MainWindow::placeSearchBar()
{
    m_searchBar->move(m_searchPanel->width() - m_searchBar->width() - 5, m_searchBar->y());
}

void MainWindow::refillSearchAlbums() { refillAlbumChooser(m_library, m_searchAlbumChooser, placeholder()); }

void MainWindow::searchPicture()
{
    const QString album = trimText(m_searchAlbumChooser->currentText());
    const QString keyword = trimText(m_searchNameEdit->text());
    if (album.isEmpty() || album == placeholder() || keyword == keywordHint() || m_searchNameEdit->text().isEmpty()) {
        Prompts::showInfo(tr("提示"), tr("搜索条件不足!"));
        return;
    }
    // A protected album's pictures are shown only for its password, as in
    // the tree.
    if (!openAlbum(album))
        return;
    const int pictureId = m_library.pictureId(album, keyword);
    if (pictureId == -1)
        return;
    // Once shown, the found picture becomes the tree's selection.
    showPicture(pictureId, album, m_library.pictureName(pictureId));
}
