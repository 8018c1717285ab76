#include "pulse/PulseClientProperties.h"

namespace slm::pulse {

Proplist clientProperties(bool music)
{
    Proplist props(pa_proplist_new());
    pa_proplist_sets(props.get(), PA_PROP_APPLICATION_NAME, applicationName);
    pa_proplist_sets(props.get(), PA_PROP_APPLICATION_ICON_NAME, iconName);
    pa_proplist_sets(props.get(), PA_PROP_APPLICATION_ID, iconName);
    if (music) {
        pa_proplist_sets(props.get(), PA_PROP_MEDIA_ROLE, "music");
        pa_proplist_sets(props.get(), PA_PROP_MEDIA_NAME, applicationName);
    }
    return props;
}

} // namespace slm::pulse
