// Reading and checking the firmware service's reply.
#include <speaker_link/firmware/firmware_service_reply.h>
#include <speaker_link/firmware/json_token.h>

#include <quarro/tools/text.h>

#include <string_view>

namespace {

std::optional<std::string>* member_for(firmware_service_reply& reply, std::string_view key)
{
    const struct
    {
        const char* name;
        std::optional<std::string> firmware_service_reply::*member;
    } members[] = {
        {"model_number", &firmware_service_reply::model_number},
        {"version_number", &firmware_service_reply::version_number},
        {"description", &firmware_service_reply::description},
        {"checksum", &firmware_service_reply::checksum},
        {"date", &firmware_service_reply::date},
        {"file", &firmware_service_reply::file},
    };
    for (const auto& m : members)
        if (quarro::compare_no_case(std::string(key), m.name) == 0)
            return &(reply.*m.member);
    return nullptr;
}

bool is_digit(char c)
{
    return c >= '0' && c <= '9';
}

bool is_version(const std::string& text)
{
    int numbers = 0;
    std::size_t digits = 0;
    for (const char c : text) {
        if (is_digit(c)) {
            if (++digits > 9)
                return false;
        } else if (c == '.' && digits > 0 && numbers < 3) {
            ++numbers;
            digits = 0;
        } else {
            return false;
        }
    }
    return digits > 0;
}

bool is_safe_path(const std::string& path)
{
    if (path.empty() || path.front() != '/')
        return false;
    if (path.find("..") != std::string::npos)
        return false;
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte == 0x7F || c == '@' || c == '?' || c == '#')
            return false;
    }
    return true;
}

bool is_md5_hex(const std::string& text)
{
    if (text.size() != 32)
        return false;
    for (const char c : text)
        if (!is_digit(c) && !((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')))
            return false;
    return true;
}

// The text for a log line: control characters become '?'.
std::string printable(const std::string& text)
{
    std::string out = text.substr(0, 200);
    for (char& c : out)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '?';
    return out;
}

} // namespace

firmware_service_reply read_firmware_service_reply(const char* begin, const char* end)
{
    firmware_service_reply reply;
    walk_json_tokens(begin, end, [&](const json_token& token, const char*& next) {
        if (token.kind != json_token_kind::key)
            return;
        std::optional<std::string>* member = member_for(reply, token.view());
        if (member == nullptr)
            return;
        const json_token value = next_json_token(next, end, next);
        *member = std::string(value.view());
    });
    return reply;
}

std::string refuse_firmware_service_reply(const firmware_service_reply& reply)
{
    if (reply.version_number && !is_version(*reply.version_number))
        return "version_number \"" + printable(*reply.version_number) + "\"";
    if (reply.file && !is_safe_path(without_backslashes(*reply.file)))
        return "file \"" + printable(*reply.file) + "\"";
    if (reply.checksum && !is_md5_hex(*reply.checksum))
        return "checksum \"" + printable(*reply.checksum) + "\"";
    return std::string();
}

std::string without_backslashes(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text)
        if (c != '\\')
            out += c;
    return out;
}
