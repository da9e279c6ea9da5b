// Lumara: the front panel of the twelve-output car-audio processor.
#include "app/LumaraApp.h"

int main(int argc, char** argv) {
    return g_TheApp->Run(argc, argv);
}
