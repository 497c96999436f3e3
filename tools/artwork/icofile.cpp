#include "icofile.h"

#include <QBuffer>
#include <QDataStream>

namespace {

constexpr int kDirectorySize = 6;
constexpr int kEntrySize = 16;
constexpr int kInfoHeaderSize = 40;

int maskStride(int width)
{
    return ((width + 31) / 32) * 4; // rows of the 1-bit mask are padded to 32 bits
}

QByteArray bitmapData(const QImage &source)
{
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    const int w = image.width();
    const int h = image.height();
    QByteArray data;
    QDataStream out(&data, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);

    // BITMAPINFOHEADER; the height counts the colour rows and the mask rows.
    out << quint32(kInfoHeaderSize) << qint32(w) << qint32(2 * h) << quint16(1) << quint16(32)
        << quint32(0) << quint32(w * h * 4 + maskStride(w) * h) << qint32(0) << qint32(0)
        << quint32(0) << quint32(0);

    for (int y = h - 1; y >= 0; --y) { // bitmaps are stored bottom-up
        const QRgb *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < w; ++x)
            out << quint8(qBlue(line[x])) << quint8(qGreen(line[x])) << quint8(qRed(line[x]))
                << quint8(qAlpha(line[x]));
    }
    for (int y = h - 1; y >= 0; --y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        QByteArray row(maskStride(w), '\0');
        for (int x = 0; x < w; ++x) {
            if (qAlpha(line[x]) == 0)
                row[x / 8] = char(row[x / 8] | (0x80 >> (x % 8)));
        }
        out.writeRawData(row.constData(), row.size());
    }
    return data;
}

} // namespace

QByteArray encodeIco(const QVector<QImage> &images)
{
    if (images.isEmpty() || images.size() > 0xFFFF)
        return QByteArray();
    QVector<QByteArray> bitmaps;
    for (const QImage &image : images) {
        if (image.isNull() || image.width() != image.height() || image.width() > 256)
            return QByteArray();
        bitmaps.append(bitmapData(image));
    }

    QByteArray file;
    QDataStream out(&file, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint16(0) << quint16(1) << quint16(images.size());
    quint32 offset = kDirectorySize + kEntrySize * quint32(images.size());
    for (int i = 0; i < images.size(); ++i) {
        const int side = images[i].width();
        const quint8 stored = side == 256 ? 0 : quint8(side); // 0 stands for 256
        out << stored << stored << quint8(0) << quint8(0) << quint16(1) << quint16(32)
            << quint32(bitmaps[i].size()) << offset;
        offset += quint32(bitmaps[i].size());
    }
    for (const QByteArray &bitmap : bitmaps)
        out.writeRawData(bitmap.constData(), bitmap.size());
    return file;
}
