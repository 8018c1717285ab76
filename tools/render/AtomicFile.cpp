#include "AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <csignal>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// Temporary paths a signal handler may need to remove. Fixed storage: the
// handler can neither allocate nor lock.
constexpr int maxOpen = 8;
std::array<char[4096], maxOpen> pendingPaths{};
std::array<volatile sig_atomic_t, maxOpen> pendingUsed{};

int registerPending(const std::string& path)
{
    if (path.size() >= sizeof(pendingPaths[0]))
        return -1;
    for (int i = 0; i < maxOpen; ++i) {
        if (!pendingUsed[i]) {
            std::memcpy(pendingPaths[i], path.c_str(), path.size() + 1);
            pendingUsed[i] = 1;
            return i;
        }
    }
    return -1;
}

std::string directoryOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string baseNameOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

AtomicFile::~AtomicFile() { discard(); }

bool AtomicFile::open(const std::string& target, std::string& error)
{
    discard();
    struct stat info {};
    if (::stat(target.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        error = "cannot write '" + target + "': it is a directory";
        return false;
    }
    const std::string base = baseNameOf(target);
    if (base.empty()) {
        error = "cannot write '" + target + "': no file name";
        return false;
    }
    std::string temp = directoryOf(target) + "/." + base + ".XXXXXX";
    std::vector<char> name(temp.begin(), temp.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0) {
        error = "cannot write '" + target + "': " + std::strerror(errno);
        return false;
    }
    // mkstemp creates 0600; the finished file gets the usual permissions.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);

    m_target = target;
    m_temp = name.data();
    m_fd = fd;
    m_slot = registerPending(m_temp);
    return true;
}

bool AtomicFile::commit(std::string& error)
{
    if (m_fd < 0) {
        error = "cannot write '" + m_target + "': not open";
        return false;
    }
    const bool synced = ::fsync(m_fd) == 0;
    const bool closed = ::close(m_fd) == 0;
    m_fd = -1;
    if (!synced || !closed || ::rename(m_temp.c_str(), m_target.c_str()) != 0) {
        error = "cannot write '" + m_target + "': " + std::strerror(errno);
        discard();
        return false;
    }
    if (m_slot >= 0)
        pendingUsed[m_slot] = 0;
    m_slot = -1;
    m_temp.clear();
    return true;
}

void AtomicFile::discard()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (!m_temp.empty())
        ::unlink(m_temp.c_str());
    m_temp.clear();
    if (m_slot >= 0)
        pendingUsed[m_slot] = 0;
    m_slot = -1;
}

void AtomicFile::discardAllFromSignal()
{
    for (int i = 0; i < maxOpen; ++i) {
        if (pendingUsed[i])
            ::unlink(pendingPaths[i]);
    }
}
