// A program linked with Debian's hidapi that must nevertheless find the speaker: run with the
// shared emulated speaker preloaded, it proves that preloading replaces hidapi's functions
// and that a flash file named in PELLARO_EMULATED_FLASH is made from a factory image.
// Exits 0 when both hold.
#include <hidapi/hidapi.h>

#include <speaker_link/bridge_protocol.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

int main()
{
    namespace bp = bridge_protocol;
    std::string folder = std::filesystem::temp_directory_path().string() + "/pellaro-probe-XXXXXX";
    if (mkdtemp(folder.data()) == nullptr) {
        std::perror("mkdtemp");
        return 2;
    }
    const std::string flash = folder + "/flash.bin";
    setenv("PELLARO_EMULATED_FLASH", flash.c_str(), 1);
    setenv("PELLARO_EMULATED_MODEL", "K7T", 1);

    int result = 1;
    hid_device* device = hid_open(bp::vendor_id, bp::product_id, nullptr);
    if (device == nullptr) {
        std::puts("probe: no speaker found; is the emulated speaker preloaded?");
    } else {
        std::array<unsigned char, bp::output_report_size> report{};
        report[1] = bp::command::get_chip_settings;
        std::array<unsigned char, bp::input_report_size> reply{};
        const bool answered =
            hid_write(device, report.data(), report.size()) == static_cast<int>(report.size()) &&
            hid_read_timeout(device, reply.data(), reply.size(), 1000) ==
                static_cast<int>(reply.size()) &&
            reply[0] == bp::command::get_chip_settings && reply[1] == 0;
        hid_close(device);
        std::error_code error;
        const bool image = std::filesystem::file_size(flash, error) == 2u * 1024 * 1024;
        std::printf("probe: reply %s, flash file %s\n", answered ? "ok" : "missing",
                    image ? "made" : "missing");
        result = answered && image ? 0 : 1;
    }
    hid_exit();
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return result;
}
