// The demonstration's firmware package.
#include <demo_firmware/demo_package.h>

#include <emulated_speaker/speaker_settings.h>
#include <speaker_link/device/bridge_protocol.h>
#include <support/firmware_package_builder.h>

#include <filesystem>
#include <stdexcept>
#include <system_error>
#include <vector>

namespace demo_firmware {
namespace {

namespace bp = bridge_protocol;

// The image bytes as the firmware has them: the flash reverses each byte's bits as it stores it.
std::vector<std::uint8_t> block_image(std::uint32_t block)
{
    std::vector<std::uint8_t> bytes(bp::flash_block_size_bytes);
    for (std::uint32_t i = 0; i < bp::flash_block_size_bytes; ++i)
        bytes[i] = emulated_speaker::mirror(installed_byte(block * bp::flash_block_size_bytes + i));
    return bytes;
}

} // namespace

std::uint8_t installed_byte(std::uint32_t address)
{
    return static_cast<std::uint8_t>(~emulated_speaker::factory_pattern(address));
}

std::string write_demo_package(const std::string& root, const std::string& model)
{
    emulated_speaker::factory_model_tag(model); // refuses an unknown model
    const std::string folder = root + "/" + model + "/" + version;
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    const std::string path = folder + "/firmware.zip";
    const std::string model_entry = model + ".hex";
    test_support::write_zip(
        path,
        {{"flash.json", R"({"version": ")" + version + R"(", "firmware": "firmware.hex", ")" +
                            model + R"(": ")" + model_entry + R"("})"},
         {"firmware.hex", test_support::intel_hex({{firmware_block * bp::flash_block_size_bytes,
                                                    block_image(firmware_block)}})},
         {model_entry, test_support::intel_hex({{model_block * bp::flash_block_size_bytes,
                                                 block_image(model_block)}})}});
    if (std::filesystem::file_size(path, error) == 0 || error)
        throw std::runtime_error("demo_firmware: could not write " + path);
    return path;
}

} // namespace demo_firmware
