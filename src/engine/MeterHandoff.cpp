#include "engine/MeterHandoff.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>

MeterHandoff::MeterHandoff()
    : m_wakeup(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC))
{
}

MeterHandoff::~MeterHandoff()
{
    if (m_wakeup >= 0)
        ::close(m_wakeup);
}

bool MeterHandoff::push(const MeterPeaks& peaks) noexcept
{
    if (!m_queue.push(peaks))
        return false;
    wake();
    return true;
}

void MeterHandoff::wake() noexcept
{
    if (m_wakeup >= 0) {
        // Non-blocking: if the counter were ever saturated, a wakeup is pending anyway.
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(m_wakeup, &one, sizeof one);
    }
}

void MeterHandoff::clearWakeup()
{
    // Reset the counter before popping: a push that lands after the pops
    // leaves its own wakeup behind.
    if (m_wakeup >= 0) {
        std::uint64_t count = 0;
        [[maybe_unused]] const ssize_t got = ::read(m_wakeup, &count, sizeof count);
    }
}
