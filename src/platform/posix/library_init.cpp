// Loading the shared object attaches the driver and unloading it detaches it, as the Windows
// loader does for the DLL.
#include "platform/code_module.h"
#include "platform/library_entry.h"

namespace {

__attribute__((constructor)) void AttachOnLoad() {
    ProcessAttach(CodeModule());
}

__attribute__((destructor)) void DetachOnUnload() {
    ProcessDetach();
}

}  // namespace
