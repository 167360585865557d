// Preloaded into the tests when they cannot mount a small tmpfs: write() to a
// file under $VORTIGRAM_ENOSPC_DIR stops as on a full disk once
// $VORTIGRAM_ENOSPC_ROOM ("<bytes> <serial>") bytes went there.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <string>
#include <unistd.h>

extern "C" ssize_t write(int fd, const void *buffer, size_t size)
{
    static const auto real = reinterpret_cast<ssize_t (*)(int, const void *, size_t)>(
        dlsym(RTLD_NEXT, "write"));
    static std::string serial;
    static long used = 0;
    const char *dir = std::getenv("VORTIGRAM_ENOSPC_DIR");
    const char *room = std::getenv("VORTIGRAM_ENOSPC_ROOM");
    char path[4096];
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    const ssize_t length = dir && room ? readlink(link.c_str(), path, sizeof path - 1) : -1;
    if (length > 0 && std::strncmp(path, dir, std::strlen(dir)) == 0) {
        if (serial != room) {
            serial = room;
            used = 0;
        }
        const long left = std::atol(room) - used;
        if (left <= 0) {
            errno = ENOSPC;
            return -1;
        }
        size = static_cast<long>(size) > left ? static_cast<size_t>(left) : size;
        used += static_cast<long>(size);
    }
    return real(fd, buffer, size);
}
