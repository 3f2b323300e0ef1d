#pragma once
// Importing a whole folder (a camera's card): an album chosen as the import
// dialog chooses it, a folder, then every picture under it, subfolders
// included, with the count done of all, the file under way, the time left
// and a cancel button; a summary at the end.

#include "DialogBase.h"

class QLabel;
class QLineEdit;
class QProgressBar;

class FolderImportDialog : public DialogBase
{
    Q_OBJECT
public:
    explicit FolderImportDialog(AlbumLibrary &library, QWidget *owner = nullptr);

    // The folder (or files) to import, as chosen or dropped.
    void setPaths(const QStringList &paths);
    void chooseFolder();
    void startImport();

    AlbumChooser *albumChooser = nullptr;
    QLineEdit *folderEdit = nullptr;
    QPushButton *browseButton = nullptr;
    QPushButton *importButton = nullptr;
    QPushButton *closeButton = nullptr;
    QProgressBar *progressBar = nullptr;
    QLabel *progressText = nullptr;

private:
    // Files dropped with the folder: imported with it.
    QStringList m_paths;
    bool m_cancel = false;
};
