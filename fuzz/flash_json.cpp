// Fuzzes the reading of a package's "flash.json": every entry it names is found (with a small
// image), and the description either comes out complete (a firmware image, a valid version)
// or is refused with firmware_package_error.
#include <speaker_link/firmware/firmware_description.h>

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string image = ":0100000001FE\n:00000001FF\n";
    const char* const text = reinterpret_cast<const char*>(data);
    try {
        const firmware_package_content content =
            read_flash_json(text, text + size, [](const std::string& name, quarro::u64 max_bytes) {
                if (max_bytes > max_firmware_entry_bytes)
                    std::abort();
                // Names that begin with 'x' stand for entries the archive lacks.
                if (!name.empty() && name[0] == 'x')
                    return memory::data_ptr<memory::data>();
                return memory::data_ptr<memory::data>(
                    memory::make_data_copy(image.data(), image.size()));
            });
        if (!content.firmware)
            std::abort();
        for (const char* model : firmware_model_codes)
            if (firmware_images_for(content, model).empty())
                std::abort();
    } catch (const firmware_package_error&) {
    }
    return 0;
}
