// The firmware service's base address.
#include <speaker_link/firmware/firmware_service_address.h>

#include <cstdlib>

std::string get_firmware_service_address()
{
    const char* overridden = std::getenv("PELLARO_FIRMWARE_SERVICE");
    std::string address =
        overridden != nullptr && overridden[0] != '\0' ? overridden : PELLARO_FIRMWARE_SERVICE;
    while (!address.empty() && address.back() == '/')
        address.pop_back();
    return address;
}
