// Firmware version texts ("1.0.7"): their numbers and which of two versions is newer.
#pragma once

#include <quarro/types.h>

#include <array>
#include <string>

/// The four numbers of a version text split at '.', empty pieces skipped ("1..2" gives 1, 2,
/// 0, 0). Each number is the integer its piece starts with (0 when none, saturated to the
/// 32-bit range); missing numbers are 0 and pieces past the fourth are ignored. Never throws
/// but for allocation; any thread.
std::array<quarro::u32, 4> parse_firmware_version(const std::string& text);

/// True when `online` is newer than `current`: the first of the four numbers that differ
/// decides, by their difference taken as a signed 32-bit number; equal versions are not newer.
/// Any thread.
bool is_newer_firmware_version(const std::string& online, const std::string& current);
