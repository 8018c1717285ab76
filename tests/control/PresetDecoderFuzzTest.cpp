#include "control/SLMAudioPreset.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QMetaProperty>

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

const char* const keys[] = {"id", "reactorLevel", "fieldLevel", "waveLevel", "anomalyLevel", "glowwormMasterDB",
                            "glowwormLevel", "glowwormActivity", "glowwormBrightness", "glowwormTrail",
                            "glowwormStereoTravel"};

// Tokens that JSON mutations like to produce: wrong types, extreme and
// non-finite spellings, near-miss ids.
const char* const tokens[] = {"null", "true", "false", "0", "-0", "1e308", "1e309", "-1e999", "NaN",
                              "Infinity", "\"\"", "\"void\"", "\"Void\"", "\"storm \"", "\"custom\"",
                              "[]", "{}", "\"0.5\"", "0.5", "-8", "4.9e-324", ",", ":", "\"id\"", "\"\\u0000\""};

class Mutator {
public:
    explicit Mutator(unsigned seed)
        : m_random(seed)
    {
    }

    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_random); }

    QByteArray mutate(QByteArray input)
    {
        const int steps = 1 + below(4);
        for (int i = 0; i < steps; ++i)
            input = step(input);
        return input;
    }

private:
    QByteArray step(QByteArray s)
    {
        const int at = s.isEmpty() ? 0 : below(static_cast<int>(s.size()));
        switch (below(8)) {
        case 0: // flip a byte
            if (!s.isEmpty())
                s[at] = static_cast<char>(below(256));
            break;
        case 1: // insert a byte
            s.insert(at, static_cast<char>(below(256)));
            break;
        case 2: // delete a run
            s.remove(at, 1 + below(8));
            break;
        case 3: // truncate
            s.truncate(at);
            break;
        case 4: // replace a value with a token
        {
            const qsizetype colon = s.indexOf(':', at);
            if (colon >= 0) {
                qsizetype end = colon + 1;
                while (end < s.size() && s[end] != ',' && s[end] != '}')
                    ++end;
                s.replace(colon + 1, end - colon - 1, tokens[below(std::size(tokens))]);
            }
            break;
        }
        case 5: // rename or drop a key
        {
            const QByteArray key = QByteArray("\"") + keys[below(std::size(keys))] + "\"";
            s.replace(key, below(2) ? QByteArray("\"x\"") : QByteArray("\"") + keys[below(std::size(keys))] + "\"");
            break;
        }
        case 6: // duplicate a slice
        {
            const int length = below(32);
            s.insert(below(static_cast<int>(s.size()) + 1), s.mid(at, length));
            break;
        }
        default: // insert a token
            s.insert(at, tokens[below(std::size(tokens))]);
            break;
        }
        return s;
    }

    std::mt19937 m_random;
};

// An accepted blob must describe exactly the preset that came out: every
// key present in the input with the decoded value, a known id, finite
// numbers, and an encoding that decodes back to the same preset.
void expectGenuine(const QByteArray& input, const SLMAudioPreset& preset)
{
    const QJsonObject object = QJsonDocument::fromJson(input).object();
    ASSERT_EQ(object.value("id").toString(), preset.rawID()) << input.constData();
    ASSERT_TRUE(slm::presetIDFromRawValue(preset.rawID()).has_value());
    const QMetaObject& meta = SLMAudioPreset::staticMetaObject;
    for (const char* key : keys) {
        if (QByteArray(key) == "id")
            continue;
        const double decoded = meta.property(meta.indexOfProperty(key)).readOnGadget(&preset).toDouble();
        ASSERT_TRUE(std::isfinite(decoded)) << input.constData();
        ASSERT_TRUE(object.value(key).isDouble()) << key << " in " << input.constData();
        ASSERT_EQ(object.value(key).toDouble(), decoded) << key << " in " << input.constData();
    }
    const std::optional<QByteArray> encoded = preset.encode();
    ASSERT_TRUE(encoded.has_value());
    const QJsonObject reencoded = QJsonDocument::fromJson(*encoded).object();
    ASSERT_EQ(reencoded.size(), 11);
    ASSERT_EQ(SLMAudioPreset::decode(*encoded), preset);
}

TEST(PresetDecoderFuzz, MutatedBlobsNeverCrashOrPassInvalid)
{
    std::vector<QByteArray> seeds;
    for (SLMPresetID id : slm::allPresetIDs)
        seeds.push_back(*SLMAudioPreset::builtIn(id).encode());
    seeds.push_back(QJsonDocument::fromJson(seeds[2]).toJson(QJsonDocument::Indented));
    seeds.push_back("{}");
    seeds.push_back("");

    Mutator mutator(0x5EED);
    int accepted = 0;
    int rejected = 0;
    for (int i = 0; i < 60000; ++i) {
        QByteArray input = mutator.mutate(seeds[mutator.below(static_cast<int>(seeds.size()))]);
        if (mutator.below(50) == 0) // now and then, plain noise
            for (char& c : input)
                c = static_cast<char>(mutator.below(256));
        const std::optional<SLMAudioPreset> preset = SLMAudioPreset::decode(input);
        if (preset) {
            ++accepted;
            expectGenuine(input, *preset);
            if (testing::Test::HasFatalFailure())
                return;
            // Accepted inputs seed further mutation, to explore near-valid space.
            if (seeds.size() < 200)
                seeds.push_back(input);
        } else {
            ++rejected;
        }
    }
    // Both outcomes must be well represented, or the mutator explores nothing.
    EXPECT_GT(accepted, 500);
    EXPECT_GT(rejected, 10000);
}

} // namespace
