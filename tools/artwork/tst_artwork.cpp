#include "artwork.h"
#include "helpcontent.h"
#include "helppicture.h"
#include "icofile.h"
#include "icons.h"
#include "lamps.h"
#include "pagesketch.h"
#include "velorax_resources.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Every picture the tool refers to by resource name.
const QStringList kResourceNames = {
    "LedGrayThree.png",  "LEDGrayG.png",    "LedBlueThree.png", "LedGreen.png", "LedRed.png",
    "LedGreenThree.png", "LedRedThree.png", "setting.png",      "setting1.png", "show.png",
    "show1.png",         "message.png",     "message1.png",     "1111.png",     "delete.png",
    "CLOSE.png",         "YibIAO.png",      "ForIn.png",        "upload.png",   "download.png",
    "tab3line.png",      "redone.png",      "redtwo.png",       "save.ico",     "Help_Orvex.jpg",
    "Help_Orvex_En.jpg"};

const QStringList kLampNames = {"LedGrayThree.png", "LEDGrayG.png", "LedBlueThree.png",
                                "LedGreen.png",     "LedRed.png",   "LedGreenThree.png",
                                "LedRedThree.png"};

QImage solidImage(int size, QRgb color)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(color);
    return image;
}

QImage alphaOf(const QImage &image)
{
    return image.convertToFormat(QImage::Format_Alpha8);
}

int accentPixels(const QImage &image)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    int count = 0;
    for (int y = 0; y < argb.height(); ++y)
        for (int x = 0; x < argb.width(); ++x) {
            const QRgb c = argb.pixel(x, y);
            if (qAlpha(c) == 255 && qAbs(qRed(c) - 0x2E) < 12 && qAbs(qGreen(c) - 0xBD) < 12 &&
                qAbs(qBlue(c) - 0xE7) < 12)
                ++count;
        }
    return count;
}

} // namespace

class TestArtwork : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void icoHeader();
    void icoRoundTrip_data();
    void icoRoundTrip();
    void icoRejects_data();
    void icoRejects();

    void catalogueCoversEveryResource();
    void generatedFiles();
    void lampsShareOneShape();
    void tabsKeepTheirLowerPartPlain_data();
    void tabsKeepTheirLowerPartPlain();

    void helpFontsCoverEveryText_data();
    void helpFontsCoverEveryText();
    void helpFontProblemsAreFound();
    void helpMarkersMatchTheirSketch_data();
    void helpMarkersMatchTheirSketch();

    void resourceFileListsEveryPicture();
    void compiledResourcesResolve();

private:
    QTemporaryDir m_out;
    ArtworkResult m_result;
};

void TestArtwork::initTestCase()
{
    QVERIFY(m_out.isValid());
    m_result = writeArtwork(m_out.path());
    QVERIFY2(m_result.ok(), qPrintable(m_result.errors.join('\n')));
}

void TestArtwork::icoHeader()
{
    const QByteArray ico = encodeIco({solidImage(16, qRgba(1, 2, 3, 255))});
    // Directory: reserved, type 1 (icon), one entry. Entry: 16 x 16, no palette, one plane,
    // 32 bits, 1128 bytes (40 header + 16*16*4 colour + 16*4 mask), at offset 22.
    QCOMPARE(ico.left(22).toHex(' '),
             QByteArray("00 00 01 00 01 00 10 10 00 00 01 00 20 00 68 04 00 00 16 00 00 00"));
    // Bitmap header: size 40, width 16, height 32 (colour + mask), 1 plane, 32 bits.
    QCOMPARE(ico.mid(22, 16).toHex(' '),
             QByteArray("28 00 00 00 10 00 00 00 20 00 00 00 01 00 20 00"));
    QCOMPARE(ico.size(), 22 + 1128);
    QCOMPARE(ico.mid(22 + 40, 4).toHex(' '), QByteArray("03 02 01 ff")); // B G R A
}

void TestArtwork::icoRoundTrip_data()
{
    QTest::addColumn<QList<int>>("sizes");
    QTest::newRow("one small") << QList<int>{16};
    QTest::newRow("odd width mask padding") << QList<int>{24};
    QTest::newRow("save icon set") << QList<int>{16, 24, 32, 48, 64};
    QTest::newRow("256 stored as 0") << QList<int>{256};
}

