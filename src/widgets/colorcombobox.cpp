#include "colorcombobox.h"

ColorComboBox::ColorComboBox(QWidget *parent) : QComboBox(parent) {}
