// A firmware package's description "flash.json": the images it names, read from the package,
// the version it installs, and which of its images a model gets.
#pragma once

#include <speaker_link/firmware/intel_hex.h>

#include <quarro/memory/data.h>
#include <quarro/types.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

/// The most bytes one archive entry may hold, and all images of one package together; a
/// package beyond them is refused before anything is read whole.
constexpr quarro::u64 max_firmware_entry_bytes = 16 * 1024 * 1024;
constexpr quarro::u64 max_firmware_images_bytes = 64 * 1024 * 1024;

/// The model codes that may name an image of their own, in the order they are compared.
constexpr std::array<const char*, 5> firmware_model_codes = {"K4R", "K5T", "K5R", "K7T", "K7R"};

/// What a package's "flash.json" names, with the images read whole. Null images were not
/// named.
struct firmware_package_content
{
    std::string version; ///< empty when "flash.json" has none
    memory::data_ptr<memory::data> firmware;
    memory::data_ptr<memory::data> production_tuning;
    std::array<memory::data_ptr<memory::data>, firmware_model_codes.size()> model_images;
};

/// Reads the entry `name` (exact, case-sensitive; a name, never a path) whole. Returns null
/// when the archive has no such entry; throws firmware_package_error when it holds more than
/// `max_bytes` or cannot be read whole.
using firmware_entry_reader =
    std::function<memory::data_ptr<memory::data>(const std::string& name, quarro::u64 max_bytes)>;

/// Walks the "flash.json" text [begin, end) with the JSON token reader: member names match
/// ignoring ASCII case, a later member replaces an earlier one, and a "format" whose number is
/// not 0 ends the reading. Each image named is read through `read_entry`, within the package's
/// limits. Throws firmware_package_error for a named entry the archive lacks, an image over the
/// limits, a missing "firmware" image, or a "version" that is not one to four dot-separated
/// decimal numbers with a first number of at most 1000. Any thread.
firmware_package_content read_flash_json(const char* begin, const char* end,
                                         const firmware_entry_reader& read_entry);

/// The images to install on `model`, in order: the firmware, the production tuning when
/// present, the image of the model (its code compared ignoring ASCII case) when present.
std::vector<memory::data_ptr<memory::data>>
firmware_images_for(const firmware_package_content& content, const std::string& model);
