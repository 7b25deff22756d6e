// Installing a firmware package: everything is checked before the first erase.
#include <speaker_link/control/firmware_installation.h>

#include "firmware_access.h"
#include "worker_frame.h"

#include <speaker_link/control/firmware_programmer.h>
#include <speaker_link/dsp_control.h>
#include <speaker_link/firmware/firmware_package.h>
#include <speaker_link/firmware/firmware_version.h>
#include <speaker_link/settings/settings_block.h>

#include <quarro/log/logbook.h>
#include <quarro/tools/text.h>

namespace {

std::string speaker_name(const std::string& model, const std::optional<std::string>& serial)
{
    return serial ? model + " " + *serial : model;
}

} // namespace

other_speaker_attached::other_speaker_attached(const std::string& model, const std::string& serial,
                                               const firmware_update_target& target)
    : text_("The speaker attached is " + model + " " + serial + ", not the " +
            speaker_name(target.model, target.serial) +
            " that the update was started for: nothing was written")
{}

firmware_version_changed::firmware_version_changed(const std::string& found,
                                                   const std::string& offered_for)
    : err::runtime_error("The speaker's firmware is now " + found + ", not " + offered_for +
                         " as when the update was offered: nothing was written")
{}

std::optional<firmware_package_image> read_package_for_installation(dsp_control& control,
                                                                    const files::filepath& package,
                                                                    const std::string& model)
{
    try {
        // The archive and the images are let go before the speaker is touched.
        return read_firmware_package(package, model);
    } catch (const firmware_package_error& problem) {
        log_failure(problem, quarro::log_level::error);
        firmware_access(control).callback().firmware_update_failed(
            control, static_cast<int>(firmware_update_failure::download_or_package));
        return std::nullopt;
    }
}

void install_firmware_image(dsp_control& control, const files::filepath& package)
{
    const std::string model = firmware_access(control).read_speaker().model;
    if (const auto image = read_package_for_installation(control, package, model))
        install_firmware_package_image(control, *image, {model, std::nullopt, std::nullopt});
}

void install_firmware_package_image(dsp_control& control, const firmware_package_image& image,
                                    const firmware_update_target& target)
{
    device_settings settings = read_settings_block();
    // Another speaker may have been attached since the update began: it is not written.
    if (quarro::compare_no_case(settings.model, target.model) != 0 ||
        (target.serial && settings.serial != *target.serial))
        throw other_speaker_attached(settings.model, settings.serial, target);
    // Another program may have updated the speaker since the offer: writing now would install
    // firmware it already has, or an older one over a newer.
    if (target.firmware_version && parse_firmware_version(settings.firmware_version) !=
                                       parse_firmware_version(*target.firmware_version)) {
        firmware_access(control).firmware_changed(settings.firmware_version);
        throw firmware_version_changed(settings.firmware_version, *target.firmware_version);
    }
    install_firmware_blocks(control, image.blocks, settings, image.version);
}
