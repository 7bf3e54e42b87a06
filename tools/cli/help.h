// What `qlnu --help` and `qlnu COMMAND --help` print.
#pragma once

extern const char* const kToolHelp;
extern const char* const kEncodeHelp;
extern const char* const kDecodeHelp;
extern const char* const kInfoHelp;
extern const char* const kDemoHelp;
