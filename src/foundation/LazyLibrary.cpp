// The binder of the stubs cmake/KorviLazyLibrary.cmake makes: on a function's first call, its
// libraries are loaded and its slot set to the function itself, so later calls go straight there.

#include <QByteArray>
#include <QList>

#include <dlfcn.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace {

// Laid out by the stubs' data; the last field is ours.
struct LazyInfo {
    const char *sonames; // separated by ':'
    const char *const *names;
    void **slots;
    std::uint64_t count;
    QList<void *> *handles;
};

std::mutex g_mutex;

[[noreturn]] void fail(const char *what, const char *name)
{
    // A library the package depends on is missing: nothing sensible can go on.
    std::fprintf(stderr, "korvi: %s %s: %s\n", what, name, dlerror());
    std::abort();
}

} // namespace

extern "C" __attribute__((visibility("default"))) void *korvi_lazy_bind(LazyInfo *info, std::uint64_t index)
{
    std::lock_guard lock(g_mutex);
    if (!info->handles) {
        auto *handles = new QList<void *>(); // kept for the process's life, as the libraries are
        for (const QByteArray &soname : QByteArray(info->sonames).split(':')) {
            void *handle = dlopen(soname.constData(), RTLD_NOW | RTLD_GLOBAL);
            if (!handle)
                fail("cannot load", soname.constData());
            handles->append(handle);
        }
        info->handles = handles;
    }
    const char *name = info->names[index];
    void *function = nullptr;
    for (void *handle : std::as_const(*info->handles)) {
        if ((function = dlsym(handle, name)))
            break;
    }
    if (!function)
        fail("cannot find", name);
    reinterpret_cast<std::atomic<void *> *>(&info->slots[index])->store(function, std::memory_order_release);
    return function;
}
