#include "StoreLocation.h"
#include <QCoreApplication>

#include "AlbumLibrary.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace StoreLocation {

namespace {

const QString kCreatedKey = QStringLiteral("store/userStoreCreated");

QSettings userSettings()
{
    // $XDG_CONFIG_HOME/quilbo2009/quilbo2009.ini
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("quilbo2009"),
                     QStringLiteral("quilbo2009"));
}

QString dataHome()
{
    const QString data = qEnvironmentVariable("XDG_DATA_HOME");
    return !data.isEmpty() && QDir::isAbsolutePath(data) ? data : QDir::homePath() + QStringLiteral("/.local/share");
}

} // namespace

QString portablePath(const QString &programFolder) { return programFolder + QStringLiteral("/date/pdate.pdb"); }

QString userStorePath() { return dataHome() + QStringLiteral("/quilbo2009/pdate.pdb"); }

Choice choose(const QString &option, const QString &programFolder)
{
    Choice choice;
    if (!option.isEmpty()) {
        choice.path = QFileInfo(option).absoluteFilePath();
        return choice;
    }
    const QString portable = portablePath(programFolder);
    if (QFileInfo(portable).isFile()) {
        choice.path = portable;
        return choice;
    }
    choice.path = userStorePath();
    QSettings settings = userSettings();
    if (QFileInfo::exists(choice.path) || QFileInfo(choice.path).isSymLink()
        || settings.value(kCreatedKey, false).toBool())
        return choice;

    // The user's first start: what the installer did on other systems.
    const QString folder = QFileInfo(choice.path).absolutePath();
    if (!QDir().mkpath(folder)) {
        choice.error = QCoreApplication::translate("StoreLocation", "无法建立文件夹 %1").arg(folder);
        return choice;
    }
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QString error;
    if (!AlbumLibrary::createEmptyStore(choice.path, &error)) {
        choice.error = error;
        return choice;
    }
    QFile::setPermissions(choice.path, QFile::ReadOwner | QFile::WriteOwner);
    settings.setValue(kCreatedKey, true);
    settings.sync();
    choice.created = true;
    return choice;
}

} // namespace StoreLocation
