#pragma once
// Album stores for tests, made in a temporary folder by the same code that
// makes the shipped empty store.

#include <QString>
#include <QByteArray>
#include <QTemporaryDir>

#include "AlbumLibrary.h"
#include "AlbumStore.h"
#include "ScriptedPrompts.h"

#include <memory>

namespace TestStore {

// A store object with scripted prompts and a fresh store file, for one test.
struct Fixture
{
    // A new store object, and with open set a new store file opened in it. False,
    // with the test failed, when that cannot be done.
    bool setUp(bool open = true);
    void tearDown()
    {
        library.reset();
        store.reset();
    }

    QTemporaryDir dir;
    std::unique_ptr<AlbumStore> store;
    // The library over the store, as the windows use it.
    std::unique_ptr<AlbumLibrary> library;
    ScriptedPrompts *prompts = nullptr;
    QString path;
};

// Creates an empty store at dir/name and returns its path; fails the test
// (QVERIFY-style, returning empty) when it cannot.
QString makeStore(const QTemporaryDir &dir, const QString &name = QStringLiteral("pdate.pdb"));

// The shared test pictures folder, or empty when it is absent.
QString testData();

// Bytes of a file; empty when it cannot be read.
QByteArray readFile(const QString &path);
bool writeFile(const QString &path, const QByteArray &bytes);

// Stores bytes as a picture named name in the album; returns its id, or -1
// (failing the test) when it cannot.
int addPictureBytes(const QTemporaryDir &dir, int albumId, const QString &name, const QByteArray &bytes);

// Resident memory of this process in kB, from /proc/self/status: "VmRSS:"
// now, "VmHWM:" the peak since resetMemoryPeak(); -1 where it cannot be
// read. resetMemoryPeak() is false where the peak cannot be reset.
qint64 memoryKb(const char *field);
bool resetMemoryPeak();

// A file system mounted on path (made when missing) for the life of the
// object. Mounting needs root; isMounted() tells whether it worked, why()
// what mount said when it did not.
class Mount
{
public:
    Mount(const QString &path, const QStringList &mountArguments);
    ~Mount();
    Mount(const Mount &) = delete;
    Mount &operator=(const Mount &) = delete;
    bool isMounted() const { return m_mounted; }
    const QString &path() const { return m_path; }
    const QString &why() const { return m_why; }

private:
    QString m_path;
    QString m_why;
    bool m_mounted = false;
};

// A tmpfs of a few bytes, to show what a full disk does.
class SmallDisk : public Mount
{
public:
    SmallDisk(const QString &path, qint64 bytes);
};

// A FAT file system of a few megabytes in an image file, as on a USB stick:
// no hard links, no permission bits.
class FatDisk : public Mount
{
public:
    FatDisk(const QString &path, const QString &image);
};

} // namespace TestStore
