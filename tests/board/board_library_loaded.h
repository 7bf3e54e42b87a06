// Whether anyone in the process, the driver or the test, still holds the board library. The
// question is the platform loader's, so each platform answers it in its own file.
#pragma once

bool BoardLibraryIsLoaded();
