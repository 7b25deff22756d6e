// The firmware workers' view of dsp_control.
#include "firmware_access.h"

#include <speaker_link/firmware/firmware_version.h>

firmware_access::speaker_facts firmware_access::read_speaker() const
{
    const std::lock_guard<std::mutex> lock(control_.data_mutex);
    return {control_.model, control_.serial, control_.firmware_version,
            control_.speaker_generation};
}

firmware_access::answer_taken
firmware_access::store_service_answer(const speaker_facts& asked, const std::string& version,
                                      const std::string& url, const std::string& checksum) const
{
    // The check, the texts and the flag under one lock: a read that finds another speaker
    // clears them under the same lock, so an answer for the old speaker never outlives it.
    // The answer is judged by the version held now, which an update checks again before it
    // writes: a read since the search began may have found another program's update.
    const std::lock_guard<std::mutex> lock(control_.data_mutex);
    if (control_.speaker_generation != asked.generation)
        return answer_taken::dropped;
    control_.online_firmware_version = version;
    control_.firmware_download_url = url;
    control_.firmware_checksum = checksum;
    control_.answered_firmware_version = control_.firmware_version;
    if (!is_newer_firmware_version(control_.firmware_version, version))
        control_.firmware_update_allowed.store(true);
    return is_newer_firmware_version(version, control_.firmware_version) ? answer_taken::newer
                                                                         : answer_taken::not_newer;
}

firmware_access::service_answer firmware_access::read_service_answer() const
{
    const std::lock_guard<std::mutex> lock(control_.data_mutex);
    return {control_.model, control_.online_firmware_version, control_.firmware_download_url,
            control_.firmware_checksum, control_.answered_firmware_version};
}

void firmware_access::firmware_changed(const std::string& version) const
{
    {
        const std::lock_guard<std::mutex> lock(control_.data_mutex);
        control_.firmware_version = version;
    }
    control_.firmware_update_allowed.store(false);
}

void firmware_access::installed(const std::string& version) const
{
    {
        const std::lock_guard<std::mutex> lock(control_.data_mutex);
        control_.firmware_version = version;
    }
    control_.firmware_update_allowed.store(false);
}
