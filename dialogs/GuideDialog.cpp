#include "GuideDialog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextBrowser>
#include <QVBoxLayout>

QString guideFile()
{
    const QDir programDir(QCoreApplication::applicationDirPath());
    for (const char *candidate : {"../share/doc/quilbo2009/README.md", "../../README.md", "../README.md", "README.md"}) {
        const QFileInfo file(programDir.filePath(QString::fromLatin1(candidate)));
        if (file.isFile())
            return file.canonicalFilePath();
    }
    return QString();
}

GuideDialog::GuideDialog(QWidget *owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("guideDialog"));
    setWindowTitle(QStringLiteral("使用说明"));
    resize(640, 560);
    text = new QTextBrowser(this);
    text->setObjectName(QStringLiteral("guideText"));
    text->setOpenExternalLinks(true);
    QFile file(guideFile());
    if (file.open(QIODevice::ReadOnly))
        text->setMarkdown(QString::fromUtf8(file.readAll()));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(text);
}
