#include "ProcessRunner.h"

#include <QProcess>
#include <QStandardPaths>

QString ProcessRunner::find(const QString &program) { return QStandardPaths::findExecutable(program); }

CommandResult ProcessRunner::run(const QString &program, const QStringList &args)
{
    CommandResult result;
    QProcess process;
    process.start(program, args);
    if (!process.waitForStarted(5000))
        return result;
    result.started = true;
    process.closeWriteChannel();
    if (!process.waitForFinished(15000)) {
        process.kill();
        process.waitForFinished(1000);
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.output = process.readAllStandardOutput();
    return result;
}
