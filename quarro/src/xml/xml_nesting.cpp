// A flat walk over an XML text that follows TinyXML's own reading of it step by step (where a
// node begins and ends, how quotes, entities and UTF-8 sequences are stepped over), so that
// the depth it finds is the depth the recursive parser would reach.
#include "xml/xml_nesting.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace xml::detail {
namespace {

bool is_space(unsigned char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool is_letter(unsigned char c)
{
    // TinyXML counts every byte from 127 up as a letter.
    return c >= 127 || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool is_name_char(unsigned char c)
{
    return is_letter(c) || (c >= '0' && c <= '9') || c == '_' || c == '-' || c == '.' ||
           c == ':';
}

bool is_hex_digit(unsigned char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// The length TinyXML gives a character by its first byte when it reads UTF-8.
int utf8_length(unsigned char c)
{
    if (c < 0xC2)
        return 1;
    if (c < 0xE0)
        return 2;
    if (c < 0xF0)
        return 3;
    return c < 0xF5 ? 4 : 1;
}

class walker
{
public:
    walker(const unsigned char* text, bool utf8_from_start, bool utf8_after_declaration)
        : p_(text), utf8_(utf8_from_start), encoding_known_(utf8_from_start),
          utf8_after_declaration_(utf8_after_declaration)
    {
    }

    int deepest(int limit)
    {
        skip_space();
        while (*p_ != 0 && deepest_ <= limit) {
            bool going_on = true;
            if (*p_ != '<') {
                if (level_ == 0)
                    break; // the document holds nothing but nodes
                going_on = skip_text();
            } else if (level_ > 0 && p_[1] == '/') {
                going_on = skip_end_tag();
                --level_;
            } else {
                going_on = skip_node();
            }
            if (!going_on)
                break; // TinyXML gives up here: nothing after it is parsed
            skip_space();
        }
        return deepest_;
    }

private:
    bool starts_with(const char* tag, bool ignore_case) const
    {
        const unsigned char* q = p_;
        for (; *tag != 0; ++q, ++tag) {
            unsigned char c = *q;
            if (ignore_case && c >= 'A' && c <= 'Z')
                c = static_cast<unsigned char>(c - 'A' + 'a');
            if (c == 0 || c != static_cast<unsigned char>(*tag))
                return false;
        }
        return true;
    }

    void skip_space()
    {
        for (;;) {
            // In UTF-8, byte order marks count as white space.
            if (utf8_ && p_[0] == 0xEF &&
                ((p_[1] == 0xBB && p_[2] == 0xBF) ||
                 (p_[1] == 0xBF && (p_[2] == 0xBE || p_[2] == 0xBF)))) {
                p_ += 3;
            } else if (*p_ != 0 && is_space(*p_)) {
                ++p_;
            } else {
                return;
            }
        }
    }

    void skip_name()
    {
        while (*p_ != 0 && is_name_char(*p_))
            ++p_;
    }

    void skip_past(const char* tag)
    {
        const char* found = std::strstr(reinterpret_cast<const char*>(p_), tag);
        p_ = found != nullptr ? reinterpret_cast<const unsigned char*>(found) + std::strlen(tag)
                              : p_ + std::strlen(reinterpret_cast<const char*>(p_));
    }

    // "&#x...;" and "&#...;" are taken whole up to the first ';', as long as the characters
    // back to the 'x' or '#' are digits; the five named entities are taken whole.
    bool skip_entity()
    {
        if (p_[1] == '#' && p_[2] != 0) {
            const bool hex = p_[2] == 'x';
            if (hex && p_[3] == 0)
                return false;
            const auto* end = reinterpret_cast<const unsigned char*>(
                std::strchr(reinterpret_cast<const char*>(p_ + (hex ? 3 : 2)), ';'));
            if (end == nullptr)
                return false;
            for (const unsigned char* q = end - 1; *q != (hex ? 'x' : '#'); --q) {
                if (!(hex ? is_hex_digit(*q) : (*q >= '0' && *q <= '9')))
                    return false;
            }
            p_ = end + 1;
            return true;
        }
        for (const char* named : {"&amp;", "&lt;", "&gt;", "&quot;", "&apos;"}) {
            if (starts_with(named, false)) {
                p_ += std::strlen(named);
                return true;
            }
        }
        ++p_;
        return true;
    }

    // One character of a text or an attribute value; in UTF-8 a lead byte takes its whole
    // sequence with it, a '<' or quote inside included.
    bool skip_character()
    {
        const int length = utf8_ ? utf8_length(*p_) : 1;
        if (length == 1)
            return *p_ == '&' ? skip_entity() : (++p_, true);
        for (int i = 0; i < length; ++i, ++p_) {
            if (*p_ == 0)
                return true; // the parser steps past the end into the padding, and stops
        }
        return true;
    }

    bool skip_text()
    {
        while (*p_ != 0 && *p_ != '<') {
            if (is_space(*p_))
                ++p_;
            else if (!skip_character())
                return false;
        }
        // The parser takes the '<' and steps back to it, unless nothing follows it.
        return *p_ != 0 && p_[1] != 0;
    }

    bool skip_end_tag()
    {
        p_ += 2;
        skip_name();
        skip_space();
        if (*p_ != '>')
            return false;
        ++p_;
        return true;
    }

    bool skip_attribute()
    {
        skip_space();
        if (!(is_letter(*p_) || *p_ == '_'))
            return false;
        skip_name();
        skip_space();
        if (*p_ != '=')
            return false;
        ++p_;
        skip_space();
        if (*p_ == '\'' || *p_ == '"') {
            const unsigned char quote = *p_++;
            while (*p_ != 0 && *p_ != quote) {
                if (!skip_character())
                    return false;
            }
            if (*p_ != 0)
                ++p_;
        } else {
            for (; *p_ != 0 && !is_space(*p_) && *p_ != '/' && *p_ != '>'; ++p_) {
                if (*p_ == '\'' || *p_ == '"')
                    return false;
            }
        }
        return *p_ != 0;
    }

    bool skip_element()
    {
        deepest_ = std::max(deepest_, level_ + 1);
        ++p_;
        skip_space();
        skip_name();
        for (;;) {
            skip_space();
            if (*p_ == 0)
                return false;
            if (*p_ == '/') {
                if (p_[1] != '>')
                    return false;
                p_ += 2;
                return true;
            }
            if (*p_ == '>') {
                ++p_;
                ++level_;
                return true;
            }
            if (!skip_attribute())
                return false;
        }
    }

    bool skip_declaration()
    {
        p_ += 5;
        while (*p_ != 0) {
            if (*p_ == '>') {
                ++p_;
                return true;
            }
            skip_space();
            if (starts_with("version", true) || starts_with("encoding", true) ||
                starts_with("standalone", true)) {
                if (!skip_attribute())
                    return false;
            } else {
                while (*p_ != 0 && *p_ != '>' && !is_space(*p_))
                    ++p_;
            }
        }
        return false;
    }

    bool skip_node()
    {
        if (starts_with("<?xml", true)) {
            const bool going_on = skip_declaration();
            // The first declaration of the document decides how the rest is read.
            if (level_ == 0 && !encoding_known_) {
                encoding_known_ = true;
                utf8_ = utf8_after_declaration_;
            }
            return going_on;
        }
        if (starts_with("<!--", false)) {
            p_ += 4;
            skip_past("-->");
        } else if (starts_with("<![CDATA[", false)) {
            p_ += 9;
            skip_past("]]>");
        } else if (starts_with("<!", false) || !(is_letter(p_[1]) || p_[1] == '_')) {
            while (*p_ != 0 && *p_ != '>')
                ++p_;
            if (*p_ == '>')
                ++p_;
        } else {
            return skip_element();
        }
        return true;
    }

    const unsigned char* p_;
    bool utf8_;
    bool encoding_known_;
    bool utf8_after_declaration_;
    int level_ = 0;
    int deepest_ = 0;
};

} // namespace

int nesting_depth(const char* text, std::size_t size, int limit)
{
    // The walk reads up to three bytes ahead and ends at a zero byte: give it a padded copy.
    std::string padded(text, size);
    padded.append(4, '\0');
    const auto* bytes = reinterpret_cast<const unsigned char*>(padded.data());
    const bool byte_order_mark = bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF;
    const int as_utf8 = walker(bytes, byte_order_mark, true).deepest(limit);
    if (byte_order_mark || as_utf8 > limit)
        return as_utf8;
    return std::max(as_utf8, walker(bytes, false, false).deepest(limit));
}

} // namespace xml::detail
