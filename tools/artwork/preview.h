#pragma once

#include <QImage>
#include <QString>

// A sheet of real widgets styled the way the tool styles them, using the pictures found below
// `outputDirectory`: shows how the artwork looks at its true size before it is committed.
QImage renderPreview(const QString &outputDirectory);
