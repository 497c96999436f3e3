#include "velorax_resources.h"

#include <QtCore/qglobal.h>

void veloraxInitResources()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(resources);
        return true;
    }();
    (void)registered;
}
