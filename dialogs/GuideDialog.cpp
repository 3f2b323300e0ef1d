#include "GuideDialog.h"

#include "Language.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextBrowser>
#include <QVBoxLayout>

QString guideFile()
{
    const QDir programDir(QCoreApplication::applicationDirPath());
    QStringList names;
    if (Language::current() != QLatin1String("zh_CN"))
        names.append(QStringLiteral("guide.%1.md").arg(Language::current()));
    names.append(QStringLiteral("guide.md"));
    // Installed beside the program's other data; in the build tree, the
    // source folder's.
    for (const char *folder : {"../share/quilbo2009/guide", "../../guide", "../guide"}) {
        for (const QString &name : std::as_const(names)) {
            const QFileInfo file(programDir.filePath(QString::fromLatin1(folder) + QLatin1Char('/') + name));
            if (file.isFile())
                return file.canonicalFilePath();
        }
    }
    return QString();
}

GuideDialog::GuideDialog(QWidget *owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("guideDialog"));
    setWindowTitle(tr("使用说明"));
    // Wide enough for the screenshots of the main window.
    resize(840, 640);
    text = new QTextBrowser(this);
    text->setObjectName(QStringLiteral("guideText"));
    text->setOpenExternalLinks(true);
    const QString file = guideFile();
    if (!file.isEmpty()) {
        // The pictures are named relative to the guide.
        text->setSearchPaths({QFileInfo(file).absolutePath()});
        text->setSource(QUrl::fromLocalFile(file), QTextDocument::MarkdownResource);
    }
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(text);
}
