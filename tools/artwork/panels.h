#pragma once

#include <QImage>
#include <QRectF>

class QPainter;

// Frame and button backgrounds, all drawn to the size of the control that shows them (times
// `scale` for border images, which Qt scales smoothly; background images are shown 1:1).
void paintAnglePanel(QPainter &painter, const QRectF &box);  // ForIn.png, 471 x 71
void paintCellFrame(QPainter &painter, const QRectF &box);   // tab3line.png
void paintGaugeEmblem(QPainter &painter, const QRectF &box); // YibIAO.png

QImage renderAnglePanel(int scale);
QImage renderCellFrame(int scale);
QImage renderGaugeEmblem(int size);
QImage renderPressedButton(int width, int height, qreal radius, int scale); // redone, redtwo
// comboarrow.png: the drop-down chevron of the combo boxes, 12 x 8 (times `scale`), in the
// combo boxes' text colour.
QImage renderComboArrow(int scale);

enum class TransferArrow
{
    Up,
    Down
};
// upload.png / download.png: a small tray symbol at the left of a 109 x 29 background,
// leaving the rest of the button for its text.
QImage renderTransferButton(TransferArrow arrow);