void TestArtwork::icoRoundTrip()
{
    QFETCH(QList<int>, sizes);
    QVector<QImage> images;
    for (int size : sizes) {
        QImage image = renderSaveDisk(size).convertToFormat(QImage::Format_ARGB32);
        image.setPixel(0, 0, qRgba(0, 0, 0, 0)); // a transparent corner at every size
        images.append(image);
    }
    QByteArray ico = encodeIco(images);
    QVERIFY(!ico.isEmpty());

    QBuffer buffer(&ico);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "ico");
    QCOMPARE(reader.imageCount(), sizes.size());
    for (int i = 0; i < sizes.size(); ++i) {
        QVERIFY(reader.jumpToImage(i));
        const QImage read = reader.read().convertToFormat(QImage::Format_ARGB32);
        QVERIFY2(!read.isNull(), qPrintable(reader.errorString()));
        QCOMPARE(read.size(), images[i].size());
        QCOMPARE(qAlpha(read.pixel(0, 0)), 0);
        const int mid = sizes[i] / 2;
        QCOMPARE(read.pixel(mid, mid), images[i].pixel(mid, mid));
        QCOMPARE(read.pixel(sizes[i] - 1, sizes[i] - 1),
                 images[i].pixel(sizes[i] - 1, sizes[i] - 1));
    }
}

void TestArtwork::icoRejects_data()
{
    QTest::addColumn<QVector<QImage>>("images");
    QTest::newRow("no image") << QVector<QImage>{};
    QTest::newRow("null image") << QVector<QImage>{QImage()};
    QTest::newRow("not square") << QVector<QImage>{QImage(16, 8, QImage::Format_ARGB32)};
    QTest::newRow("too large") << QVector<QImage>{solidImage(16, 0), solidImage(300, 0)};
}

void TestArtwork::icoRejects()
{
    QFETCH(QVector<QImage>, images);
    QVERIFY(encodeIco(images).isEmpty());
}

void TestArtwork::catalogueCoversEveryResource()
{
    QStringList inResources;
    QSet<QString> all;
    for (const ArtworkFile &file : artworkCatalogue()) {
        QVERIFY2(!all.contains(file.name), qPrintable(file.name));
        all.insert(file.name);
        if (file.inResources)
            inResources << file.name;
    }
    QStringList expected = kResourceNames;
    expected.sort();
    inResources.sort();
    QCOMPARE(inResources, expected);
    QVERIFY(all.contains("velorax-manager.svg"));
    QVERIFY(all.contains("velorax-manager.png"));
    QVERIFY(!all.contains("System.png")); // the form expects it to be absent
}

void TestArtwork::generatedFiles()
{
    QCOMPARE(m_result.written.size(), artworkCatalogue().size());
    const QDir out(m_out.path());
    for (const ArtworkFile &file : artworkCatalogue()) {
        const QString path = out.filePath(file.folder + '/' + file.name);
        QImageReader reader(path);
        reader.setDecideFormatFromContent(true); // the bytes, not the file name, decide
        const QByteArray suffix = QFileInfo(path).suffix().toLatin1();
        const QByteArray format = suffix == "jpg" ? QByteArray("jpeg") : suffix;
        QCOMPARE(reader.format(), format);
        const QImage image = reader.read();
        QVERIFY2(!image.isNull(), qPrintable(path + ": " + reader.errorString()));
    }

    const QImage english(out.filePath("help/Help_Orvex_En.jpg"));
    const QImage chinese(out.filePath("help/Help_Orvex.jpg"));
    for (const QImage &help : {english, chinese}) {
        QCOMPARE(help.width(), kHelpWidth);
        QVERIFY(help.height() > 428); // longer than the dialog's text area: it scrolls
    }
    QVERIFY(QFileInfo(out.filePath("help/Help_Orvex_En.jpg")).size() < 400 * 1024);
    QVERIFY(QFileInfo(out.filePath("help/Help_Orvex.jpg")).size() < 400 * 1024);

    QCOMPARE(QImage(out.filePath("images/upload.png")).size(), QSize(109, 29));
    QCOMPARE(QImage(out.filePath("icons/velorax-manager.png")).size(), QSize(256, 256));
    QImageReader ico(out.filePath("images/save.ico"));
    QCOMPARE(ico.imageCount(), 5);
}

void TestArtwork::lampsShareOneShape()
{
    // Swapping a label between two lamps must not move the lamp's outline.
    const QDir out(m_out.path());
    const QImage reference = QImage(out.filePath("images/LedGrayThree.png"));
    QCOMPARE(reference.width(), reference.height());
    QCOMPARE(qAlpha(reference.pixel(0, 0)), 0);
    QCOMPARE(qAlpha(reference.pixel(reference.width() / 2, reference.height() / 2)), 255);
    for (const QString &name : kLampNames) {
        const QImage lamp(out.filePath("images/" + name));
        QCOMPARE(lamp.size(), reference.size());
        QVERIFY2(alphaOf(lamp) == alphaOf(reference), qPrintable(name));
    }
}

void TestArtwork::tabsKeepTheirLowerPartPlain_data()
{
    QTest::addColumn<int>("icon");
    QTest::addColumn<bool>("active");
    QTest::newRow("settings active") << int(TabIcon::Settings) << true;
    QTest::newRow("settings inactive") << int(TabIcon::Settings) << false;
    QTest::newRow("calibration active") << int(TabIcon::Calibration) << true;
    QTest::newRow("state inactive") << int(TabIcon::State) << false;
}

