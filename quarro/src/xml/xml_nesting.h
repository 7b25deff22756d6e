// How deeply TinyXML would nest the elements of a text, found without recursion, so that a text
// which would exhaust the parser's stack can be refused before it is parsed.
#pragma once

#include <cstddef>

namespace xml::detail {

/// The deepest element level (1 for the root) that TinyXML's parser would reach on the text,
/// or a value above `limit` as soon as one is found. The text ends at its first zero byte or
/// after `size` bytes. TinyXML decides between UTF-8 and single bytes from the first
/// declaration, so both readings are followed and the deeper one counts. Uses a fixed amount
/// of stack whatever the text. Any thread.
int nesting_depth(const char* text, std::size_t size, int limit);

} // namespace xml::detail
