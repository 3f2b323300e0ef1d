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

private:
    void showPreview(const QString &path);
    QLabel *m_preview = nullptr;
};
