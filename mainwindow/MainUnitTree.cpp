// The album tree: filling it, node images, password-guarded expansion,
// showing the selected picture, and renaming a picture in place.

#include "Application.h"
#include "MainUnit.h"
#include "PicDMUnit.h"
#include "TextRules.h"

#include <QLineEdit>
#include <QStyledItemDelegate>
#include <QTreeWidget>

namespace {

const QString kRootText = QStringLiteral("所有相册");

// Ends the rename edit through the window's handlers: the edited text is
// handed to PicLibViewEdited instead of being written into the node, and
// the tree is read-only again however the edit ends.
class TRenameDelegate : public QStyledItemDelegate
{
public:
    explicit TRenameDelegate(TMainForm *form) : QStyledItemDelegate(form->PicLibView), m_form(form)
    {
        connect(this, &QAbstractItemDelegate::closeEditor, this, [this] { endEdit(); });
    }

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override
    {
        m_node = m_form->PicLibView->itemFromIndex(index);
        m_form->PicLibViewEditing(m_node);
        return QStyledItemDelegate::createEditor(parent, option, index);
    }

    void setModelData(QWidget *editor, QAbstractItemModel *, const QModelIndex &index) const override
    {
        auto *line = qobject_cast<QLineEdit *>(editor);
        QTreeWidgetItem *node = m_form->PicLibView->itemFromIndex(index);
        if (line && node)
            TApplication::Guard([&] { m_form->PicLibViewEdited(node, line->text()); });
    }

private:
    void endEdit() const
    {
        if (m_node)
            m_node->setFlags(m_node->flags() & ~Qt::ItemIsEditable);
        m_node = nullptr;
    }

    TMainForm *m_form;
    mutable QTreeWidgetItem *m_node = nullptr;
};

} // namespace

TMainForm::NodeLevel TMainForm::LevelOf(const QTreeWidgetItem *node)
{
    if (!node)
        return NodeLevel::None;
    const QTreeWidgetItem *parent = node->parent();
    if (!parent)
        return NodeLevel::Root;
    return parent->parent() ? NodeLevel::Picture : NodeLevel::Album;
}

void TMainForm::createTreeHandlers()
{
    for (const QPixmap &image : ImageList1)
        m_icons.append(QIcon(image));
    PicLibView->setItemDelegate(new TRenameDelegate(this));
    // The selection is not highlighted while the tree does not have the focus.
    QPalette pal = PicLibView->palette();
    pal.setColor(QPalette::Inactive, QPalette::Highlight, pal.color(QPalette::Active, QPalette::Base));
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText, pal.color(QPalette::Active, QPalette::Text));
    PicLibView->setPalette(pal);

    connect(PicLibView, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem *node) {
        TApplication::Guard([&] { PicLibViewExpanding(node); });
    });
    connect(PicLibView, &QTreeWidget::itemCollapsed, this, &TMainForm::PicLibViewGetImageIndex);
    connect(PicLibView, &QTreeWidget::currentItemChanged, this,
            [this] { TApplication::Guard([&] { PicLibViewChange(); }); });
    // Auto-expand: a node the user selects opens too. Not on the current
    // node the view sets when it first gets the focus, which selects nothing.
    connect(PicLibView, &QTreeWidget::itemSelectionChanged, this, [this] {
        QTreeWidgetItem *current = PicLibView->currentItem();
        if (current && current->isSelected() && !m_selectingByCode && current->childCount() > 0
            && !current->isExpanded())
            current->setExpanded(true);
    });
}

void TMainForm::BuildLibTree()
{
    PicLibView->setUpdatesEnabled(false);
    PicLibView->clear();
    auto *root = new QTreeWidgetItem(QStringList(kRootText));
    setImage(root, 0);
    try {
        QStringList albums;
        PicDM->ListAlbums(&albums);
        QStringList names;
        QList<QTreeWidgetItem *> albumNodes;
        albumNodes.reserve(albums.size());
        for (const QString &album : albums) {
            auto *albumNode = new QTreeWidgetItem(QStringList(album));
            setImage(albumNode, 2);
            PicDM->ListPictureNames(PicDM->FindAlbumId(album), &names);
            QList<QTreeWidgetItem *> pictures;
            pictures.reserve(names.size());
            for (const QString &name : names) {
                auto *pictureNode = new QTreeWidgetItem(QStringList(name));
                setImage(pictureNode, 4);
                pictures.append(pictureNode);
            }
            albumNode->addChildren(pictures);
            albumNodes.append(albumNode);
        }
        root->addChildren(albumNodes);
    } catch (const std::exception &e) {
        // The tree keeps its root; the error is told as any other.
        PicLibView->addTopLevelItem(root);
        PicLibView->setUpdatesEnabled(true);
        TApplication::ReportError(QString::fromUtf8(e.what()));
        return;
    }
    PicLibView->addTopLevelItem(root);
    PicLibView->setUpdatesEnabled(true);
}

