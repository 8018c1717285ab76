#pragma once

#include <string>

// A file that appears under its name only when complete: it is written to a
// temporary file in the target's directory and renamed over the target on
// commit(). Until then, and if anything fails, the target is left as it was.
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
    std::string m_target;
    std::string m_temp;
    int m_fd = -1;
    int m_slot = -1;
};
