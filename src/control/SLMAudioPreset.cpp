#include "control/SLMAudioPreset.h"

#include "control/SLMAudioParameters.h"
#include "control/SLMControlRanges.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

#include <cmath>

namespace {

// The ten numeric fields with their JSON keys, in field order.
struct NumericField {
    const char* key;
    double SLMAudioPreset::*member;
};

constexpr NumericField numericFields[] = {
    {"reactorLevel", &SLMAudioPreset::reactorLevel},
    {"fieldLevel", &SLMAudioPreset::fieldLevel},
    {"waveLevel", &SLMAudioPreset::waveLevel},
    {"anomalyLevel", &SLMAudioPreset::anomalyLevel},
    {"glowwormMasterDB", &SLMAudioPreset::glowwormMasterDB},
    {"glowwormLevel", &SLMAudioPreset::glowwormLevel},
    {"glowwormActivity", &SLMAudioPreset::glowwormActivity},
    {"glowwormBrightness", &SLMAudioPreset::glowwormBrightness},
    {"glowwormTrail", &SLMAudioPreset::glowwormTrail},
    {"glowwormStereoTravel", &SLMAudioPreset::glowwormStereoTravel},
};

constexpr const char* idKey = "id";

SLMAudioPreset preset(SLMPresetID id, double reactor, double field, double wave, double anomaly,
                      double glowMasterDB, double glowLevel, double activity, double brightness,
                      double trail, double travel)
{
    return {id, reactor, field, wave, anomaly, glowMasterDB, glowLevel, activity, brightness, trail, travel};
}

} // namespace

SLMAudioPreset SLMAudioPreset::builtIn(SLMPresetID id)
{
    switch (id) {
    case SLMPresetID::Void:
        return preset(id, 0.30, 0.04, 0.024, 0.035, -18.0, 0.05, 0.2, 0.32, 0.72, 0.35);
    case SLMPresetID::Drift:
        return preset(id, 0.16, 0.125, 0.085, 0.055, -12.0, 0.065, 0.36, 0.48, 0.8, 0.92);
    case SLMPresetID::Swarm:
        return preset(id, 0.15, 0.095, 0.06, 0.07, -2.5, 0.13, 0.9, 0.82, 0.7, 1.0);
    case SLMPresetID::Storm:
        return preset(id, 0.27, 0.145, 0.125, 0.16, -4.0, 0.11, 0.72, 0.76, 0.58, 0.88);
    case SLMPresetID::Custom:
        break;
    }
    namespace d = slm::defaults;
    return preset(SLMPresetID::Custom, d::reactorLevel, d::fieldLevel, d::waveLevel, d::anomalyLevel,
                  d::glowwormMasterDB, d::glowwormLevel, d::glowwormActivity, d::glowwormBrightness,
                  d::glowwormTrail, d::glowwormStereoTravel);
}

SLMAudioPreset SLMAudioPreset::snapshot(const SLMAudioParameters& p, SLMPresetID id)
{
    return preset(id, p.reactorLevel(), p.fieldLevel(), p.waveLevel(), p.anomalyLevel(),
                  p.glowwormMasterDB(), p.glowwormLevel(), p.glowwormActivity(), p.glowwormBrightness(),
                  p.glowwormTrail(), p.glowwormStereoTravel());
}

void SLMAudioPreset::applyTo(SLMAudioParameters& p) const
{
    p.setReactorLevel(reactorLevel);
    p.setFieldLevel(fieldLevel);
    p.setWaveLevel(waveLevel);
    p.setAnomalyLevel(anomalyLevel);
    p.setGlowwormMasterDB(glowwormMasterDB);
    p.setGlowwormLevel(glowwormLevel);
    p.setGlowwormActivity(glowwormActivity);
    p.setGlowwormBrightness(glowwormBrightness);
    p.setGlowwormTrail(glowwormTrail);
    p.setGlowwormStereoTravel(glowwormStereoTravel);
}

std::optional<QByteArray> SLMAudioPreset::encode() const
{
    QJsonObject object;
    object.insert(QLatin1String(idKey), rawID());
    for (const NumericField& field : numericFields) {
        const double value = this->*field.member;
        // QJsonValue would quietly turn these into null.
        if (!std::isfinite(value))
            return std::nullopt;
        object.insert(QLatin1String(field.key), value);
    }
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

std::optional<SLMAudioPreset> SLMAudioPreset::decode(const QByteArray& json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject object = document.object();

    const QJsonValue idValue = object.value(QLatin1String(idKey));
    if (!idValue.isString())
        return std::nullopt;
    const std::optional<SLMPresetID> id = slm::presetIDFromRawValue(idValue.toString());
    if (!id)
        return std::nullopt;

    SLMAudioPreset result;
    result.id = *id;
    for (const NumericField& field : numericFields) {
        const QJsonValue value = object.value(QLatin1String(field.key));
        if (!value.isDouble() || !std::isfinite(value.toDouble()))
            return std::nullopt;
        result.*field.member = value.toDouble();
    }
    return result;
}

SLMAudioPreset SLMAudioPreset::limitedToControlRanges() const
{
    SLMAudioPreset limited = *this;
    for (const NumericField& field : numericFields)
        limited.*field.member = slm::controlRange(QString::fromLatin1(field.key))->limit(this->*field.member);
    return limited;
}
