#include "control/SLMAudioPreset.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QMetaProperty>

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

// What JSON mutations like to produce: wrong types, extreme and non-finite
// spellings, near-miss ids, structure.
const char* const tokens[] = {"null", "true", "0", "-0", "1e308", "1e309", "-1e999", "NaN", "Infinity", "\"\"",
                              "\"void\"", "\"Void\"", "\"storm \"", "\"custom\"", "[]", "{}", "\"0.5\"", "-8",
                              "4.9e-324", ",", ":", "\"id\"", "\"glowwormTrail\"", "\"\\u0000\""};

QByteArray mutate(QByteArray s, std::mt19937& random)
{
    auto below = [&](qsizetype n) { return qsizetype(std::uniform_int_distribution<qsizetype>(0, n - 1)(random)); };
    for (int steps = 1 + int(below(4)); steps > 0; --steps) {
        const qsizetype at = below(s.size() + 1);
        const char* token = tokens[below(std::size(tokens))];
        switch (below(6)) {
        case 0: s.insert(at, char(below(256))); break;
        case 1: s.remove(at, 1 + below(8)); break;
        case 2: s.truncate(at); break;
        case 3: s.insert(at, token); break;
        case 4: s.insert(below(s.size() + 1), s.mid(at, below(32))); break;
        default: { // replace a value
            const qsizetype colon = s.indexOf(':', at);
            qsizetype end = colon + 1;
            while (colon >= 0 && end < s.size() && s[end] != ',' && s[end] != '}')
                ++end;
            if (colon >= 0)
                s.replace(colon + 1, end - colon - 1, token);
        }
        }
    }
    return s;
}

// A decoded preset must be exactly what the input says: every field present
// with the decoded value, a known id, finite numbers, and an encoding of
// eleven keys that decodes back to the same preset.
void expectGenuine(const QByteArray& input, const SLMAudioPreset& preset)
{
    const QJsonObject object = QJsonDocument::fromJson(input).object();
    const QMetaObject& meta = SLMAudioPreset::staticMetaObject;
    ASSERT_EQ(meta.propertyCount(), 11);
    ASSERT_EQ(object.value("id").toString(), preset.rawID()) << input.constData();
    ASSERT_TRUE(slm::presetIDFromRawValue(preset.rawID()).has_value());
    for (int i = 1; i < 11; ++i) {
        const double decoded = meta.property(i).readOnGadget(&preset).toDouble();
        const QJsonValue given = object.value(meta.property(i).name());
        ASSERT_TRUE(std::isfinite(decoded) && given.isDouble() && given.toDouble() == decoded) << input.constData();
    }
    const QByteArray encoded = preset.encode().value_or("");
    ASSERT_EQ(QJsonDocument::fromJson(encoded).object().size(), 11);
    ASSERT_EQ(SLMAudioPreset::decode(encoded), preset);
}

TEST(PresetDecoderFuzz, MutatedBlobsNeverCrashOrPassInvalid)
{
    std::vector<QByteArray> corpus = {"{}", ""};
    for (SLMPresetID id : slm::allPresetIDs)
        corpus.push_back(*SLMAudioPreset::builtIn(id).encode());
    corpus.push_back(QJsonDocument::fromJson(corpus[3]).toJson(QJsonDocument::Indented));

    std::mt19937 random(0x5EED);
    int accepted = 0;
    for (int i = 0; i < 60000; ++i) {
        const QByteArray input = mutate(corpus[random() % corpus.size()], random);
        if (const std::optional<SLMAudioPreset> preset = SLMAudioPreset::decode(input)) {
            ++accepted;
            expectGenuine(input, *preset);
            if (HasFatalFailure())
                return;
            if (corpus.size() < 200) // accepted inputs explore the near-valid space further
                corpus.push_back(input);
        }
    }
    RecordProperty("accepted", accepted);
    // Both outcomes must be common, or the mutator explores nothing.
    EXPECT_GT(accepted, 500);
    EXPECT_LT(accepted, 50000);
}

} // namespace
