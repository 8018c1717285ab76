#include "control/SLMAudioParameters.h"

#include <QMetaProperty>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

// The default levels are the preset tests' (the fresh snapshot encodes to the
// default state); every switch starts off.
TEST(SLMAudioParameters, FreshObjectStartsWithEverySwitchOff)
{
    SLMAudioParameters p;
    for (const QString& name : SLMAudioParameters::propertyNames()) {
        const QVariant value = p.property(name.toLatin1().constData());
        if (value.typeId() == QMetaType::Bool) {
            EXPECT_FALSE(value.toBool()) << name.toStdString();
        }
    }
}

// Observers must see the announcement while the old value is still stored,
// and the property's own signal once the new one is in place.
TEST(SLMAudioParameters, EverySetterAnnouncesBeforeStoringThenNotifies)
{
    SLMAudioParameters p;
    const QMetaObject& meta = SLMAudioParameters::staticMetaObject;
    for (const QString& name : SLMAudioParameters::propertyNames()) {
        const QMetaProperty property = meta.property(meta.indexOfProperty(name.toLatin1().constData()));
        const bool isBool = property.typeId() == QMetaType::Bool;
        const QVariant before = property.read(&p);
        const QVariant after = isBool ? QVariant(!before.toBool()) : QVariant(before.toDouble() + 0.25);

        std::vector<QVariant> seenAtAnnouncement;
        auto connection = QObject::connect(&p, &SLMAudioParameters::objectWillChange,
                                           [&] { seenAtAnnouncement.push_back(property.read(&p)); });
        const QByteArray notifySignature = "2" + property.notifySignal().methodSignature();
        QSignalSpy notify(&p, notifySignature.constData());

        ASSERT_TRUE(property.write(&p, after)) << name.toStdString();
        QObject::disconnect(connection);

        ASSERT_EQ(seenAtAnnouncement.size(), 1u) << name.toStdString();
        EXPECT_EQ(seenAtAnnouncement[0], before) << name.toStdString();
        EXPECT_EQ(notify.count(), 1) << name.toStdString();
        EXPECT_EQ(property.read(&p), after) << name.toStdString();
    }
}

TEST(SLMAudioParameters, NotifySignalSeesTheStoredValue)
{
    SLMAudioParameters p;
    double seen = 0.0;
    QObject::connect(&p, &SLMAudioParameters::glowwormTrailChanged, [&] { seen = p.glowwormTrail(); });
    p.setGlowwormTrail(0.9);
    EXPECT_EQ(seen, 0.9);
}

TEST(SLMAudioParameters, AssigningAnUnchangedValueStillAnnounces)
{
    SLMAudioParameters p;
    QSignalSpy willChange(&p, &SLMAudioParameters::objectWillChange);
    QSignalSpy changed(&p, &SLMAudioParameters::fieldLevelChanged);
    p.setFieldLevel(p.fieldLevel());
    p.setWaveSolo(false);
    EXPECT_EQ(willChange.count(), 2);
    EXPECT_EQ(changed.count(), 1);
}

TEST(SLMAudioParameters, StoresValuesOutsideTheFaderRangesUnchanged)
{
    SLMAudioParameters p;
    p.setReactorLevel(-0.3);
    p.setGlowwormActivity(7.5);
    p.setGlowwormMasterDB(-120.0);
    p.setWaveLevel(std::nan(""));
    EXPECT_EQ(p.reactorLevel(), -0.3);
    EXPECT_EQ(p.glowwormActivity(), 7.5);
    EXPECT_EQ(p.glowwormMasterDB(), -120.0);
    EXPECT_TRUE(std::isnan(p.waveLevel()));
}

TEST(SLMAudioParameters, SetByNameAddressesEveryControlAndRejectsOthers)
{
    SLMAudioParameters p;
    EXPECT_TRUE(p.setByName("anomalyLevel", 0.12));
    EXPECT_EQ(p.anomalyLevel(), 0.12);
    EXPECT_TRUE(p.setByName("glowwormSolo", 1.0));
    EXPECT_TRUE(p.glowwormSolo());
    EXPECT_TRUE(p.setByName("glowwormSolo", 0.0));
    EXPECT_FALSE(p.glowwormSolo());
    EXPECT_FALSE(p.setByName("objectName", 1.0));
    EXPECT_FALSE(p.setByName("reactorlevel", 1.0));
    EXPECT_FALSE(p.setByName("", 1.0));
    EXPECT_EQ(p.reactorLevel(), 0.2);
}

} // namespace
