// The firmware workers' view of dsp_control.
#include "firmware_access.h"

firmware_access::speaker_facts firmware_access::read_speaker() const
{
    const std::lock_guard<std::mutex> lock(control_.data_mutex);
    return {control_.model, control_.serial, control_.firmware_version,
            control_.speaker_generation};
}

bool firmware_access::store_service_answer(const speaker_facts& asked, const std::string& version,
                                           const std::string& url, const std::string& checksum,
                                           bool allow) const
{
    // The check, the texts and the flag under one lock: a read that finds another speaker
    // clears them under the same lock, so an answer for the old speaker never outlives it.
    const std::lock_guard<std::mutex> lock(control_.data_mutex);
    if (control_.speaker_generation != asked.generation)
        return false;
    control_.online_firmware_version = version;
    control_.firmware_download_url = url;
    control_.firmware_checksum = checksum;
    if (allow)
        control_.firmware_update_allowed.store(true);
    return true;
}

firmware_access::service_answer firmware_access::read_service_answer() const
{
    const std::lock_guard<std::mutex> lock(control_.data_mutex);
    return {control_.model, control_.online_firmware_version, control_.firmware_download_url,
            control_.firmware_checksum};
}

void firmware_access::installed(const std::string& version) const
{
    {
        const std::lock_guard<std::mutex> lock(control_.data_mutex);
        control_.firmware_version = version;
    }
    control_.firmware_update_allowed.store(false);
}
