#include "fault_shim.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <mutex>
#include <string>

namespace {

// Plain globals: nothing reads them before a fault is armed, long after the library loaded.
std::mutex lock;
std::string armedCall; ///< empty: disarmed
int armedError = 0;
std::string armedPathPart;
bool shortWriteDone = false;
/// Set while a fault is armed: until then every call goes straight through.
std::atomic<bool> armed{false};

std::string pathOf(int fd) {
    std::string target(4096, '\0');
    const ssize_t n =
        readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), target.data(), target.size());
    return n > 0 ? target.substr(0, static_cast<std::size_t>(n)) : std::string();
}

/// What the call does now: -1 it goes ahead, 0 it writes short, otherwise the errno to fail
/// with. Kills the process when asked to.
int verdict(const char* call, const std::string& path) {
    if (!armed) return -1;
    const std::lock_guard<std::mutex> guard(lock);
    if (armedCall != call || path.find(armedPathPart) == std::string::npos) return -1;
    if (armedError == 0) raise(SIGKILL);
    if (armedCall == "write" && !shortWriteDone) return shortWriteDone = true, 0;
    return armedError;
}

template <class Function> Function* real(const char* name) {
    return reinterpret_cast<Function*>(dlsym(RTLD_NEXT, name));
}

/// Fails with the verdict's errno, or goes on to the C library's call.
template <class Function, class... Args> auto failOr(int verdict, Function* next, Args... args) {
    if (verdict > 0) return errno = verdict, decltype(next(args...))(-1);
    return next(args...);
}

} // namespace

extern "C" {

void m4InjectFault(const char* call, int error, const char* pathPart) {
    const std::lock_guard<std::mutex> guard(lock);
    armedCall = call ? call : "";
    armedError = error;
    armedPathPart = pathPart ? pathPart : "";
    shortWriteDone = false;
    armed = call != nullptr;
}

ssize_t write(int fd, const void* buffer, size_t count) {
    static auto* next = real<ssize_t(int, const void*, size_t)>("write");
    const int v = armed && fd > 2 ? verdict("write", pathOf(fd)) : -1;
    if (v == kM4TakesNothing) return 0;
    return failOr(v, next, fd, buffer, v == 0 && count > 1 ? count / 2 : count);
}

int fdatasync(int fd) {
    static auto* next = real<int(int)>("fdatasync");
    return failOr(verdict("fdatasync", armed ? pathOf(fd) : ""), next, fd);
}

int fsync(int fd) {
    static auto* next = real<int(int)>("fsync");
    return failOr(verdict("fsync", armed ? pathOf(fd) : ""), next, fd);
}

int renameat(int oldDir, const char* oldName, int newDir, const char* newName) noexcept {
    static auto* next = real<int(int, const char*, int, const char*)>("renameat");
    return failOr(verdict("renameat", newName), next, oldDir, oldName, newDir, newName);
}
}
