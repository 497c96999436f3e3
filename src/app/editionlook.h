#pragma once

// The look of this product variant: accent colour, buttons, sliders, titles, page backgrounds
// and the sidebar's pictures, applied over the form's own style sheets.

#include <QList>

class QSlider;
namespace Ui {
class Widget;
}

// The edition's software version, as the information page shows it.
extern const char kEditionSoftwareVersion[];

void applyEditionLook(Ui::Widget &form, const QList<QSlider *> &sliders);
