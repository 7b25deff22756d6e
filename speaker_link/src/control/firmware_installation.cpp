// Installing a firmware package: everything is checked before the first erase.
#include <speaker_link/control/firmware_installation.h>

#include "firmware_access.h"
#include "worker_frame.h"

#include <speaker_link/control/firmware_programmer.h>
#include <speaker_link/device/dsp_error.h>
#include <speaker_link/dsp_control.h>
#include <speaker_link/firmware/firmware_package.h>
#include <speaker_link/settings/settings_block.h>

#include <quarro/log/logbook.h>
#include <quarro/tools/text.h>

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
        install_firmware_package_image(control, *image, model, std::string());
}

void install_firmware_package_image(dsp_control& control, const firmware_package_image& image,
                                    const std::string& model, const std::string& serial)
{
    device_settings settings = read_settings_block();
    // Another speaker may have been attached since the update began: it is not written.
    if (quarro::compare_no_case(settings.model, model) != 0 ||
        (!serial.empty() && settings.serial != serial))
        throw error::wrong_speaker();
    install_firmware_blocks(control, image.blocks, settings, image.version);
}
