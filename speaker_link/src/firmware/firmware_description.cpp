// Reading "flash.json" with the flat JSON token reader, and the images a model gets.
#include <speaker_link/firmware/firmware_description.h>

#include <speaker_link/firmware/json_token.h>

#include <quarro/tools/text.h>

#include <algorithm>
#include <climits>

namespace {

using quarro::u64;

constexpr u64 max_version_numbers = 4;
constexpr u64 max_first_version_number = 1000;
// Larger numbers would not survive parse_firmware_version.
constexpr u64 max_version_number = INT32_MAX;

// What a member of "flash.json" sets, looked up by its name.
enum class member_role
{
    format,
    version,
    image
};

struct member_slot
{
    const char* name;
    member_role role;
    memory::data_ptr<memory::data>* image; ///< where an image member's entry goes
};

// The members the reader knows; the images in the order the limits count them.
std::vector<member_slot> member_slots(firmware_package_content& content)
{
    std::vector<member_slot> slots = {
        {"format", member_role::format, nullptr},
        {"version", member_role::version, nullptr},
        {"firmware", member_role::image, &content.firmware},
        {"production_tuning", member_role::image, &content.production_tuning}};
    for (std::size_t m = 0; m < firmware_model_codes.size(); ++m)
        slots.push_back({firmware_model_codes[m], member_role::image, &content.model_images[m]});
    return slots;
}

// The leading decimal number of a "format" value is not 0: a format this reader does not know.
bool is_unknown_format(const json_token& value)
{
    const char* c = value.text;
    const char* const end = value.text + value.length;
    if (c == end || !(*c == '-' || (*c >= '0' && *c <= '9')))
        return false;
    if (*c == '-')
        ++c;
    for (; c != end && *c >= '0' && *c <= '9'; ++c)
        if (*c != '0')
            return true;
    return false;
}

// One to four dot-separated decimal numbers, the first at most 1000: a larger first number
// would read back as 0.0.0 from the settings block.
void check_version(const std::string& version)
{
    const auto refuse = [&version] {
        throw firmware_package_error("firmware package version \"" + version +
                                     "\" is not one to four numbers up to 1000.x.x.x");
    };
    u64 count = 0;
    std::size_t start = 0;
    while (true) {
        const std::size_t stop = std::min(version.find('.', start), version.size());
        const std::string piece = version.substr(start, stop - start);
        if (piece.empty() || piece.size() > 10 ||
            !std::all_of(piece.begin(), piece.end(), [](char c) { return c >= '0' && c <= '9'; }))
            refuse();
        const u64 number = std::stoull(piece);
        if (number > max_version_number || (count == 0 && number > max_first_version_number))
            refuse();
        if (++count > max_version_numbers)
            refuse();
        if (stop == version.size())
            return;
        start = stop + 1;
    }
}

u64 held_bytes(const memory::data_ptr<memory::data>& image)
{
    return image ? image->size() : 0;
}

} // namespace

firmware_package_content read_flash_json(const char* begin, const char* end,
                                         const firmware_entry_reader& read_entry)
{
    firmware_package_content content;
    bool has_version = false;
    const std::vector<member_slot> slots = member_slots(content);
    const auto read_image = [&](memory::data_ptr<memory::data>& slot, const std::string& name) {
        u64 others = 0;
        for (const member_slot& other : slots)
            if (other.image != nullptr && other.image != &slot)
                others += held_bytes(*other.image);
        const u64 room = max_firmware_images_bytes - std::min(others, max_firmware_images_bytes);
        memory::data_ptr<memory::data> read =
            read_entry(name, std::min(room, max_firmware_entry_bytes));
        if (!read)
            throw firmware_package_error("firmware package lacks the entry \"" + name + "\"");
        slot = read;
    };

    const char* next = begin;
    for (json_token token = next_json_token(begin, end, next); token.text != end;
         token = next_json_token(next, end, next)) {
        if (token.kind != json_token_kind::key)
            continue;
        const std::string key(token.text, token.length);
        const auto member =
            std::find_if(slots.begin(), slots.end(), [&key](const member_slot& slot) {
                return quarro::compare_no_case(key, slot.name) == 0;
            });
        if (member == slots.end())
            continue;
        const json_token value = next_json_token(next, end, next);
        const std::string text = value.kind == json_token_kind::none
                                     ? std::string()
                                     : std::string(value.text, value.length);
        if (member->role == member_role::format && is_unknown_format(value))
            break;
        if (member->role == member_role::version) {
            content.version = text;
            has_version = true;
        } else if (member->role == member_role::image) {
            read_image(*member->image, text);
        }
    }
    if (!content.firmware)
        throw firmware_package_error("firmware package names no firmware image");
    if (has_version)
        check_version(content.version);
    return content;
}

std::vector<memory::data_ptr<memory::data>>
firmware_images_for(const firmware_package_content& content, const std::string& model)
{
    std::vector<memory::data_ptr<memory::data>> list = {content.firmware};
    if (content.production_tuning)
        list.push_back(content.production_tuning);
    for (std::size_t m = 0; m < firmware_model_codes.size(); ++m) {
        if (quarro::compare_no_case(model, firmware_model_codes[m]) != 0)
            continue;
        if (content.model_images[m])
            list.push_back(content.model_images[m]);
        break;
    }
    return list;
}
