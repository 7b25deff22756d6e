// Reading a firmware package: the zip archive, its "flash.json" and the images it names.
#include <speaker_link/firmware/firmware_package.h>

#include <juce_core/juce_core.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <memory>

namespace {

using quarro::u64;

memory::data_ptr<memory::data> read_zip_entry(juce::ZipFile& archive, const std::string& name,
                                              u64 max_bytes)
{
    const juce::ZipFile::ZipEntry* entry =
        archive.getEntry(juce::String::fromUTF8(name.data(), static_cast<int>(name.size())), false);
    if (entry == nullptr)
        return nullptr;
    // The declared size is all that is ever read, so a hostile archive cannot make us read more.
    if (entry->uncompressedSize < 0 || static_cast<u64>(entry->uncompressedSize) > max_bytes)
        throw firmware_package_error("firmware package entry \"" + name + "\" is too large");
    const auto size = static_cast<u64>(entry->uncompressedSize);
    const std::unique_ptr<juce::InputStream> stream(archive.createStreamForEntry(*entry));
    if (stream == nullptr)
        throw firmware_package_error("firmware package entry \"" + name + "\" cannot be read");
    auto block = memory::make_mutable_data(size);
    block->resize(size);
    u64 got = 0;
    while (got < size) {
        const int chunk = stream->read(block->mutable_bytes() + got,
                                       static_cast<int>(std::min<u64>(size - got, INT_MAX)));
        if (chunk <= 0)
            break;
        got += static_cast<u64>(chunk);
    }
    if (got != size)
        throw firmware_package_error("firmware package entry \"" + name + "\" is damaged");
    return block;
}

std::unique_ptr<juce::ZipFile> open_archive(const files::filepath& package)
{
    std::error_code ignored;
    const std::filesystem::path path = std::filesystem::absolute(package.get_path(), ignored);
    return std::make_unique<juce::ZipFile>(juce::File(juce::String::fromUTF8(path.c_str())));
}

} // namespace

firmware_package_image read_firmware_package(const files::filepath& package,
                                             const std::string& model)
{
    firmware_package_image result;
    const std::unique_ptr<juce::ZipFile> archive = open_archive(package);
    const memory::data_ptr<memory::data> description =
        read_zip_entry(*archive, "flash.json", max_firmware_entry_bytes);
    if (!description)
        throw firmware_package_error("firmware package has no \"flash.json\"");
    const char* const text = reinterpret_cast<const char*>(description->bytes());
    const firmware_package_content content = read_flash_json(
        text, text + description->size(), [&archive](const std::string& name, u64 max_bytes) {
            return read_zip_entry(*archive, name, max_bytes);
        });
    for (const memory::data_ptr<memory::data>& image : firmware_images_for(content, model))
        parse_intel_hex(result.blocks, *image);
    if (count_firmware_blocks(result.blocks) == 0)
        throw firmware_package_error("firmware package images hold no data for the flash");
    result.version = content.version;
    return result;
}
