#include "PhotoFacts.h"

#include <QRegularExpression>

#include <libexif/exif-data.h>

#include <algorithm>
#include <memory>

namespace {

// The EXIF block is near the start of the file, inside 64 KB.
constexpr qsizetype kLookedAt = 256 * 1024;

QString entryText(ExifData *data, ExifIfd ifd, ExifTag tag)
{
    ExifEntry *entry = exif_content_get_entry(data->ifd[ifd], tag);
    if (!entry)
        return QString();
    char text[256] = {};
    exif_entry_get_value(entry, text, sizeof text);
    // Cameras pad with blanks and NULs; nothing else is shown.
    return QString::fromUtf8(text).simplified().remove(QRegularExpression(QStringLiteral("[\\x00-\\x1f]")));
}

} // namespace

PhotoFacts photoFacts(const QByteArray &file)
{
    PhotoFacts facts;
    const qsizetype size = std::min(file.size(), kLookedAt);
    std::unique_ptr<ExifData, decltype(&exif_data_unref)> data(
        exif_data_new_from_data(reinterpret_cast<const unsigned char *>(file.constData()), unsigned(size)),
        &exif_data_unref);
    if (!data)
        return facts;
    // "2024:05:01 12:34:56" as people write it, without the seconds.
    QString taken = entryText(data.get(), EXIF_IFD_EXIF, EXIF_TAG_DATE_TIME_ORIGINAL);
    if (taken.isEmpty())
        taken = entryText(data.get(), EXIF_IFD_0, EXIF_TAG_DATE_TIME);
    static const QRegularExpression stamp(QStringLiteral("^(\\d{4}):(\\d{2}):(\\d{2}) (\\d{2}):(\\d{2})"));
    const QRegularExpressionMatch m = stamp.match(taken);
    if (m.hasMatch() && m.captured(1) != QLatin1String("0000"))
        facts.taken = QStringLiteral("%1-%2-%3 %4:%5").arg(m.captured(1), m.captured(2), m.captured(3), m.captured(4),
                                                         m.captured(5));
    const QString make = entryText(data.get(), EXIF_IFD_0, EXIF_TAG_MAKE);
    const QString model = entryText(data.get(), EXIF_IFD_0, EXIF_TAG_MODEL);
    // Most models name their maker already ("Canon EOS 5D").
    if (model.isEmpty())
        facts.camera = make;
    else if (make.isEmpty() || model.startsWith(make.section(QLatin1Char(' '), 0, 0), Qt::CaseInsensitive))
        facts.camera = model;
    else
        facts.camera = make + QLatin1Char(' ') + model;
    return facts;
}
