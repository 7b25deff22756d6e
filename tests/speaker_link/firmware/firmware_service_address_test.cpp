// The firmware service's address: the environment variable over the built-in one, without the
// trailing slashes that would double the slash before every path.
#include <speaker_link/firmware/firmware_service_address.h>

#include <support/environment_variable.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>

namespace {

// The address the test program was built with (the CMake cache variable), as the product's
// own source file has it.
const std::string built_in = PELLARO_BUILT_IN_FIRMWARE_SERVICE;

TEST(FirmwareServiceAddress, TrailingSlashesGoAndAnEmptyVariableMeansTheBuiltInAddress)
{
    ASSERT_FALSE(built_in.empty());
    ASSERT_NE(built_in.back(), '/') << "this table expects a built-in address without a slash";
    // name, PELLARO_FIRMWARE_SERVICE (none: unset), the address used
    const std::tuple<const char*, std::optional<std::string>, std::string> cases[] = {
        {"unset", std::nullopt, built_in},
        {"empty", "", built_in},
        {"no slash", "http://127.0.0.1:8080", "http://127.0.0.1:8080"},
        {"one slash", "http://127.0.0.1:8080/", "http://127.0.0.1:8080"},
        {"three slashes", "http://127.0.0.1:8080///", "http://127.0.0.1:8080"},
        {"a path and a slash", "https://firmware.example/api/", "https://firmware.example/api"},
    };
    for (const auto& [name, value, expected] : cases) {
        const test_support::environment_variable variable("PELLARO_FIRMWARE_SERVICE", value);
        EXPECT_EQ(get_firmware_service_address(), expected) << name;
    }
}

} // namespace
