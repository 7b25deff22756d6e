// Reading model and serial number out of the model tag.
#include <speaker_link/settings/model_tag.h>

#include <algorithm>

model_tag::model_tag(const std::array<quarro::u8, bridge_protocol::model_tag_size_bytes>& bytes)
{
    // The tag need not end in a zero byte: never read past its 9 bytes.
    const auto end = std::find(bytes.begin(), bytes.end(), quarro::u8{0});
    text_.assign(bytes.begin(), end);
}

bool model_tag::is_family() const
{
    return !text_.empty() && (text_[0] == 'K' || text_[0] == 'k');
}

std::string model_tag::model() const
{
    const bool short_model = text_.size() >= 2 && (text_[1] == '6' || text_[1] == '1');
    return text_.substr(0, short_model ? 2 : 3);
}

std::string model_tag::serial() const
{
    return "K-" + text_.substr(model().size());
}
