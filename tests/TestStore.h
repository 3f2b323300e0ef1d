#pragma once
// Album stores for tests, made in a temporary folder by the same code that
// makes the shipped empty store.

#include <QString>
#include <QByteArray>
#include <QTemporaryDir>

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
    void tearDown() { store.reset(); }

    QTemporaryDir dir;
    std::unique_ptr<AlbumStore> store;
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

// A tmpfs of a few bytes mounted for the life of the object, to show what a
// full disk does. Mounting needs root; Mounted() tells whether it worked.
class SmallDisk
{
public:
    SmallDisk(const QString &path, qint64 bytes);
    ~SmallDisk();
    bool isMounted() const { return m_mounted; }
    const QString &path() const { return m_path; }

private:
    QString m_path;
    bool m_mounted = false;
};

} // namespace TestStore
