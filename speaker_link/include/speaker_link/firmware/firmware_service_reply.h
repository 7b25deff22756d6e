// The firmware service's reply: the six texts read from its JSON object, and the checks the
// texts must pass before they become a folder name and a download address.
#pragma once

#include <optional>
#include <string>

/// The reply's members; a member the reply lacks stays empty (nullopt).
struct firmware_service_reply
{
    std::optional<std::string> model_number;
    std::optional<std::string> version_number;
    std::optional<std::string> description;
    std::optional<std::string> checksum;
    std::optional<std::string> date;
    std::optional<std::string> file;
};

/// Walks the text with next_json_token: a key named like a member (exact length, ASCII case
/// ignored, at any depth) takes the text of the token after it, whatever its kind; a later one
/// replaces an earlier one. Never throws but for allocation; any thread.
firmware_service_reply read_firmware_service_reply(const char* begin, const char* end);

/// Why the reply's texts may not be used, or an empty text when they may: a version_number
/// that is not one to four dot-separated decimal numbers of at most 9 digits each, a file that
/// (backslashes removed) does not start with "/" or holds a blank, a control character, "..",
/// "@", "?" or "#", or a checksum that is not 32 hexadecimal characters. Missing members pass.
std::string refuse_firmware_service_reply(const firmware_service_reply& reply);

/// The text with every backslash removed ("\/" becomes "/").
std::string without_backslashes(const std::string& text);
