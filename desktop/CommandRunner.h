#pragma once
// Runs the desktop's own tools. Injected, so that tests see the exact
// commands without touching a desktop.

#include <QByteArray>
#include <QString>
#include <QStringList>

struct CommandResult
{
    bool started = false;
    int exitCode = -1;
    QByteArray output; // standard output
};

class CommandRunner
{
public:
    virtual ~CommandRunner() = default;
    // The program's full path when it is installed, else empty.
    virtual QString find(const QString &program) = 0;
    virtual CommandResult run(const QString &program, const QStringList &args) = 0;
};
