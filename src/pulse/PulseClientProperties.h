#pragma once

#include <pulse/proplist.h>

#include <memory>

// What the desktop's volume mixers show for our connections and streams.
namespace slm::pulse {

inline constexpr const char* applicationName = "Starlume";
inline constexpr const char* iconName = "starlume";

struct ProplistFree {
    void operator()(pa_proplist* p) const { pa_proplist_free(p); }
};
using Proplist = std::unique_ptr<pa_proplist, ProplistFree>;

// Application name and icon; with `music`, also the media role that lets
// the server treat our stream as music.
Proplist clientProperties(bool music);

} // namespace slm::pulse