void TestArtwork::tabsKeepTheirLowerPartPlain()
{
    QFETCH(int, icon);
    QFETCH(bool, active);
    const int scale = 2;
    const QImage tab =
        renderTab(TabIcon(icon), active, scale).convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(tab.size(), QSize(kTabWidth * scale, kTabHeight * scale));

    // The word sits in the lowest 35 px: every row there is one plain colour.
    for (int y = (kTabHeight - 35) * scale; y < (kTabHeight - 2) * scale; ++y) {
        const QRgb plain = tab.pixel(tab.width() / 2, y);
        for (int x = 4 * scale; x < tab.width(); ++x)
            QVERIFY2(tab.pixel(x, y) == plain, qPrintable(QString("pixel %1,%2").arg(x).arg(y)));
    }
    // Only the active look is drawn in the accent colour.
    const int accent = accentPixels(tab.copy(4 * scale, 0, tab.width() - 4 * scale, tab.height()));
    QCOMPARE(accent > 200, active);
}

void TestArtwork::helpFontsCoverEveryText_data()
{
    QTest::addColumn<bool>("chinese");
    QTest::newRow("chinese") << true;
    QTest::newRow("english") << false;
}

void TestArtwork::helpFontsCoverEveryText()
{
    QFETCH(bool, chinese);
    const HelpContent content = chinese ? chineseHelp() : englishHelp();
    const QStringList problems = helpFontProblems(content);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
    QVERIFY(content.bodyPixels >= kHelpMinimumTextPixels);
}

void TestArtwork::helpFontProblemsAreFound()
{
    HelpContent missingFamily = englishHelp();
    missingFamily.fontFamily = QStringLiteral("No Such Family Anywhere");
    QCOMPARE(helpFontProblems(missingFamily).size(), 1);

    HelpContent missingGlyph = englishHelp();
    missingGlyph.footer = QStringLiteral("Velorax \u79D1\u6280"); // CJK, not in DejaVu Sans
    const QStringList problems = helpFontProblems(missingGlyph);
    QCOMPARE(problems.size(), 2);
    QVERIFY(problems.join(' ').contains("U+79d1"));

    QVERIFY(renderHelpPicture(englishHelp()).height() > 0);
}

void TestArtwork::helpMarkersMatchTheirSketch_data()
{
    QTest::addColumn<bool>("chinese");
    QTest::newRow("chinese") << true;
    QTest::newRow("english") << false;
}

void TestArtwork::helpMarkersMatchTheirSketch()
{
    QFETCH(bool, chinese);
    const HelpContent content = chinese ? chineseHelp() : englishHelp();
    QSet<int> sketches;
    for (const HelpSection &section : content.sections) {
        QList<int> inText;
        for (const HelpItem &item : section.items)
            if (item.marker)
                inText << item.marker;
        QList<int> onSketch;
        for (const SketchMarker &marker : sketchMarkers(section.sketch)) {
            onSketch << marker.number;
            QVERIFY(QRectF(0, 0, kWindowWidth, kWindowHeight).contains(marker.at));
        }
        std::sort(onSketch.begin(), onSketch.end());
        QCOMPARE(inText, onSketch); // each callout explained once, in order
        if (section.sketch != HelpSketch::None)
            sketches.insert(int(section.sketch));
    }
    QCOMPARE(sketches.size(), 3); // all three pages are explained
}

void TestArtwork::resourceFileListsEveryPicture()
{
    const QDir resources(QStringLiteral(VELORAX_RESOURCES_DIR));
    QFile qrc(resources.filePath("resources.qrc"));
    QVERIFY(qrc.open(QIODevice::ReadOnly | QIODevice::Text));
    const QString text = QString::fromUtf8(qrc.readAll());
    QVERIFY(text.contains("<qresource prefix=\"/\">"));
    QVERIFY(text.contains("<file>data.ini</file>"));
    QVERIFY(!text.contains("System.png"));

    for (const ArtworkFile &file : artworkCatalogue()) {
        const QString relative = file.folder + '/' + file.name;
        const QString entry =
            QStringLiteral("<file alias=\"%1\">%2</file>").arg(file.name, relative);
        QCOMPARE(text.contains(entry), file.inResources);
        // The committed copy exists and is a picture.
        QVERIFY2(!QImage(resources.filePath(relative)).isNull(), qPrintable(relative));
    }
}

void TestArtwork::compiledResourcesResolve()
{
    veloraxInitResources();
    for (const ArtworkFile &file : artworkCatalogue()) {
        if (!file.inResources)
            continue;
        // Style sheets name them both ways: "url(:/x.png)" and "url(://x.png)".
        QVERIFY2(!QImage(":/" + file.name).isNull(), qPrintable(file.name));
        QVERIFY2(QFile::exists("://" + file.name), qPrintable(file.name));
    }
    QVERIFY(QFile::exists(":/data.ini"));
    QVERIFY(!QFile::exists(":/System.png"));
}

QTEST_MAIN(TestArtwork)
#include "tst_artwork.moc"
