#include "AtomicFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <climits>
#include <csignal>
#include <random>
#include <cstdlib>
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

std::string cannotWrite(const std::string& target, const std::string& reason)
{
    return "cannot write '" + target + "': " + reason;
}

// What the target is, as far as replacing it goes: empty if it may be
// replaced (a regular file, or nothing yet), else the reason it may not.
std::string refusalFor(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return errno == ENOENT ? std::string() : std::strerror(errno);
    if (S_ISREG(info.st_mode))
        return {};
    if (S_ISDIR(info.st_mode))
        return "it is a directory";
    return "it is not a regular file";
}

// ".NAME.XXXXXX": the hidden temporary of `base`, as mkstemp fills it in.
bool isTemporaryOf(const char* entry, const std::string& base)
{
    const std::size_t length = std::strlen(entry);
    if (length != base.size() + 9 || entry[0] != '.' || std::strncmp(entry + 1, base.c_str(), base.size()) != 0
        || entry[base.size() + 1] != '.')
        return false;
    for (std::size_t i = base.size() + 2; i < length; ++i) {
        const char c = entry[i];
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
            return false;
    }
    return true;
}

// Leftovers of runs that died without cleaning up: temporaries of this
// target's name that nobody holds locked any more.
void removeStaleTemporaries(const std::string& directory, const std::string& base)
{
    DIR* dir = ::opendir(directory.c_str());
    if (!dir)
        return;
    while (const dirent* entry = ::readdir(dir)) {
        if (!isTemporaryOf(entry->d_name, base))
            continue;
        const int fd = ::openat(::dirfd(dir), entry->d_name, O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat info {};
        if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlinkat(::dirfd(dir), entry->d_name, 0);
        ::close(fd);
    }
    ::closedir(dir);
}

} // namespace

AtomicFile::~AtomicFile() { discard(); }

bool AtomicFile::open(const std::string& target, std::string& error)
{
    discard();
    if (const std::string refusal = refusalFor(target); !refusal.empty()) {
        error = cannotWrite(target, refusal);
        return false;
    }
    // Through a link, the file it names is the one replaced, not the link.
    std::string path = target;
    struct stat link {};
    if (::lstat(target.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        char resolved[PATH_MAX];
        if (!::realpath(target.c_str(), resolved)) {
            error = cannotWrite(target, std::strerror(errno));
            return false;
        }
        path = resolved;
    }
    const std::string base = baseNameOf(path);
    if (base.empty()) {
        error = cannotWrite(target, "no file name");
        return false;
    }
    const std::string directory = directoryOf(path);
    m_target = path;

    const int fd = ::open(directory.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
    if (fd >= 0) {
        m_fd = fd;
        return true;
    }
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
        error = cannotWrite(target, std::strerror(errno));
        m_target.clear();
        return false;
    }
    removeStaleTemporaries(directory, base);
    if (!openNamed(directory, base, error)) {
        error = cannotWrite(target, error);
        m_target.clear();
        return false;
    }
    return true;
}

bool AtomicFile::openNamed(const std::string& directory, const std::string& base, std::string& error)
{
    std::string temp = directory + "/." + base + ".XXXXXX";
    std::vector<char> name(temp.begin(), temp.end());
    name.push_back('\0');
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    // Held until the file is renamed or removed: the mark of a live run.
    ::flock(fd, LOCK_EX);
    // mkstemp creates 0600; the finished file gets the usual permissions.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);

    m_temp = name.data();
    m_fd = fd;
    m_slot = registerPending(m_temp);
    return true;
}

// Gives the unnamed file a hidden name next to the target, so that it can be
// renamed over it (linkat cannot replace a file).
bool AtomicFile::linkUnnamed(std::string& error)
{
    static constexpr char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    const std::string procPath = "/proc/self/fd/" + std::to_string(m_fd);
    const std::string prefix = directoryOf(m_target) + "/." + baseNameOf(m_target) + ".";
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = prefix;
        for (int i = 0; i < 6; ++i)
            name += letters[random() % (sizeof(letters) - 1)];
        if (::linkat(AT_FDCWD, procPath.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            m_temp = name;
            m_slot = registerPending(m_temp);
            return true;
        }
        if (errno != EEXIST)
            break;
    }
    error = std::strerror(errno);
    return false;
}

bool AtomicFile::commit(std::string& error)
{
    if (m_fd < 0) {
        error = cannotWrite(m_target, "not open");
        return false;
    }
    std::string reason;
    if (::fsync(m_fd) != 0 || (m_temp.empty() && !linkUnnamed(reason))) {
        error = cannotWrite(m_target, reason.empty() ? std::strerror(errno) : reason);
        discard();
        return false;
    }
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0) {
        error = cannotWrite(m_target, std::strerror(errno));
        discard();
        return false;
    }
    // The target may have changed kind while the render ran.
    if (const std::string refusal = refusalFor(m_target); !refusal.empty()) {
        error = cannotWrite(m_target, refusal);
        discard();
        return false;
    }
    if (::rename(m_temp.c_str(), m_target.c_str()) != 0) {
        error = cannotWrite(m_target, std::strerror(errno));
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
    if (!m_temp.empty())
        ::unlink(m_temp.c_str());
    m_temp.clear();
    if (m_slot >= 0)
        pendingUsed[m_slot] = 0;
    m_slot = -1;
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

void AtomicFile::discardAllFromSignal()
{
    for (int i = 0; i < maxOpen; ++i) {
        if (pendingUsed[i])
            ::unlink(pendingPaths[i]);
    }
}
