#pragma once

#include <QString>
#include <QStringView>

#include <array>
#include <optional>

// The five presets of the console, in button order. `void` is a C++ keyword,
// hence the capitalised enumerators; the raw values are the lower-case names.
enum class SLMPresetID { Void, Drift, Swarm, Storm, Custom };

namespace slm {

inline constexpr std::array<SLMPresetID, 5> allPresetIDs = {
    SLMPresetID::Void, SLMPresetID::Drift, SLMPresetID::Swarm, SLMPresetID::Storm, SLMPresetID::Custom,
};

// "void", "drift", ...: the form stored in the custom preset's JSON.
QString presetRawValue(SLMPresetID id);
// "VOID", "DRIFT", ...: the console button's text.
QString presetLabel(SLMPresetID id);
QString presetDescription(SLMPresetID id);

// Exactly one of the five raw values, nothing else (no case folding, no trimming).
std::optional<SLMPresetID> presetIDFromRawValue(QStringView raw);

} // namespace slm
