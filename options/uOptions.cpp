#include "../core/uMain.h"

// Filled in with the options window.
void TW2IPlugin::ShowOptionsCommand() {}
