#pragma once
// The album export dialog: every picture of a chosen album is written, as
// the file it was imported from, into a folder named after the album inside
// a chosen folder.

#include "DialogBase.h"

class QLineEdit;
class QStatusBar;
class QToolButton;

class AlbumExportDialog : public DialogBase
{
    Q_OBJECT
public:
    explicit AlbumExportDialog(AlbumLibrary &library, QWidget *owner = nullptr);

    void albumListOpening();
    void albumChosen();
    void chooseTargetFolder();
    void startExport();
    void closeDialog();

    // The folder an album is exported into: the target folder, trimmed,
    // then the album name. Empty when the album name cannot be a folder
    // name inside it.
    static QString exportFolder(const QString &target, const QString &album);
    // Runs the folder chooser; the chosen folder, or empty text.
    QString runFolderChooser();

    AlbumChooser *albumChooser = nullptr;
    QLineEdit *targetFolderEdit = nullptr;
    QToolButton *browseButton = nullptr;
    QPushButton *exportButton = nullptr;
    QPushButton *closeButton = nullptr;
    QStatusBar *statusBar = nullptr;
    QLabel *albumStatus = nullptr;
    QLabel *progressLabel = nullptr;

private:
    void run(const QString &folder, const QString &album);

    QString m_lastFolder;
};
