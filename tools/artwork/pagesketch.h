#pragma once

#include "helpcontent.h"

#include <QPointF>
#include <QRectF>
#include <QString>
#include <QVector>

class QPainter;

// Simplified drawings of the three pages for the help pictures, laid out in the window's own
// 1200 x 675 coordinates, with numbered callouts the help text refers to.

constexpr qreal kWindowWidth = 1200;
constexpr qreal kWindowHeight = 675;

struct SketchMarker
{
    int number = 0;
    QPointF at; // window coordinates
};

QVector<SketchMarker> sketchMarkers(HelpSketch sketch);
void paintSketch(QPainter &painter, const QRectF &box, HelpSketch sketch,
                 const QString &markerFamily);
void paintMarker(QPainter &painter, const QPointF &centre, qreal radius, int number,
                 const QString &family);
