// The firmware installation's access to dsp_control.
#include "firmware_access.h"

#include <mutex>

std::string dsp_control_firmware_access::model() const
{
    const std::lock_guard<std::mutex> lock(control_.data_mutex);
    return control_.model;
}

void dsp_control_firmware_access::installed(const std::string& version) const
{
    {
        const std::lock_guard<std::mutex> lock(control_.data_mutex);
        control_.firmware_version = version;
    }
    control_.firmware_update_allowed.store(false);
}
