#pragma once

#include <functional>

// Whether the display must stay awake: while the clock is shown full screen,
// except once the sleep timer has put the sound to sleep; then the display
// may sleep too, until playback starts again.
class ScreenAwakePolicy {
public:
    // Called with the new answer whenever it changes.
    std::function<void(bool keepAwake)> changed;

    bool keepAwake() const { return m_fullScreen && !m_sleptOut; }

    void setFullScreen(bool fullScreen) { update([&] { m_fullScreen = fullScreen; }); }
    void sleepTimerExpired() { update([&] { m_sleptOut = true; }); }
    void playingChanged(bool playing)
    {
        if (playing)
            update([&] { m_sleptOut = false; });
    }

private:
    template <typename Change>
    void update(Change change)
    {
        const bool before = keepAwake();
        change();
        if (keepAwake() != before && changed)
            changed(keepAwake());
    }

    bool m_fullScreen = false;
    bool m_sleptOut = false;
};