void TMainForm::AddLibNode(const QString &name)
{
    QTreeWidgetItem *root = PicLibView->topLevelItem(0);
    if (!root)
        return;
    auto *node = new QTreeWidgetItem(root, QStringList(name));
    PicLibViewGetImageIndex(node);
}

void TMainForm::setImage(QTreeWidgetItem *node, int index)
{
    node->setIcon(0, m_icons.value(index));
    node->setData(0, ImageIndexRole, index);
}

int TMainForm::ImageIndex(const QTreeWidgetItem *node)
{
    return node ? node->data(0, ImageIndexRole).toInt() : -1;
}

void TMainForm::PicLibViewGetImageIndex(QTreeWidgetItem *node)
{
    switch (LevelOf(node)) {
    case NodeLevel::Root:
        setImage(node, node->isExpanded() ? 1 : 0);
        break;
    case NodeLevel::Album:
        setImage(node, node->isExpanded() ? 3 : 2);
        break;
    case NodeLevel::Picture:
        setImage(node, 4);
        break;
    case NodeLevel::None:
        break;
    }
}

void TMainForm::expandGuarded(QTreeWidgetItem *node, bool expand)
{
    m_expandGuard = true;
    node->setExpanded(expand);
    m_expandGuard = false;
    PicLibViewGetImageIndex(node);
}

void TMainForm::PicLibViewExpanding(QTreeWidgetItem *node)
{
    if (m_expandGuard)
        return;
    if (LevelOf(node) != NodeLevel::Album) {
        PicLibViewGetImageIndex(node);
        return;
    }
    const QString album = TrimText(node->text(0));
    // The view has expanded the node already: close it again at once, before
    // anything is drawn, and open it only for the right password.
    expandGuarded(node, false);
    if (!PicDM->AlbumHasPassword(album)) {
        expandGuarded(node, true);
        return;
    }
    if (albumPasswordGiven(album))
        expandGuarded(node, true);
}

bool TMainForm::albumPasswordGiven(const QString &album)
{
    const QString answer = TrimText(PicDM->AskPassword(QStringLiteral("密码认证"), QStringLiteral("相册已被密码保护!      ")));
    if (answer.isEmpty())
        return false;
    if (PicDM->CheckAlbumPassword(album, answer))
        return true;
    PicDM->ShowInfo(QStringLiteral("提示"), QStringLiteral("密码错误,拒绝访问该相册!"));
    return false;
}

void TMainForm::PicLibViewChange()
{
    Zoomed = false;
    MainImage->SetPicture(QImage());
    QTreeWidgetItem *node = PicLibView->currentItem();
    if (LevelOf(node) != NodeLevel::Picture) {
        CurLibNode = nullptr;
        return;
    }
    CurLibNode = node->parent();
    const int albumId = PicDM->FindAlbumId(CurLibNode->text(0));
    const int pictureId = PicDM->FindPictureId(albumId, TrimText(node->text(0)));
    ShowPicture(pictureId);
}

void TMainForm::BeginRename(QTreeWidgetItem *node)
{
    if (LevelOf(node) != NodeLevel::Picture)
        return;
    node->setFlags(node->flags() | Qt::ItemIsEditable);
    PicLibView->editItem(node);
}

void TMainForm::PicLibViewEditing(QTreeWidgetItem *node)
{
    OldPicName = node ? TrimText(node->text(0)) : QString();
}

void TMainForm::PicLibViewEdited(QTreeWidgetItem *node, const QString &text)
{
    const QString newName = TrimText(text);
    // The name becomes a file name when the album is exported.
    if (newName.isEmpty()) {
        PicDM->ShowWarning(QStringLiteral("警告"), QStringLiteral("图片名称不能为空!"));
        return;
    }
    if (newName.contains(QLatin1Char('/'))) {
        PicDM->ShowWarning(QStringLiteral("警告"), QStringLiteral("图片名称不能包含字符\"/\"!"));
        return;
    }
    const int albumId = PicDM->FindAlbumId(node->parent()->text(0));
    if (!PicDM->RenamePicture(albumId, OldPicName, newName)) {
        // The label keeps the name the store has.
        PicDM->ShowWarning(QStringLiteral("警告"), QStringLiteral("该相册中已有同名的图片,请换一个名称!"));
        return;
    }
    node->setText(0, newName);
}

void TMainForm::N47Click() { BuildLibTree(); }
