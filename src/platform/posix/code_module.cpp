#include "platform/code_module.h"

// The ELF header that begins every loaded image, as the linker names it in each image.
extern "C" const char __ehdr_start[] __attribute__((visibility("hidden")));

// The module handle is the address the image is mapped at. The linker's name for it works in
// static programs too, where the loader keeps no record of the program's own image.
HMODULE CodeModule() {
    return reinterpret_cast<HMODULE>(const_cast<char*>(__ehdr_start));
}
