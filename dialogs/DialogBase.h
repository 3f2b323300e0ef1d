#pragma once
// What the dialogs share: a fixed-size window centred over its owner with
// only a close control, buttons that Enter and Esc never press, a banner,
// the album chooser that refills itself when opened, and a file dialog with
// a picture preview.

#include <QComboBox>
#include <QDialog>
#include <QFileDialog>

class QFrame;
class QLineEdit;
class QUrl;
class QLabel;
class QPushButton;

class TAlbumCombo;

class TDialogBase : public QDialog
{
    Q_OBJECT
public:
    TDialogBase(const QString &caption, const QSize &clientSize, QWidget *owner);

protected:
    // Esc closes nothing and Enter presses nothing.
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;
    // While a run lasts, closing the dialog waits for its end.
    void closeEvent(QCloseEvent *event) override;

    // A long run (an import, an export) begins and ends; after its last
    // message, FinishRun closes the dialog when that was asked meanwhile.
    void BeginRun() { m_running = true; }
    void EndRun() { m_running = false; }
    void FinishRun();

    // Asks a protected album's access password when it is chosen. False,
    // with the chooser back at the placeholder, when the answer is empty or
    // wrong (a wrong one is told with wrongMessage, before or after the
    // reset).
    bool AlbumAccessGranted(TAlbumCombo *combo, const QString &album, const QString &wrongMessage,
                            bool resetBeforeWarning);

    QLabel *addBanner(int height);
    // The banner with the separator line RzSeparator1 under it.
    void addBannerWithSeparator(int height);
    QLabel *addLabel(const QString &text, int left, int top);
    QPushButton *addButton(const QString &text, const QRect &geometry);
    QFrame *addLine(const QRect &geometry);
    // A masked entry holding at most maxBytes of GBK text.
    QLineEdit *addPasswordEntry(const char *name, const QRect &geometry, int maxBytes);
    // An album chooser named LibCom, holding the placeholder alone.
    TAlbumCombo *addAlbumChooser(const QRect &geometry, const QString &placeholder);

private:
    bool m_running = false;
    bool m_closeAfterRun = false;
};

// Refills an album chooser from the store: the placeholder, chosen, then
// every album. Passes store errors on.
void RefillAlbums(TAlbumCombo *combo, const QString &placeholder);
// The album chosen, trimmed; empty for none (the placeholder).
QString ChosenAlbum(const TAlbumCombo *combo, const QString &placeholder);

// The address the program's links open: its own guide.
QUrl WebLogUrl();

// An album chooser: a fixed list, each entry with the album icon. Opening
// the list first emits dropDown(), so that its owner can refill it; a choice
// made by the user emits activated().
class TAlbumCombo : public QComboBox
{
    Q_OBJECT
public:
    explicit TAlbumCombo(QWidget *parent = nullptr);
    // Clears the list to the placeholder, chosen, followed by the albums.
    void Fill(const QString &placeholder, const QStringList &albums);
    void showPopup() override;

signals:
    void dropDown();

private:
    QIcon m_icon;
};

// A non-native file dialog with a preview of the picture selected in it.
class TPreviewFileDialog : public QFileDialog
{
    Q_OBJECT
public:
    TPreviewFileDialog(const QString &title, const QString &filter, QWidget *parent = nullptr);
    QLabel *Preview() const { return m_preview; }

private:
    void showPreview(const QString &path);
    QLabel *m_preview = nullptr;
};
