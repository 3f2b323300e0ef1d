#pragma once

#include "PreviewFileDialog.h"

// The save-picture dialog: JPEG files only, ".jpg" added to a name typed
// without an extension, no question before replacing a file, and a preview
// of the picture file selected in it.
class PictureSaveDialog : public PreviewFileDialog
{
    Q_OBJECT
public:
    PictureSaveDialog(const QString &start, QWidget *parent = nullptr);
};
