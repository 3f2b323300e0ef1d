#pragma once
// Helpers shared by the benchmarks: the median of repeated runs, peak
// memory, a store to work on.

#include "AlbumStore.h"
#include "JpegCodec.h"
#include "Prompts.h"
#include "QtPromptHandler.h"
#include "StoreSchema.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStorageInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <vector>

namespace Bench {

// Set when a target was missed: the benchmark then ends with status 1.
inline bool targetMissed = false;
inline int exitStatus() { return targetMissed ? 1 : 0; }

// Peak resident memory since the start or the last resetPeak, in MB.
inline double peakMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024;
    return -1;
}

inline void resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

// Median wall time in milliseconds of runs calls of f, after one warm-up.
inline double medianMs(int runs, const std::function<void()> &f)
{
    f();
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        f();
        times.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Makes an empty store in dir and opens it in store, with the Qt prompts;
// returns its path.
inline QString openNewStore(const QTemporaryDir &dir, AlbumStore &store)
{
    const QString path = dir.filePath(QStringLiteral("pdate.pdb"));
    if (!StoreSchema::createEmptyStore(path) || !store.openStore(path)) {
        std::fprintf(stderr, "cannot make a store in %s\n", qPrintable(dir.path()));
        std::exit(1);
    }
    Prompts::install(std::make_unique<QtPromptHandler>());
    return path;
}

// A 12-megapixel picture with fine noise, as a camera's file of about
// 7.5 MB (copies made distinct by a trailing tag stand for a card's files).
inline QByteArray cameraJpeg()
{
    QImage image(4000, 3000, QImage::Format_RGB32);
    std::mt19937 rng(3);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            line[x] = qRgb(int(rng() % 256), (x + int(rng() % 64)) % 256, (y + int(rng() % 64)) % 256);
    }
    return JpegCodec::encode(image, 88);
}

// Wall time in milliseconds of a shell command.
inline double shellMs(const QString &command)
{
    QElapsedTimer t;
    t.start();
    QProcess::execute(QStringLiteral("sh"), {QStringLiteral("-c"), command});
    return double(t.nsecsElapsed()) / 1e6;
}

// Megabytes free on the disk holding the folder.
inline qint64 freeMb(const QString &folder)
{
    return QStorageInfo(folder).bytesAvailable() / 1000000;
}

// The machine's load average over the last minute, as /proc tells it.
inline double loadAverage()
{
    QFile load(QStringLiteral("/proc/loadavg"));
    return load.open(QIODevice::ReadOnly) ? load.readAll().split(' ').value(0).toDouble() : -1;
}

// Medians of runs, with their spread, and the ratio of the medians against
// its target (none when limit is 0).
inline void reportRuns(const char *what, std::vector<double> ours, const char *baseline, std::vector<double> base,
                       double limit)
{
    std::sort(ours.begin(), ours.end());
    std::sort(base.begin(), base.end());
    const double o = ours[ours.size() / 2];
    const double b = base[base.size() / 2];
    std::printf("%-34s %9.1f ms  [min %.1f, max %.1f]\n%-34s %9.1f ms  [min %.1f, max %.1f]  (load %.2f)\n", what,
                o, ours.front(), ours.back(), baseline, b, base.front(), base.back(), loadAverage());
    if (limit > 0) {
        std::printf("ratio %.2f (target at most %.2f): %s\n", o / b, limit, o / b <= limit ? "met" : "NOT MET");
        targetMissed = targetMissed || o / b > limit;
    } else
        std::printf("ratio %.2f (no target)\n", o / b);
}


// Runs ours and base alternately (A B A B ...), runs times each, and gives
// each one's wall times in milliseconds.
inline std::pair<std::vector<double>, std::vector<double>> alternate(int runs, const std::function<void()> &ours,
                                                                      const std::function<void()> &base)
{
    std::pair<std::vector<double>, std::vector<double>> times;
    for (int i = 0; i < runs; ++i)
        for (auto [f, into] : {std::pair{&ours, &times.first}, std::pair{&base, &times.second}}) {
            QElapsedTimer t;
            t.start();
            (*f)();
            into->push_back(double(t.nsecsElapsed()) / 1e6);
        }
    return times;
}

inline void report(const char *what, double ours, const char *baseline, double base, double limit)
{
    const double ratio = ours / base;
    std::printf("%-34s %9.2f ms\n%-34s %9.2f ms\nratio %.2f (target at most %.1f): %s\n", what, ours, baseline, base,
                ratio, limit, ratio <= limit ? "met" : "NOT MET");
    targetMissed = targetMissed || ratio > limit;
}

} // namespace Bench
