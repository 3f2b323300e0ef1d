#pragma once
// The picture import dialog: picture files are collected in a list, at most
// 50 at a time, and imported into a chosen album, each stored unchanged.

#include "DialogBase.h"

class QListWidget;
class QProgressBar;
class QStatusBar;

class PictureImportDialog : public DialogBase
{
    Q_OBJECT
public:
    explicit PictureImportDialog(AlbumLibrary &library, QWidget *owner = nullptr);

    static constexpr int MaxFiles = 50;

    void albumListOpening();
    void albumChosen();
    void choosePictures();
    void deleteSelectedListItem();
    void clearList();
    void startImport();
    void closeDialog();

    // Adds files to the list under the 50-file rule; false (with the
    // warning shown) when they would not fit. The chooser and dropped files
    // come through here.
    bool addFiles(const QStringList &paths);
    // Adds the picture files among paths, as files chosen, dropped on the
    // list or named on the command line are: what the viewer could not
    // show is left out, whatever its name, and the user is told which and
    // why.
    void addPictureFiles(const QStringList &paths);
    // Runs the picture chooser; the chosen files, or an empty list.
    QStringList runPictureChooser();

    AlbumChooser *albumChooser = nullptr;
    QListWidget *fileList = nullptr;
    QPushButton *choosePicturesButton = nullptr;
    QPushButton *deleteItemButton = nullptr;
    QPushButton *clearListButton = nullptr;
    QPushButton *importButton = nullptr;
    QPushButton *closeButton = nullptr;
    QStatusBar *statusBar = nullptr;
    QLabel *albumStatus = nullptr;
    QLabel *countStatus = nullptr;
    QProgressBar *progressBar = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void resetForm();
    void resetAlbumChooser();
    void setStatus(const QString &prefix, bool withAlbum);

    QString m_lastPicture;
};
