// The resume file of a download: where a partial download stopped, as a small XML document
// beside the partial file.
#pragma once

#include <quarro/memory/data.h>
#include <quarro/types.h>

#include <optional>
#include <string>

namespace quarro {

/// What a resume file records.
struct resume_record
{
    std::string download_url;
    i64 total_file_size = -1; ///< -1 while not known
    u64 bytes_received = 0;
};

/// The record in a resume file's bytes, or nothing when the file is empty or damaged: it does
/// not parse, has no root element, no "download" element below it, or lacks one of
/// "download_url", "total_file_size" and "bytes_received", or holds a number that is not a
/// whole decimal number in range (total -1 or more, bytes received 0 or more). Numbers are
/// 64-bit; files written with 32-bit numbers read the same. Never throws but for allocation.
std::optional<resume_record> read_resume_record(const memory::data_ptr<memory::data>& block);

/// The printed resume file: the XML declaration, the DOCTYPE "quarro/download.dtd", and
/// "downloads" > "download" (version "1.0") > "download_url", "total_file_size",
/// "bytes_received", indented with tabs.
memory::data_ptr<memory::growable_data> print_resume_record(const resume_record& record);

} // namespace quarro
