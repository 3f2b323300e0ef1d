#pragma once
// The compact store dialog: compacts the album store file and tells how it
// went.

#include "DialogBase.h"

class QProgressBar;

class CompactStoreDialog : public DialogBase
{
    Q_OBJECT
public:
    // storePath: the store the program has open.
    CompactStoreDialog(AlbumLibrary &library, const QString &storePath, QWidget *owner = nullptr);

    void startCompaction();

    QProgressBar *progressBar = nullptr;
    QPushButton *startButton = nullptr;

private:
    QString m_storePath;
};
