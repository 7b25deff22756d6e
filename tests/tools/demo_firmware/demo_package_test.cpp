// The demonstration's package as a user gets it: found by the search, downloaded from the local
// firmware service and installed into the emulated speaker.
#include <demo_firmware/demo_package.h>

#include <support/firmware_fixture.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

using DemoPackage = FirmwareTest;

TEST_F(DemoPackage, UpdatesTheEmulatedSpeakerFromTheLocalService)
{
    EXPECT_EQ(demo_firmware::write_demo_package(packages.path(), "K5R"),
              packages.path() + "/K5R/1.0.8/firmware.zip");
    control->search_firmware_update();
    ASSERT_EQ(callback.next(), "firmware_update_available");
    ASSERT_EQ(update().back().name, "firmware_update_succeeded");
    EXPECT_EQ(control->get_firmware_version(), "1.0.8");

    // The two blocks hold the inverted pattern; the blocks up to the settings block keep theirs.
    const std::vector<std::uint8_t> now = speaker().image();
    for (std::uint32_t address = 0; address < 0x20000; ++address)
        ASSERT_EQ(now[address], demo_firmware::installed_byte(address)) << address;
    EXPECT_TRUE(std::equal(now.begin() + 0x20000, now.begin() + 0x1D0000,
                           factory_image().begin() + 0x20000));
}

} // namespace
