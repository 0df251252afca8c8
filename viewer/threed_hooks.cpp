// Hooks for the 3D view. The shell calls the 3D view only through these; the
// 3D module replaces this file with the real conversion, redraw and clear.
#include "antenna.h"

int Viewer3DConvert()
{
    return 0;
}

void Viewer3DHide() {}

void Viewer3DRedraw() {}

void Viewer3DClear() {}
