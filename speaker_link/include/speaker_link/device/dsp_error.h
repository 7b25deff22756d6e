// The speaker-link errors: one family under error::dsp_error, each class with a fixed text, so
// that the firmware update can tell a failure of the speaker itself from any other error.
#pragma once

#include <quarro/err/exception.h>

namespace error {

/// The type to catch for every speaker failure. Never thrown itself. Every class below carries
/// an empty message; what() returns the class's fixed text.
class dsp_error : public err::runtime_error
{
protected:
    dsp_error() : err::runtime_error(std::string()) {}
};

/// The flash stayed busy, or the link broke while waiting for it.
class dsp_runtime_error : public dsp_error
{
public:
    const char* what() const noexcept override;
};

/// The bridge could not be opened or configured.
class dsp_init_failed : public dsp_error
{
public:
    const char* what() const noexcept override;
};

/// The model tag could not be read or does not name an Orvik speaker.
class wrong_speaker : public dsp_error
{
public:
    const char* what() const noexcept override;
};

/// Another model is attached than the one the settings were read from.
class wrong_speaker_version : public dsp_error
{
public:
    const char* what() const noexcept override;
};

/// Write enable before programming, or the erase of a firmware block, failed.
class write_enable_failed : public dsp_error
{
public:
    const char* what() const noexcept override;
};

/// The erase of the settings block's 64 KB block failed.
class erase_sector_failed : public dsp_error
{
public:
    const char* what() const noexcept override;
};

/// Programming failed.
class write_data_failed : public dsp_error
{
public:
    const char* what() const noexcept override;
};

/// What was read back differs from what was written (or could not be read back). Its text
/// is the same as erase_sector_failed's; the class tells them apart.
class mismatch_error : public dsp_error
{
public:
    const char* what() const noexcept override;
};

/// A read from the flash failed.
class read_data_failed : public dsp_error
{
public:
    const char* what() const noexcept override;
};

} // namespace error
