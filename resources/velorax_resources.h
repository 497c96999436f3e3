#pragma once

// Registers the application's compiled-in resources (images, help pictures,
// the default profile ":/data.ini"). Safe to call more than once.
void veloraxInitResources();
