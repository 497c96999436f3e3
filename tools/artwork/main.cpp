// velorax-artwork: draws every picture of the tool and writes it below an output directory
// (the repository's resources folder): images/, help/ and icons/.

#include "artwork.h"
#include "helpcontent.h"
#include "helppicture.h"
#include "preview.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcArtwork, "velorax.artwork", QtInfoMsg)

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen"); // drawing needs no display
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("velorax-artwork"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Draws the pictures of Velorax Manager into <output-dir>/images, "
                       "<output-dir>/help and <output-dir>/icons."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("output-dir"),
                                 QStringLiteral("Folder to write into, normally resources/."));
    const QCommandLineOption previewOption(
        QStringLiteral("preview"),
        QStringLiteral("Also render a sheet of styled widgets using the written pictures."),
        QStringLiteral("png-file"));
    parser.addOption(previewOption);
    parser.process(app);

    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1) {
        parser.showHelp(2);
    }
    const QString outputDirectory = positional.first();

    for (const HelpContent &content : {chineseHelp(), englishHelp()}) {
        for (const QString &problem : helpFontProblems(content))
            qCWarning(lcArtwork).noquote() << problem;
    }

    const ArtworkResult result = writeArtwork(outputDirectory);
    for (const QString &path : result.written)
        qCInfo(lcArtwork).noquote() << "wrote" << path;
    for (const QString &error : result.errors)
        qCCritical(lcArtwork).noquote() << error;

    if (result.ok() && parser.isSet(previewOption)) {
        const QString previewFile = parser.value(previewOption);
        if (!renderPreview(outputDirectory).save(previewFile)) {
            qCCritical(lcArtwork).noquote() << "cannot write the preview" << previewFile;
            return 1;
        }
        qCInfo(lcArtwork).noquote() << "wrote preview" << previewFile;
    }
    return result.ok() ? 0 : 1;
}
