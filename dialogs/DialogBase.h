#pragma once
// What the dialogs share: a fixed-size window centred over its owner with
// only a close control, buttons that Enter never presses (Esc closes the
// dialog as its close control does), a banner, and the album chooser asking
// a protected album's password.

#include "AlbumChooser.h"

#include <QDialog>

#include <memory>

class AlbumLibrary;
class AlbumLibraryTask;

class QFrame;
class QLineEdit;
class QLabel;
class QPushButton;

// Where the file choosers start: the program's folder where programs and
// albums share one (the portable layout, a build folder), else the user's
// pictures folder, never a system folder.
QString startFolder();

class DialogBase : public QDialog
{
    Q_OBJECT
public:
    DialogBase(const QString &caption, const QSize &clientSize, QWidget *owner);
    // A dialog that works on the albums, through the library. The protected
    // albums it opens are closed again when it goes.
    DialogBase(AlbumLibrary &library, const QString &caption, const QSize &clientSize, QWidget *owner);
    ~DialogBase() override;

protected:
    // Enter presses nothing; Esc closes the dialog, once its work is done.
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;
    // While a run lasts, closing the dialog waits for its end.
    void closeEvent(QCloseEvent *event) override;

    // A long run (an import, an export) begins and ends; after its last
    // message, finishRun closes the dialog when that was asked meanwhile.
    void beginRun() { m_running = true; }
    void endRun() { m_running = false; }
    void finishRun();

    AlbumLibrary &library() const { return *m_library; }

    // Asks a protected album's access password when it is chosen. False,
    // with the chooser back at the placeholder, when the answer is empty or
    // wrong (a wrong one is told with wrongMessage, before or after the
    // reset).
    bool albumAccessGranted(AlbumChooser *combo, const QString &album, const QString &wrongMessage,
                            bool resetBeforeWarning);

    QLabel *addBanner(int height);
    // The banner with the separator line bannerLine under it.
    void addBannerWithSeparator(int height);
    QLabel *addLabel(const QString &text, int left, int top);
    QPushButton *addButton(const QString &text, const QRect &geometry);
    QFrame *addLine(const QRect &geometry);
    // A masked entry holding at most maxBytes of GBK text.
    QLineEdit *addPasswordEntry(const char *name, const QRect &geometry, int maxBytes);
    // An album chooser named albumChooser, holding the placeholder alone.
    AlbumChooser *addAlbumChooser(const QRect &geometry, const QString &placeholder);

private:
    void makeRoomForLabels();

    AlbumLibrary *m_library = nullptr;
    std::unique_ptr<AlbumLibraryTask> m_openedAlbums;
    bool m_running = false;
    bool m_closeAfterRun = false;
};
