// The installation of a downloaded firmware package into the attached speaker.
#pragma once

#include <speaker_link/device/dsp_error.h>
#include <speaker_link/firmware/firmware_package.h>

#include <quarro/err/exception.h>
#include <quarro/files/filepath.h>

#include <optional>
#include <string>

class dsp_control;

/// The speaker an update was started for, as the panel knew it when the update was offered.
/// The members left unset are not checked.
struct firmware_update_target
{
    std::string model; ///< compared ignoring ASCII case
    std::optional<std::string> serial;
    /// The speaker's firmware version when the update was offered.
    std::optional<std::string> firmware_version;
};

/// Another speaker is attached than the one an update was started for; nothing was written.
/// An error::wrong_speaker, so a speaker-link failure, whose what() names the speaker attached
/// and the one expected.
class other_speaker_attached : public error::wrong_speaker
{
public:
    /// `model` and `serial` are the attached speaker's.
    other_speaker_attached(const std::string& model, const std::string& serial,
                           const firmware_update_target& target);
    const char* what() const noexcept override { return text_.c_str(); }

private:
    std::string text_;
};

/// The attached speaker's firmware is no longer the version the update was offered for (another
/// program has installed firmware since): nothing was written. what() says so in a user's
/// words.
class firmware_version_changed : public err::runtime_error
{
public:
    firmware_version_changed(const std::string& found, const std::string& offered_for);
};

/// read_firmware_package for `model`. A package that cannot be installed is logged and
/// reported by firmware_update_failed with kind 1 (download_or_package), and the result is
/// empty. Any thread; touches nothing of the speaker.
std::optional<firmware_package_image> read_package_for_installation(dsp_control& control,
                                                                    const files::filepath& package,
                                                                    const std::string& model);

/// Reads the package with read_firmware_package for the model `control` holds, makes sure the
/// attached speaker is that model, and installs the blocks with install_firmware_blocks, which
/// reports firmware_update_succeeded. A package that cannot be installed is reported by
/// firmware_update_failed with kind 1 (download_or_package) and leaves the speaker untouched.
/// Throws other_speaker_attached (an error::wrong_speaker) when another model is attached
/// (nothing written), and lets the errors of reading the speaker and of
/// install_firmware_blocks pass.
///
/// Call on the firmware update worker, with the device lock held.
void install_firmware_image(dsp_control& control, const files::filepath& package);

/// The part of an installation that talks to the speaker: reads its settings block, makes sure
/// the attached speaker is still the one the update was started for, with the firmware it was
/// offered for (`target`), and installs `image` with install_firmware_blocks. Nothing is
/// written when it is not: other_speaker_attached when another speaker is attached;
/// firmware_version_changed when its firmware version differs from the target's, which then
/// has become `control`'s firmware version, with no update allowed. Lets the errors of reading
/// the speaker and of install_firmware_blocks pass.
///
/// Call on the firmware update worker, with the device lock held.
void install_firmware_package_image(dsp_control& control, const firmware_package_image& image,
                                    const firmware_update_target& target);
