#pragma once
// What a photo's EXIF data says about it: when it was taken and with which
// camera, read with libexif.

#include <QByteArray>
#include <QString>

struct PhotoFacts
{
    QString taken;  // "2024-05-01 12:34", or empty
    QString camera; // "Canon EOS 5D", or empty
};

// From the picture file's bytes (only its first part is looked at); empty
// facts where it has no EXIF data or the data does not read.
PhotoFacts photoFacts(const QByteArray &file);
