// The firmware package of the demonstration: made from the emulated model's own flash pattern,
// with a newer version and few blocks, so that an update from the local firmware service can be
// watched on a machine with no speaker and takes seconds.
#pragma once

#include <cstdint>
#include <string>

namespace demo_firmware {

/// The version the package offers: newer than the 1.0.7 every emulated speaker leaves the
/// factory with.
inline const std::string version = "1.0.8";

/// The 64 KB blocks the package fills: the main firmware image's and the model image's.
constexpr std::uint32_t firmware_block = 0;
constexpr std::uint32_t model_block = 1;

/// What an installed package leaves at `address` of those blocks, as the flash stores it: the
/// factory pattern with every bit inverted, so that the update shows in the flash.
std::uint8_t installed_byte(std::uint32_t address);

/// Writes the package for `model` as the local firmware service serves it,
/// "<root>/<model>/<version>/firmware.zip" (folders made as needed), and returns its path.
/// Throws std::invalid_argument for a model the emulated speaker does not know and
/// std::runtime_error when the file cannot be written.
std::string write_demo_package(const std::string& root, const std::string& model);

} // namespace demo_firmware
