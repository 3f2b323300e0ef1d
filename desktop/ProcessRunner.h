#pragma once

#include "CommandRunner.h"

// Runs programs with QProcess, waiting at most a few seconds for each.
class ProcessRunner : public CommandRunner
{
public:
    QString find(const QString &program) override;
    CommandResult run(const QString &program, const QStringList &args) override;
};
