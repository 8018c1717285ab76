#pragma once

#include <string>

// A file that appears under its name only when complete: it is written to an
// unnamed temporary file in the target's directory (O_TMPFILE), which is
// linked and renamed over the target on commit(). Where the file system has
// no unnamed files, a hidden ".NAME.XXXXXX" file takes its place; it is held
// locked while in use, so the next run can tell a dead run's leftovers from a
// live one's and remove them. Until commit, and if anything fails, the target
// is left as it was. Only a regular file is ever replaced (through a symbolic
// link, the file it names); any other kind of target is refused.
class AtomicFile {
public:
    AtomicFile() = default;
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Creates the temporary file. False with a reason if the target cannot be written.
    bool open(const std::string& target, std::string& error);
    int descriptor() const { return m_fd; }
    const std::string& target() const { return m_target; }

    // Flushes, closes and renames into place.
    bool commit(std::string& error);
    // Removes the temporary file.
    void discard();

    // Removes every temporary file still open; async-signal-safe, for an interrupted run.
    static void discardAllFromSignal();

private:
    bool openNamed(const std::string& directory, const std::string& base, std::string& error);
    bool linkUnnamed(std::string& error);

    std::string m_target;
    std::string m_temp; // empty while the file has no name
    int m_fd = -1;
    int m_slot = -1;
};
