// Preloaded into kestrova-pack by its test: writes one line per flush (fsync, with the path of
// the file or folder flushed) and per rename into the file KESTROVA_SYNC_LOG names, so that
// the test sees in which order the archiver makes its work durable.
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void Log(const char* what, const char* a, const char* b) {
    const char* path = std::getenv("KESTROVA_SYNC_LOG");
    if (!path) return;
    char line[8192];
    const int n =
        std::snprintf(line, sizeof line, "%s %s%s%s\n", what, a, b ? " " : "", b ? b : "");
    if (n <= 0) return;
    const int fd = ::open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return;
    const ssize_t written = ::write(fd, line, std::strlen(line));
    (void)written;
    ::close(fd);
}

} // namespace

extern "C" int fsync(int fd) {
    using Fsync = int (*)(int);
    static const Fsync real = reinterpret_cast<Fsync>(dlsym(RTLD_NEXT, "fsync"));
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    char target[4096] = {};
    const ssize_t n = ::readlink(link, target, sizeof target - 1);
    Log("fsync", n > 0 ? target : "?", nullptr);
    return real(fd);
}

extern "C" int rename(const char* from, const char* to) {
    using Rename = int (*)(const char*, const char*);
    static const Rename real = reinterpret_cast<Rename>(dlsym(RTLD_NEXT, "rename"));
    Log("rename", from, to);
    return real(from, to);
}
