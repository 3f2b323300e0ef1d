#pragma once
// Brings the albums of an earlier version's album store (a Jet 4 database
// from the Windows program) into the open store. The old file is read by a
// helper process (quilbo-legacy-reader) that streams it over a pipe, so
// that a damaged file never takes the program down; pictures arrive one at
// a time. The whole import is one transaction: on any failure or a cancel
// the store is as it was.

#include <QString>
#include <QStringList>

#include <functional>

class AlbumStore;

class LegacyImport
{
public:
    struct Summary
    {
        bool imported = false;
        // Why nothing was imported; empty when it was.
        QString failure;
        int albums = 0;
        int pictures = 0;
        // What the user should know: albums renamed, pictures left out.
        QStringList notes;
        // All of it, in sentences for the user.
        QString text(const QString &file) const;
    };

    // Told each album and picture done of all of them; returning false
    // cancels the import.
    using Progress = std::function<bool(int done, int total)>;

    // The helper, installed outside the PATH beside the program's folder:
    // <program folder>/../lib/quilbo2009/quilbo-legacy-reader.
    static QString readerPath();

    // With nothing heard from the helper for this long, it is taken for
    // hung and stopped.
    static constexpr int DefaultTimeoutMs = 30000;

    // Another reader and another patience, for the tests alone: the program
    // never gives any, and nothing in its environment changes them.
    struct Options
    {
        QString reader;  // empty: readerPath()
        int timeoutMs = 0; // 0: DefaultTimeoutMs
    };

    static Summary run(AlbumStore &store, const QString &file, const Progress &progress = Progress(),
                       const Options &options = Options{QString(), 0});
};
