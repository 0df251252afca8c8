// Every callback name that "antenna.uir" binds, registered before any panel
// is loaded.
#include "antenna.h"
#include "rt.h"

void RegisterAntennaCallbacks()
{
    // File commands
    RT_MENU_CALLBACK(OpenCallback);
    RT_MENU_CALLBACK(CloseCallback);
    RT_MENU_CALLBACK(SaveCallback);
    RT_MENU_CALLBACK(SaveAsCallback);
    RT_MENU_CALLBACK(ExitCallback);
    RT_CTRL_CALLBACK(ExitBttnCallback);
    RT_CTRL_CALLBACK(ShutDownCallback);
    // Views
    RT_MENU_CALLBACK(PolarCallback);
    RT_MENU_CALLBACK(CartesianCallback);
    RT_CTRL_CALLBACK(POLARGRAPHCallback);
}
