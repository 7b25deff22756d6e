// The speaker's model tag: 9 bytes of text in the flash naming the model and the serial number.
#pragma once

#include <speaker_link/device/bridge_protocol.h>

#include <quarro/types.h>

#include <array>
#include <string>

/// The tag's text ends at its first zero byte or after its 9th byte. It starts with the family
/// letter K (any case), then the model (2 or 3 characters including the K), then the serial.
class model_tag
{
public:
    model_tag() = default;
    explicit model_tag(const std::array<quarro::u8, bridge_protocol::model_tag_size_bytes>& bytes);

    /// The text, at most 9 characters.
    const std::string& text() const { return text_; }
    /// True when the first letter, upper-cased, is K.
    bool is_family() const;
    /// The first 2 characters when the second is '6' or '1', else the first 3 (fewer when the
    /// text is shorter).
    std::string model() const;
    /// "K-" followed by the text after the model.
    std::string serial() const;

private:
    std::string text_;
};
