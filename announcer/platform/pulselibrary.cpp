#ifndef _WIN32
#include "announcer/platform/pulselibrary.h"

#include <dlfcn.h>

namespace lumivox {

namespace {
template <typename Function>
bool Find(void* handle, const char* soname, const char* name, Function& slot, std::string& why) {
    dlerror();
    void* symbol = dlsym(handle, name);
    if (!symbol) {
        const char* error = dlerror();
        why = error ? error : std::string(soname) + ": " + name + " is null";
        return false;
    }
    // POSIX guarantees that a data pointer from dlsym converts to a function pointer.
    slot = reinterpret_cast<Function>(symbol);
    return true;
}
} // namespace

bool LoadPulseLibrary(const char* soname, PulseLibrary& library, std::string& why) {
    // Never closed: the next stream needs it again, and a library that starts threads
    // of its own is not safe to unload. Opening it again only counts up.
    void* handle = dlopen(soname, RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* error = dlerror();
        why = error ? error : std::string(soname) + ": cannot be opened";
        return false;
    }
    PulseLibrary found;
    if (!Find(handle, soname, "pa_simple_new", found.simpleNew, why) ||
        !Find(handle, soname, "pa_simple_free", found.simpleFree, why) ||
        !Find(handle, soname, "pa_simple_write", found.simpleWrite, why) ||
        !Find(handle, soname, "pa_simple_flush", found.simpleFlush, why) ||
        !Find(handle, soname, "pa_simple_drain", found.simpleDrain, why) ||
        !Find(handle, soname, "pa_simple_get_latency", found.simpleGetLatency, why))
        return false;
    library = found;
    return true;
}

} // namespace lumivox
#endif
