#pragma once

#include "helpcontent.h"

#include <QImage>
#include <QStringList>

constexpr int kHelpWidth = 640;
constexpr int kHelpMinimumTextPixels = 14;

// Problems that would make the picture unreadable: the content's font family is not
// installed, or a character of its texts has no glyph in it (it would be drawn as a box).
QStringList helpFontProblems(const HelpContent &content);

// Lays the content out top to bottom, kHelpWidth wide, as tall as it needs.
QImage renderHelpPicture(const HelpContent &content);
