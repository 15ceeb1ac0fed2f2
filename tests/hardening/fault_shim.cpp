#include "fault_shim.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

namespace {

struct Fault {
    std::string call; ///< empty: disarmed
    int error = 0;
    std::string pathPart;
    bool shortWriteDone = false;
};

/// Set while a fault is armed: until then every call goes straight through.
std::atomic<bool> armed{false};

std::mutex& lock() {
    static std::mutex m;
    return m;
}

Fault& fault() {
    static Fault f;
    return f;
}

std::string pathOf(int fd) {
    std::string link = "/proc/self/fd/" + std::to_string(fd);
    std::string target(4096, '\0');
    const ssize_t n = readlink(link.c_str(), target.data(), target.size());
    return n > 0 ? target.substr(0, static_cast<std::size_t>(n)) : std::string();
}

std::string pathAt(int dirfd, const char* name) {
    if (name[0] == '/' || dirfd == AT_FDCWD) return name;
    return pathOf(dirfd) + '/' + name;
}

/// What the call does now: -1 it goes ahead, 0 it writes short, otherwise the errno to fail
/// with. Kills the process when asked to.
int verdict(const char* call, const std::string& path, const std::string& otherPath = {}) {
    const std::lock_guard<std::mutex> guard(lock());
    Fault& f = fault();
    if (f.call != call) return -1;
    const bool hit = (!path.empty() && path.find(f.pathPart) != std::string::npos) ||
                     (!otherPath.empty() && otherPath.find(f.pathPart) != std::string::npos);
    if (!hit) return -1;
    if (f.error == 0) raise(SIGKILL);
    if (f.call == "write" && !f.shortWriteDone) {
        f.shortWriteDone = true;
        return 0;
    }
    return f.error;
}

template <class Function> Function* real(const char* name) {
    return reinterpret_cast<Function*>(dlsym(RTLD_NEXT, name));
}

/// A sync of fd's file by next, unless the fault is armed for call on that file.
int syncUnlessFailing(const char* call, int (*next)(int), int fd) {
    if (const int v = armed ? verdict(call, pathOf(fd)) : -1; v > 0) {
        errno = v;
        return -1;
    }
    return next(fd);
}

} // namespace

extern "C" {

void m4InjectFault(const char* call, int error, const char* pathPart) {
    const std::lock_guard<std::mutex> guard(lock());
    fault() = Fault{call ? call : "", error, pathPart ? pathPart : "", false};
    armed = call != nullptr;
}

ssize_t write(int fd, const void* buffer, size_t count) {
    static auto* next = real<ssize_t(int, const void*, size_t)>("write");
    const int v = armed && fd > 2 ? verdict("write", pathOf(fd)) : -1;
    if (v == 0) return next(fd, buffer, count > 1 ? count / 2 : count);
    if (v > 0) {
        errno = v;
        return -1;
    }
    return next(fd, buffer, count);
}

int fdatasync(int fd) {
    static auto* next = real<int(int)>("fdatasync");
    return syncUnlessFailing("fdatasync", next, fd);
}

int fsync(int fd) {
    static auto* next = real<int(int)>("fsync");
    return syncUnlessFailing("fsync", next, fd);
}

int renameat(int oldDir, const char* oldName, int newDir, const char* newName) noexcept {
    static auto* next = real<int(int, const char*, int, const char*)>("renameat");
    if (const int v =
            armed ? verdict("renameat", pathAt(oldDir, oldName), pathAt(newDir, newName)) : -1;
        v > 0) {
        errno = v;
        return -1;
    }
    return next(oldDir, oldName, newDir, newName);
}
}
