#include "artwork.h"

#include "helpcontent.h"
#include "helppicture.h"
#include "icofile.h"
#include "icons.h"
#include "lamps.h"
#include "panels.h"

#include <QBuffer>
#include <QDir>
#include <QImageWriter>
#include <QSaveFile>

namespace {

constexpr int kLampSize = 64;   // lamps are shown at 29..41 px; Qt scales them down smoothly
constexpr int kBorderScale = 2; // border images carry twice the control's pixels for HiDPI
constexpr int kJpegQuality = 85;

QByteArray encodeImage(const QImage &image, const char *format, int quality = -1)
{
    if (image.isNull())
        return QByteArray();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(quality);
    writer.setOptimizedWrite(true);       // optimal Huffman tables: smaller JPEG files
    writer.setProgressiveScanWrite(true); // the help picture shows early when loading slowly
    if (!writer.write(image))
        return QByteArray();
    return bytes;
}

QByteArray png(const QImage &image)
{
    return encodeImage(image, "png");
}

QByteArray helpJpeg(const HelpContent &content)
{
    if (!helpFontProblems(content).isEmpty())
        return QByteArray(); // never ship a picture with missing glyphs
    return encodeImage(renderHelpPicture(content), "jpg", kJpegQuality);
}

QByteArray saveIcon()
{
    static const int sizes[] = {16, 24, 32, 48, 64};
    QVector<QImage> images;
    for (int size : sizes)
        images.append(renderSaveDisk(size));
    return encodeIco(images);
}

// The Windows program icon: the sizes Explorer, the taskbar and the title bar ask for.
QByteArray windowsIcon()
{
    static const int sizes[] = {16, 20, 24, 32, 40, 48, 64, 256};
    QVector<QImage> images;
    for (int size : sizes)
        images.append(renderApplicationIcon(size));
    return encodeIco(images);
}

ArtworkFile image(const QString &name, std::function<QByteArray()> encode)
{
    return {name, QStringLiteral("images"), true, std::move(encode)};
}

ArtworkFile lamp(const QString &name, LampKind kind)
{
    return image(name, [kind] { return png(renderLamp(kind, kLampSize)); });
}

ArtworkFile tab(const QString &name, TabIcon icon, bool active)
{
    return image(name, [icon, active] { return png(renderTab(icon, active, kBorderScale)); });
}

} // namespace

QVector<ArtworkFile> artworkCatalogue()
{
    QVector<ArtworkFile> files{
        lamp(QStringLiteral("LedGrayThree.png"), LampKind::GrayThree),
        lamp(QStringLiteral("LEDGrayG.png"), LampKind::GrayG),
        lamp(QStringLiteral("LedBlueThree.png"), LampKind::BlueThree),
        lamp(QStringLiteral("LedGreen.png"), LampKind::Green),
        lamp(QStringLiteral("LedRed.png"), LampKind::Red),
        lamp(QStringLiteral("LedGreenThree.png"), LampKind::GreenThree),
        lamp(QStringLiteral("LedRedThree.png"), LampKind::RedThree),

        // The names without "1" are the active look of the settings tab but the inactive
        // look of the other two, as the page buttons use them.
        tab(QStringLiteral("setting.png"), TabIcon::Settings, true),
        tab(QStringLiteral("setting1.png"), TabIcon::Settings, false),
        tab(QStringLiteral("show1.png"), TabIcon::Calibration, true),
        tab(QStringLiteral("show.png"), TabIcon::Calibration, false),
        tab(QStringLiteral("message1.png"), TabIcon::State, true),
        tab(QStringLiteral("message.png"), TabIcon::State, false),

        image(QStringLiteral("1111.png"), [] { return png(renderMinimise(kBorderScale)); }),
        image(QStringLiteral("delete.png"), [] { return png(renderClose(kBorderScale)); }),
        image(QStringLiteral("CLOSE.png"), [] { return png(renderHelpClose(kBorderScale)); }),
        image(QStringLiteral("YibIAO.png"), [] { return png(renderGaugeEmblem(82)); }),
        image(QStringLiteral("ForIn.png"), [] { return png(renderAnglePanel(kBorderScale)); }),
        image(QStringLiteral("tab3line.png"), [] { return png(renderCellFrame(kBorderScale)); }),
        image(QStringLiteral("redone.png"),
              [] { return png(renderPressedButton(111, 31, 15, kBorderScale)); }),
        image(QStringLiteral("redtwo.png"),
              [] { return png(renderPressedButton(71, 24, 5, kBorderScale)); }),
        image(QStringLiteral("upload.png"),
              [] { return png(renderTransferButton(TransferArrow::Up)); }),
        image(QStringLiteral("download.png"),
              [] { return png(renderTransferButton(TransferArrow::Down)); }),
        image(QStringLiteral("comboarrow.png"), [] { return png(renderComboArrow(kBorderScale)); }),
        image(QStringLiteral("save.ico"), saveIcon),

        {QStringLiteral("Help_Orvex.jpg"), QStringLiteral("help"), true,
         [] { return helpJpeg(chineseHelp()); }},
        {QStringLiteral("Help_Orvex_En.jpg"), QStringLiteral("help"), true,
         [] { return helpJpeg(englishHelp()); }},

        {QStringLiteral("velorax-manager.svg"), QStringLiteral("icons"), false,
         [] { return applicationIconSvg(); }},
        // Also the background instance's tray icon.
        {QStringLiteral("velorax-manager.png"), QStringLiteral("icons"), true,
         [] { return png(renderApplicationIcon(256)); }},
        {QStringLiteral("velorax-manager.ico"), QStringLiteral("icons"), false, windowsIcon},
    };
    return files;
}

ArtworkResult writeArtwork(const QString &outputDirectory)
{
    ArtworkResult result;
    const QDir root(outputDirectory);
    for (const ArtworkFile &file : artworkCatalogue()) {
        const QString relative = file.folder + QLatin1Char('/') + file.name;
        if (!root.mkpath(file.folder)) {
            result.errors << QStringLiteral("%1: cannot create the folder").arg(relative);
            continue;
        }
        const QByteArray bytes = file.encode();
        if (bytes.isEmpty()) {
            result.errors << QStringLiteral("%1: rendering failed").arg(relative);
            continue;
        }
        QSaveFile out(root.filePath(relative));
        if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit()) {
            result.errors << QStringLiteral("%1: %2").arg(relative, out.errorString());
            continue;
        }
        result.written << relative;
    }
    return result;
}
