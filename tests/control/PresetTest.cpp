#include "control/SLMAudioParameters.h"
#include "control/SLMAudioPreset.h"
#include "control/SLMPresetID.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace {

const char* const defaultStateJson =
    R"({"id":"custom","reactorLevel":0.2,"fieldLevel":0.078,"waveLevel":0.05,"anomalyLevel":0.085,)"
    R"("glowwormMasterDB":-8,"glowwormLevel":0.075,"glowwormActivity":0.5,"glowwormBrightness":0.55,)"
    R"("glowwormTrail":0.6,"glowwormStereoTravel":0.7})";

QJsonObject parse(const QByteArray& json)
{
    return QJsonDocument::fromJson(json).object();
}

QByteArray withValue(const char* key, const QJsonValue& value)
{
    QJsonObject object = parse(defaultStateJson);
    object.insert(QLatin1String(key), value);
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

QByteArray without(const char* key)
{
    QJsonObject object = parse(defaultStateJson);
    object.remove(QLatin1String(key));
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

TEST(SLMPresetID, FiveIdsWithTheirTextsInButtonOrder)
{
    const QStringList raw = {"void", "drift", "swarm", "storm", "custom"};
    const QStringList labels = {"VOID", "DRIFT", "SWARM", "STORM", "CUSTOM"};
    const QStringList descriptions = {
        QString::fromUtf8("Deep \u00B7 sparse \u00B7 reactor-led"),
        QString::fromUtf8("Wide \u00B7 slow \u00B7 atmospheric"),
        QString::fromUtf8("Glowworm-forward \u00B7 active \u00B7 mobile"),
        QString::fromUtf8("Dense \u00B7 energetic \u00B7 anomaly-rich"),
        QString::fromUtf8("Live manual state \u00B7 automatically remembered"),
    };
    ASSERT_EQ(slm::allPresetIDs.size(), 5u);
    for (int i = 0; i < 5; ++i) {
        const SLMPresetID id = slm::allPresetIDs[i];
        EXPECT_EQ(slm::presetRawValue(id), raw[i]);
        EXPECT_EQ(slm::presetLabel(id), labels[i]);
        EXPECT_EQ(slm::presetDescription(id), descriptions[i]);
        EXPECT_EQ(slm::presetIDFromRawValue(raw[i]), id);
    }
    EXPECT_EQ(slm::presetDescription(SLMPresetID::Void).at(5), QChar(0x00B7));
}

TEST(SLMPresetID, AnyOtherStringIsNoId)
{
    for (const char* s : {"", "VOID", "Void", " void", "void ", "customs", "cust", "8", "null"})
        EXPECT_FALSE(slm::presetIDFromRawValue(QString::fromLatin1(s)).has_value()) << s;
}

TEST(SLMAudioPreset, BuiltInColumns)
{
    const SLMAudioPreset storm = SLMAudioPreset::builtIn(SLMPresetID::Storm);
    EXPECT_EQ(storm, (SLMAudioPreset{SLMPresetID::Storm, 0.27, 0.145, 0.125, 0.16, -4.0, 0.11, 0.72, 0.76, 0.58, 0.88}));
    EXPECT_EQ(SLMAudioPreset::builtIn(SLMPresetID::Void),
              (SLMAudioPreset{SLMPresetID::Void, 0.30, 0.04, 0.024, 0.035, -18.0, 0.05, 0.2, 0.32, 0.72, 0.35}));
    EXPECT_EQ(SLMAudioPreset::builtIn(SLMPresetID::Drift),
              (SLMAudioPreset{SLMPresetID::Drift, 0.16, 0.125, 0.085, 0.055, -12.0, 0.065, 0.36, 0.48, 0.8, 0.92}));
    EXPECT_EQ(SLMAudioPreset::builtIn(SLMPresetID::Swarm),
              (SLMAudioPreset{SLMPresetID::Swarm, 0.15, 0.095, 0.06, 0.07, -2.5, 0.13, 0.9, 0.82, 0.7, 1.0}));
}

TEST(SLMAudioPreset, EqualityCoversEveryField)
{
    const SLMAudioPreset base = SLMAudioPreset::builtIn(SLMPresetID::Drift);
    SLMAudioPreset other = base;
    EXPECT_EQ(other, base);
    other.id = SLMPresetID::Custom;
    EXPECT_NE(other, base);
    double SLMAudioPreset::*fields[] = {
        &SLMAudioPreset::reactorLevel,     &SLMAudioPreset::fieldLevel,         &SLMAudioPreset::waveLevel,
        &SLMAudioPreset::anomalyLevel,     &SLMAudioPreset::glowwormMasterDB,   &SLMAudioPreset::glowwormLevel,
        &SLMAudioPreset::glowwormActivity, &SLMAudioPreset::glowwormBrightness, &SLMAudioPreset::glowwormTrail,
        &SLMAudioPreset::glowwormStereoTravel,
    };
    for (auto field : fields) {
        other = base;
        other.*field += 0.001;
        EXPECT_NE(other, base);
    }
}

TEST(SLMAudioPreset, EncodesTheDefaultStateAsTheElevenKeyObject)
{
    SLMAudioParameters parameters;
    const std::optional<QByteArray> json = SLMAudioPreset::snapshot(parameters, SLMPresetID::Custom).encode();
    ASSERT_TRUE(json.has_value());
    EXPECT_EQ(parse(*json), parse(defaultStateJson));
    EXPECT_TRUE(json->contains("\"glowwormMasterDB\":-8")) << json->constData();
    EXPECT_EQ(SLMAudioPreset::decode(*json), SLMAudioPreset::snapshot(parameters, SLMPresetID::Custom));
}

TEST(SLMAudioPreset, DecodesAnyKeyOrderAndKeepsTheStoredId)
{
    const QByteArray reordered =
        R"({"glowwormStereoTravel":1,"glowwormTrail":0.7,"glowwormBrightness":0.82,"glowwormActivity":0.9,)"
        R"("glowwormLevel":0.13,"glowwormMasterDB":-2.5,"anomalyLevel":0.07,"waveLevel":0.06,)"
        R"( "fieldLevel" : 0.095 , "reactorLevel":0.15,"id":"swarm", "note":"ignored"})";
    EXPECT_EQ(SLMAudioPreset::decode(reordered), SLMAudioPreset::builtIn(SLMPresetID::Swarm));
}

TEST(SLMAudioPreset, RejectsBlobsThatAreNotExactlyAPreset)
{
    std::vector<QByteArray> bad = {
        "",
        "not json",
        "[]",
        "\"custom\"",
        QByteArray(defaultStateJson).chopped(1),
        withValue("id", "Custom"),
        withValue("id", "loud"),
        withValue("id", 4),
        withValue("id", QJsonValue::Null),
        R"({"id":"custom","reactorLevel":1e999,"fieldLevel":0.078,"waveLevel":0.05,"anomalyLevel":0.085,)"
        R"("glowwormMasterDB":-8,"glowwormLevel":0.075,"glowwormActivity":0.5,"glowwormBrightness":0.55,)"
        R"("glowwormTrail":0.6,"glowwormStereoTravel":0.7})",
    };
    const char* numericKeys[] = {"reactorLevel", "fieldLevel", "waveLevel", "anomalyLevel", "glowwormMasterDB",
                                 "glowwormLevel", "glowwormActivity", "glowwormBrightness", "glowwormTrail",
                                 "glowwormStereoTravel"};
    bad.push_back(without("id"));
    for (const char* key : numericKeys) {
        bad.push_back(without(key));
        bad.push_back(withValue(key, "0.5"));
        bad.push_back(withValue(key, true));
        bad.push_back(withValue(key, QJsonValue::Null));
        bad.push_back(withValue(key, QJsonObject{{"value", 0.5}}));
    }
    for (const QByteArray& blob : bad)
        EXPECT_FALSE(SLMAudioPreset::decode(blob).has_value()) << blob.constData();
}

TEST(SLMAudioPreset, RefusesToEncodeNonFiniteNumbers)
{
    for (double value : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                         -std::numeric_limits<double>::infinity()}) {
        SLMAudioPreset preset = SLMAudioPreset::builtIn(SLMPresetID::Storm);
        preset.glowwormStereoTravel = value;
        EXPECT_FALSE(preset.encode().has_value());
        preset = SLMAudioPreset::builtIn(SLMPresetID::Storm);
        preset.reactorLevel = value;
        EXPECT_FALSE(preset.encode().has_value());
    }
    // Extremes that are finite survive the round trip unchanged.
    SLMAudioPreset extreme = SLMAudioPreset::builtIn(SLMPresetID::Void);
    extreme.reactorLevel = std::numeric_limits<double>::max();
    extreme.fieldLevel = -std::numeric_limits<double>::denorm_min();
    extreme.waveLevel = 0.1 + 0.2;
    EXPECT_EQ(SLMAudioPreset::decode(*extreme.encode()), extreme);
}

} // namespace
