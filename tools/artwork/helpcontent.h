#pragma once

#include <QString>
#include <QVector>

// What the help pictures say, one content set per language.

enum class HelpSketch
{
    None,
    Settings,
    Calibration,
    State
};

struct HelpItem
{
    int marker = 0; // number of the callout on the page sketch, 0 for none
    QString name;
    QString text;
};

struct HelpSection
{
    QString title;
    QString lead;
    HelpSketch sketch = HelpSketch::None;
    QVector<HelpItem> items;
};

struct HelpContent
{
    QString fontFamily;
    int bodyPixels = 15;
    int nameColumn = 150; // width of the name column of the item lists
    QString title;
    QString subtitle;
    QVector<HelpSection> sections;
    QString footer;
};

HelpContent chineseHelp();
HelpContent englishHelp();
