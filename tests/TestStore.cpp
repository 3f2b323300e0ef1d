#include "TestStore.h"

#include "ConnectionString.h"
#include "PicDMUnit.h"
#include "StoreSchema.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

namespace TestStore {

bool Fixture::Setup(bool open)
{
    if (!dir.isValid()) {
        QTest::qFail("no temporary folder", __FILE__, __LINE__);
        return false;
    }
    dm.reset(); // one data module at a time
    dm = std::make_unique<TPicDM>();
    prompts = ScriptedPrompts::Install(*dm);
    if (!open)
        return true;
    static int n = 0;
    path = Make(dir, QStringLiteral("store%1.pdb").arg(++n));
    if (path.isEmpty() || !dm->OpenStore(ConnectionString::ForStore(path))) {
        QTest::qFail("cannot open a test store", __FILE__, __LINE__);
        return false;
    }
    return true;
}

QString Make(const QTemporaryDir &dir, const QString &name)
{
    const QString path = dir.filePath(name);
    QString error;
    if (!StoreSchema::CreateEmptyStore(path, &error)) {
        QTest::qFail(qPrintable(QStringLiteral("cannot make a test store: ") + error), __FILE__, __LINE__);
        return QString();
    }
    return path;
}

QString TestData()
{
    const QString path = QStringLiteral(QUILBO_TESTDATA);
    return QDir(path).exists() ? QDir(path).canonicalPath() : QString();
}

QByteArray ReadFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

int AddPictureBytes(const QTemporaryDir &dir, int albumId, const QString &name, const QByteArray &bytes)
{
    // Each picture comes from a folder of its own, so that any name fits.
    static int n = 0;
    const QString folder = dir.filePath(QStringLiteral("import%1").arg(++n));
    QDir().mkpath(folder);
    const QString file = folder + QLatin1Char('/') + name + QStringLiteral(".jpg");
    if (!WriteFile(file, bytes) || !PicDM->AddPicture(albumId, file)) {
        QTest::qFail(qPrintable(QStringLiteral("cannot store the picture ") + name), __FILE__, __LINE__);
        return -1;
    }
    return PicDM->FindPictureId(albumId, name);
}

SmallDisk::SmallDisk(const QString &path, qint64 bytes) : m_path(path)
{
    QDir().mkpath(path);
    m_mounted = QProcess::execute(QStringLiteral("mount"), {QStringLiteral("-t"), QStringLiteral("tmpfs"),
                                                          QStringLiteral("-o"), QStringLiteral("size=%1").arg(bytes),
                                                          QStringLiteral("quilbo-test"), path}) == 0;
}

SmallDisk::~SmallDisk()
{
    if (m_mounted)
        QProcess::execute(QStringLiteral("umount"), {m_path});
}

} // namespace TestStore
