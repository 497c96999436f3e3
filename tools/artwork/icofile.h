#pragma once

#include <QByteArray>
#include <QImage>
#include <QVector>

// Encodes square images (1..256 px) as one Windows icon file: each entry an uncompressed
// 32-bit BGRA bitmap with its 1-bit transparency mask, the layout every ICO reader accepts.
// Returns an empty array when an image is null, not square or larger than 256 px.
QByteArray encodeIco(const QVector<QImage> &images);
