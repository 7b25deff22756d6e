// What the firmware workers may reach of a dsp_control: the speaker's model and version, the
// firmware service's last answer, the update flags, the device lock, the data folder and the
// callback. Nothing else of the object is theirs.
#pragma once

#include <speaker_link/dsp_control.h>

#include <string>

/// A view of one dsp_control for its firmware workers; copied freely, valid while the object
/// lives. Each accessor takes the data lock itself where the field needs it.
class firmware_access
{
public:
    explicit firmware_access(dsp_control& control) noexcept : control_(control) {}

    struct speaker_facts
    {
        std::string model;
        std::string serial;
        std::string firmware_version;
        /// Changes whenever another speaker is read: which speaker the facts are of.
        quarro::u64 generation = 0;
    };
    struct service_answer
    {
        std::string model;
        std::string online_version;
        std::string download_url;
        std::string checksum;
        /// The speaker's firmware version when the answer was stored: the one it was offered for.
        std::string speaker_version;
    };
    /// What became of a search's answer.
    enum class answer_taken
    {
        dropped,   ///< another speaker has been read since the search began
        not_newer, ///< stored; the online version is not newer than the speaker's
        newer      ///< stored; the online version is newer
    };

    dsp_control& control() const noexcept { return control_; }
    dsp_control_callback& callback() const noexcept { return control_.callback; }
    std::mutex& device_mutex() const noexcept { return control_.device_mutex; }
    speaker_turns& turns() const noexcept { return control_.turns; }
    const files::filepath& user_data_folder() const noexcept { return control_.user_data_folder; }
    /// Set once the program closes (a wait given up, or the dsp_control destroyed); a transfer
    /// that sees it stops.
    const std::atomic<bool>& closing() const noexcept { return control_.closing; }

    /// The connected speaker's facts, copied under the data lock.
    speaker_facts read_speaker() const;
    /// Under the data lock, when the speaker held now is still the one of `asked`: stores the
    /// service's version, download link and checksum with the speaker's firmware version held
    /// now, judges `version` against that firmware version and allows the update unless
    /// `version` is older. Returns dropped and changes nothing when another speaker has been
    /// read since (the answer is for a speaker that has gone).
    answer_taken store_service_answer(const speaker_facts& asked, const std::string& version,
                                      const std::string& url, const std::string& checksum) const;
    /// The model and the service's last answer, copied under the data lock.
    service_answer read_service_answer() const;
    /// After an update found the speaker's firmware changed since the offer: `version` becomes
    /// the speaker's firmware version (under the data lock) and the update is no longer
    /// allowed, until a later search allows one.
    void firmware_changed(const std::string& version) const;
    /// After a successful installation: `version` becomes the speaker's firmware version
    /// (under the data lock) and no further update is offered until a later search allows one.
    void installed(const std::string& version) const;
    void set_update_running(bool running) const noexcept
    {
        control_.firmware_update_running.store(running);
    }

private:
    dsp_control& control_;
};
