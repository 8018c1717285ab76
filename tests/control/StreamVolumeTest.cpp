#include "control/StreamVolume.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace {

TEST(StreamVolumeTest, ClampsIgnoresNonNumbersAndNeverEchoesTheServer)
{
    StreamVolume volume;
    std::vector<double> written;
    volume.setSink([&](double v) { written.push_back(v); });

    volume.setVolume(1.7);
    EXPECT_EQ(volume.volume(), 1.0);
    EXPECT_TRUE(written.empty()) << "an unchanged volume went to the server";
    volume.setVolume(-0.2);
    volume.setVolume(std::numeric_limits<double>::quiet_NaN());
    volume.setVolume(std::numeric_limits<double>::infinity());
    EXPECT_EQ(volume.volume(), 0.0);
    volume.setVolume(0.25);
    EXPECT_EQ(written, (std::vector<double>{0.0, 0.25}));

    volume.takeServerVolume(0.6);
    EXPECT_EQ(volume.volume(), 0.6);
    EXPECT_EQ(written.size(), 2u) << "a change from the server was written back";
}

} // namespace
