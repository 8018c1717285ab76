#include "control/SLMPresetID.h"

namespace slm {

namespace {

struct PresetText {
    const char16_t* raw;
    const char16_t* label;
    const char16_t* description;
};

// Indexed by the enumerator's value.
constexpr PresetText texts[] = {
    {u"void", u"VOID", u"Deep \u00B7 sparse \u00B7 reactor-led"},
    {u"drift", u"DRIFT", u"Wide \u00B7 slow \u00B7 atmospheric"},
    {u"swarm", u"SWARM", u"Glowworm-forward \u00B7 active \u00B7 mobile"},
    {u"storm", u"STORM", u"Dense \u00B7 energetic \u00B7 anomaly-rich"},
    {u"custom", u"CUSTOM", u"Live manual state \u00B7 automatically remembered"},
};
static_assert(std::size(texts) == allPresetIDs.size());

const PresetText& textOf(SLMPresetID id)
{
    return texts[static_cast<int>(id)];
}

} // namespace

QString presetRawValue(SLMPresetID id)
{
    return QString::fromUtf16(textOf(id).raw);
}

QString presetLabel(SLMPresetID id)
{
    return QString::fromUtf16(textOf(id).label);
}

QString presetDescription(SLMPresetID id)
{
    return QString::fromUtf16(textOf(id).description);
}

std::optional<SLMPresetID> presetIDFromRawValue(QStringView raw)
{
    for (SLMPresetID id : allPresetIDs) {
        if (raw == QStringView(textOf(id).raw))
            return id;
    }
    return std::nullopt;
}

} // namespace slm
