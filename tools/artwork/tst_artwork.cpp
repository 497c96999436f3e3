// The generated artwork: the icon file format byte for byte, every catalogue file written and
// readable in its format, lamps that share one outline, help fonts that cover every text, and
// a resource file and compiled resources that hold exactly the catalogue's pictures.
#include "artwork.h"
#include "helpcontent.h"
#include "helppicture.h"
#include "icofile.h"
#include "icons.h"
#include "velorax_resources.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>
#include <QtTest>

class TestArtwork : public QObject
{
    Q_OBJECT

private slots:
    void icoFile();
    void generatedFiles();
    void helpFontsCoverEveryText();
    void resourcesHoldTheCatalogue();
};

void TestArtwork::icoFile()
{
    QImage solid(16, 16, QImage::Format_ARGB32);
    solid.fill(qRgba(1, 2, 3, 255));
    const QByteArray one = encodeIco({solid});
    // Directory: reserved, type 1, one entry of 16 x 16, one plane, 32 bits, 1128 bytes (40
    // header + 16*16*4 colour + 16*4 mask) at offset 22; bitmap header of height 32 (colour +
    // mask); the first pixel as B G R A.
    QCOMPARE(one.left(38).toHex(' '), QByteArray("00 00 01 00 01 00 10 10 00 00 01 00 20 00 68 04 "
                                                 "00 00 16 00 00 00 28 00 00 00 10 00 00 00 20 00 "
                                                 "00 00 01 00 20 00"));
    QCOMPARE(one.size(), 22 + 1128);
    QCOMPARE(one.mid(22 + 40, 4).toHex(' '), QByteArray("03 02 01 ff"));

    // Odd mask padding (24) and 256 stored as 0 read back with a transparent corner.
    QVector<QImage> images;
    for (int size : {16, 24, 256}) {
        images << renderSaveDisk(size).convertToFormat(QImage::Format_ARGB32);
        images.last().setPixel(0, 0, qRgba(0, 0, 0, 0));
    }
    QByteArray ico = encodeIco(images);
    QBuffer buffer(&ico);
    QVERIFY(buffer.open(QIODevice::ReadOnly));
    QImageReader reader(&buffer, "ico");
    QCOMPARE(reader.imageCount(), images.size());
    for (const QImage &image : images) {
        const QImage read = reader.read().convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(read.size(), image.size());
        QCOMPARE(qAlpha(read.pixel(0, 0)), 0);
        const int mid = image.width() / 2, last = image.width() - 1;
        QCOMPARE(read.pixel(mid, mid), image.pixel(mid, mid));
        QCOMPARE(read.pixel(last, last), image.pixel(last, last));
        reader.jumpToNextImage();
    }
    for (const QVector<QImage> &bad : {QVector<QImage>{},
                                       {QImage()},
                                       {QImage(16, 8, QImage::Format_ARGB32)},
                                       {solid, QImage(300, 300, QImage::Format_ARGB32)}})
        QVERIFY(encodeIco(bad).isEmpty());
}

void TestArtwork::generatedFiles()
{
    QTemporaryDir out;
    const ArtworkResult result = writeArtwork(out.path());
    QVERIFY2(result.ok(), qPrintable(result.errors.join('\n')));
    QCOMPARE(result.written.size(), artworkCatalogue().size());
    const QImage lamp(out.filePath("images/LedGrayThree.png"));
    QCOMPARE(qAlpha(lamp.pixel(0, 0)), 0);
    for (const ArtworkFile &file : artworkCatalogue()) {
        const QString path = out.filePath(file.folder + '/' + file.name);
        QImageReader reader(path);
        reader.setDecideFormatFromContent(true); // the bytes, not the file name, decide
        const QByteArray suffix = QFileInfo(path).suffix().toLatin1();
        QCOMPARE(reader.format(), suffix == "jpg" ? QByteArray("jpeg") : suffix);
        const QImage image = reader.read();
        QVERIFY2(!image.isNull(), qPrintable(path + ": " + reader.errorString()));
        // Swapping a label between two lamps must not move the lamp's outline.
        if (file.name.startsWith(QLatin1String("Led"), Qt::CaseInsensitive))
            QVERIFY2(image.convertToFormat(QImage::Format_Alpha8) ==
                         lamp.convertToFormat(QImage::Format_Alpha8),
                     qPrintable(file.name));
    }
    QCOMPARE(QImageReader(out.filePath("images/save.ico")).imageCount(), 5);
}

void TestArtwork::helpFontsCoverEveryText()
{
    for (const HelpContent &content : {chineseHelp(), englishHelp()}) {
        const QStringList problems = helpFontProblems(content);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
        QVERIFY(content.bodyPixels >= kHelpMinimumTextPixels);
        QCOMPARE(renderHelpPicture(content).width(), kHelpWidth);
    }
    HelpContent missingGlyph = englishHelp();
    missingGlyph.footer = QStringLiteral("Velorax \u79D1\u6280"); // CJK, not in DejaVu Sans
    QVERIFY(helpFontProblems(missingGlyph).join(' ').contains("U+79d1"));
}

void TestArtwork::resourcesHoldTheCatalogue()
{
    veloraxInitResources();
    const QDir resources(QStringLiteral(VELORAX_RESOURCES_DIR));
    QFile qrc(resources.filePath("resources.qrc"));
    QVERIFY(qrc.open(QIODevice::ReadOnly | QIODevice::Text));
    const QString text = QString::fromUtf8(qrc.readAll());
    for (const ArtworkFile &file : artworkCatalogue()) {
        const QString relative = file.folder + '/' + file.name;
        QCOMPARE(
            text.contains(QStringLiteral("<file alias=\"%1\">%2</file>").arg(file.name, relative)),
            file.inResources);
        QVERIFY2(!QImage(resources.filePath(relative)).isNull(), qPrintable(relative));
        // Style sheets name them both ways: "url(:/x.png)" and "url(://x.png)".
        QCOMPARE(!QImage(":/" + file.name).isNull() && QFile::exists("://" + file.name),
                 file.inResources);
    }
    QVERIFY(QFile::exists(":/data.ini") && !QFile::exists(":/System.png"));
}

QTEST_MAIN(TestArtwork)
#include "tst_artwork.moc"
