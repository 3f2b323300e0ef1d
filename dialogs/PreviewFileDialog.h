#pragma once

#include <QFileDialog>

class QLabel;

// A non-native file dialog with a preview of the picture selected in it.
class PreviewFileDialog : public QFileDialog
{
    Q_OBJECT
public:
    PreviewFileDialog(const QString &title, const QString &filter, QWidget *parent = nullptr);
    QLabel *preview() const { return m_preview; }
    // The files chosen, in the order the dialog's file list shows them
    // (not the order they were clicked in).
    QStringList selectedFilesInListOrder() const;

protected:
    // The file named when the dialog opens is previewed too.
    void showEvent(QShowEvent *event) override;

private:
    void showPreview(const QString &path);
    QLabel *m_preview = nullptr;
};
