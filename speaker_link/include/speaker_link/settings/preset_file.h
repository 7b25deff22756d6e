// Preset files: the XML form in which users keep and exchange presets. Reading accepts more
// than writing produces (any element names inside "equalizer", missing values, a comma as
// decimal separator, type names in any case), so that whatever earlier versions wrote loads.
#pragma once

#include <speaker_link/settings/preset.h>

#include <quarro/memory/data_ptr.h>
#include <quarro/types.h>

#include <string>

class TiXmlDocument;
class TiXmlElement;

namespace files {
class filepath;
}

namespace xml {
class mutable_tiny_xml_node;
}

/// "low shelf" and "high shelf" (compared without regard to a-z case) give their types; any
/// other text, the empty one included, gives parametric_eq.
eq_band_type eq_band_type_from_name(const std::string& name);

/// The number a preset file's text starts with, read independently of the locale: leading
/// digits, an optional fraction (a comma counts as the decimal point) and exponent; the rest
/// is ignored and a lone minus sign gives 0.0. An empty text, one that starts with neither a
/// digit nor '-', and one whose number is not finite or out of range give the default.
quarro::f64 parse_preset_number(const std::string& text, quarro::f64 default_value);

/// A band from one child of "equalizer": type, gain (default 0.0 dB), "frequeny" (default
/// 20.0 Hz) and q (default 1.0). Values are not limited here.
memory::data_ptr<eq_band> read_eq_band_xml(const TiXmlElement& band);

/// A preset from a "preset" element: its "name" and the first eight children of its
/// "equalizer", whatever their names. Throws err::runtime_error when there is no
/// "equalizer" or it holds fewer than eight children: every user of a preset needs all bands.
memory::data_ptr<preset> read_preset_xml(const TiXmlElement& preset_element);

/// Writes "type", "gain", "frequeny" and, for parametric bands only, "q" into the open "eq".
void write_eq_band_xml(xml::mutable_tiny_xml_node& writer, const eq_band& band);

/// Writes "name" and "equalizer" with its eight "eq" into the open "preset".
void write_preset_xml(xml::mutable_tiny_xml_node& writer, const preset& record);

/// The preset of a parsed preset file: the first "preset" child of the root element, whatever
/// the root's name. Throws err::runtime_error when there is none or it is not complete.
memory::data_ptr<preset> read_preset_document(const TiXmlDocument& document);

/// Reads a preset file. Throws the files::error classes when it can't be read and
/// err::runtime_error when it holds no complete preset. The caller owns the new preset.
memory::data_ptr<preset> read_preset_file(const files::filepath& path);

/// Writes the preset to the file, replacing its content atomically (a failed write leaves the
/// previous file as it was). Throws the files::error classes.
void write_preset_file(const files::filepath& path, const preset& record);
