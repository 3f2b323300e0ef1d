#pragma once
// The import of an earlier version's album store: first the file, chosen in
// a file chooser (chooseLegacyStore), then this dialog, which imports it at
// once with a progress bar that can be cancelled, and ends with a summary.

#include "DialogBase.h"
#include "AlbumLibrary.h"

class QLabel;
class QPlainTextEdit;
class QProgressBar;

// The old album store to import, chosen by the user; empty when cancelled.
QString chooseLegacyStore(QWidget *owner);

class LegacyImportDialog : public DialogBase
{
    Q_OBJECT
public:
    LegacyImportDialog(AlbumLibrary &library, const QString &file, QWidget *owner = nullptr);

    // Runs the import (started by itself once the dialog shows).
    void runImport();
    void cancel() { m_cancelled = true; }

    QProgressBar *progressBar = nullptr;
    QLabel *statusLabel = nullptr;
    QPlainTextEdit *summaryView = nullptr;
    QPushButton *cancelButton = nullptr;
    QPushButton *closeButton = nullptr;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QString m_file;
    bool m_cancelled = false;
    bool m_started = false;
};
