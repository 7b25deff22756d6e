// libFuzzer target: the resume file reader over any bytes. A record it accepts must print and
// read back the same.
#include <quarro/http/resume_file.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto record = quarro::read_resume_record(memory::make_data_copy(data, size));
    if (!record)
        return 0;
    const auto again = quarro::read_resume_record(quarro::print_resume_record(*record));
    if (!again || again->total_file_size != record->total_file_size ||
        again->bytes_received != record->bytes_received)
        std::abort();
    return 0;
}
