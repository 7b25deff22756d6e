// Where the firmware service is: built into the program, overridable at run time.
#pragma once

#include <string>

/// The firmware service's base address without a trailing "/": the environment variable
/// PELLARO_FIRMWARE_SERVICE when it is set and not empty, else the address the program was
/// built with (the CMake cache variable of the same name). Any thread.
std::string get_firmware_service_address();
