#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

// The catalogue of every picture the tool uses, and writing them all out.

struct ArtworkFile
{
    QString name;   // file name, also the resource alias ":/<name>"
    QString folder; // "images", "help" or "icons", below the output directory
    bool inResources = true;
    std::function<QByteArray()> encode; // the file's bytes; empty on failure
};

QVector<ArtworkFile> artworkCatalogue();

struct ArtworkResult
{
    QStringList written; // paths relative to the output directory
    QStringList errors;
    bool ok() const { return errors.isEmpty(); }
};

// Writes every file of the catalogue below `outputDirectory` (normally the repository's
// resources folder), creating the folders it needs. Stops at nothing: every failure is listed.
ArtworkResult writeArtwork(const QString &outputDirectory);
