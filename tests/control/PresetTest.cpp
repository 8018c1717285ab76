#include "control/SLMAudioParameters.h"
#include "control/SLMAudioPreset.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace {

const QByteArray defaultStateJson =
    R"({"id":"custom","reactorLevel":0.2,"fieldLevel":0.078,"waveLevel":0.05,"anomalyLevel":0.085,)"
    R"("glowwormMasterDB":-8,"glowwormLevel":0.075,"glowwormActivity":0.5,"glowwormBrightness":0.55,)"
    R"("glowwormTrail":0.6,"glowwormStereoTravel":0.7})";

QJsonObject parse(const QByteArray& json) { return QJsonDocument::fromJson(json).object(); }

QByteArray edited(const char* key, const QJsonValue& value) // undefined: the key is removed
{
    QJsonObject object = parse(defaultStateJson);
    value.isUndefined() ? void(object.remove(key)) : void(object.insert(key, value));
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

TEST(SLMPresetID, FiveIdsInButtonOrderAndNothingElse)
{
    const char* raw[] = {"void", "drift", "swarm", "storm", "custom"};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(slm::presetRawValue(slm::allPresetIDs[i]), raw[i]);
        EXPECT_EQ(slm::presetLabel(slm::allPresetIDs[i]), QString(raw[i]).toUpper());
        EXPECT_EQ(slm::presetIDFromRawValue(QString(raw[i])), slm::allPresetIDs[i]);
    }
    EXPECT_EQ(slm::presetDescription(SLMPresetID::Swarm), QString::fromUtf8("Glowworm-forward · active · mobile"));
    EXPECT_EQ(slm::presetDescription(SLMPresetID::Custom),
              QString::fromUtf8("Live manual state · automatically remembered"));
    for (const char* s : {"", "VOID", "Void", " void", "customs", "8"})
        EXPECT_FALSE(slm::presetIDFromRawValue(QString(s)).has_value()) << s;
}

TEST(SLMAudioPreset, EncodesTheElevenKeysAndDecodesAnyKeyOrder)
{
    SLMAudioParameters parameters;
    const SLMAudioPreset defaults = SLMAudioPreset::snapshot(parameters, SLMPresetID::Custom);
    const QByteArray json = *defaults.encode();
    EXPECT_EQ(parse(json), parse(defaultStateJson));
    EXPECT_TRUE(json.contains("\"glowwormMasterDB\":-8")) << json.constData();
    EXPECT_EQ(SLMAudioPreset::decode(json), defaults);

    const QByteArray reordered =
        R"({"glowwormStereoTravel":1,"glowwormTrail":0.7,"glowwormBrightness":0.82,"glowwormActivity":0.9,)"
        R"("glowwormLevel":0.13,"glowwormMasterDB":-2.5,"anomalyLevel":0.07,"waveLevel":0.06,)"
        R"( "fieldLevel" : 0.095 , "reactorLevel":0.15,"id":"swarm", "note":"ignored"})";
    EXPECT_EQ(SLMAudioPreset::decode(reordered),
              (SLMAudioPreset{SLMPresetID::Swarm, 0.15, 0.095, 0.06, 0.07, -2.5, 0.13, 0.9, 0.82, 0.7, 1.0}));
}

TEST(SLMAudioPreset, RejectsWholeAnyBlobThatIsNotExactlyAPreset)
{
    std::vector<QByteArray> bad = {"", "not json", "[]", "\"custom\"", defaultStateJson.chopped(1),
                                   QByteArray(defaultStateJson).replace("0.2", "1e999"),
                                   edited("id", "Custom"), edited("id", "loud"), edited("id", 4),
                                   edited("id", QJsonValue::Null), edited("id", QJsonValue::Undefined)};
    for (const char* key : {"reactorLevel", "fieldLevel", "waveLevel", "anomalyLevel", "glowwormMasterDB",
                            "glowwormLevel", "glowwormActivity", "glowwormBrightness", "glowwormTrail",
                            "glowwormStereoTravel"}) {
        for (const QJsonValue& wrong : {QJsonValue(QJsonValue::Undefined), QJsonValue("0.5"), QJsonValue(true),
                                        QJsonValue(QJsonValue::Null), QJsonValue(QJsonObject{})})
            bad.push_back(edited(key, wrong));
    }
    for (const QByteArray& blob : bad)
        EXPECT_FALSE(SLMAudioPreset::decode(blob).has_value()) << blob.constData();
}

TEST(SLMAudioPreset, EncodesOnlyFiniteNumbers)
{
    for (double value : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()}) {
        SLMAudioPreset preset = SLMAudioPreset::builtIn(SLMPresetID::Storm);
        preset.glowwormStereoTravel = -value;
        EXPECT_FALSE(preset.encode().has_value());
    }
    SLMAudioPreset extreme = SLMAudioPreset::builtIn(SLMPresetID::Void);
    extreme.reactorLevel = std::numeric_limits<double>::max();
    extreme.fieldLevel = -std::numeric_limits<double>::denorm_min();
    extreme.waveLevel = 0.1 + 0.2;
    EXPECT_EQ(SLMAudioPreset::decode(*extreme.encode()), extreme);
}

} // namespace
