// The fixed texts of the speaker-link errors; they are what the log shows.
#include <speaker_link/device/dsp_error.h>

namespace error {

const char* dsp_runtime_error::what() const noexcept
{
    return "unknown error while communication with the speaker";
}

const char* dsp_init_failed::what() const noexcept
{
    return "Unable to connect to DSP";
}

const char* wrong_speaker::what() const noexcept
{
    return "Unable to read Loudspeaker Type. Please connect an Velk Orvik Loudspeaker";
}

const char* wrong_speaker_version::what() const noexcept
{
    return "Cannot write speaker configuration to different speaker model";
}

const char* write_enable_failed::what() const noexcept
{
    return "Could not enable write on speaker";
}

const char* erase_sector_failed::what() const noexcept
{
    return "Could not erase sector";
}

const char* write_data_failed::what() const noexcept
{
    return "Could not write data to DSP";
}

const char* mismatch_error::what() const noexcept
{
    return "Could not erase sector";
}

const char* read_data_failed::what() const noexcept
{
    return "Could not read data from DSP";
}

} // namespace error
