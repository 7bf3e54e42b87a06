#include "shown_pictures.h"

// Windows builds of the simulator run inside test programs, which compare the pictures
// themselves; only the native tools write image files.
DWORD WriteShownPictures(const SimulatedBoard&, const std::string&) {
    return 0;
}
