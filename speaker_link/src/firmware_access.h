// The part of dsp_control that the firmware installation reads and changes, and nothing more.
#pragma once

#include <speaker_link/dsp_control.h>

#include <string>

class dsp_control_firmware_access
{
public:
    explicit dsp_control_firmware_access(dsp_control& control) noexcept : control_(control) {}

    dsp_control& control() const noexcept { return control_; }
    dsp_control_callback& callback() const noexcept { return control_.callback; }
    /// The model of the last main-settings read; taken under the data lock.
    std::string model() const;
    /// After a successful installation: `version` becomes the firmware version (under the data
    /// lock) and no further update is offered until a later search allows one.
    void installed(const std::string& version) const;

private:
    dsp_control& control_;
};
