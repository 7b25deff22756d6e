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

void install_firmware_image(dsp_control& control, const files::filepath& package)
{
    const firmware_access access(control);
    const std::string model = access.read_speaker().model;
    firmware_package_image image;
    try {
        // The archive and the images are let go before the speaker is touched.
        image = read_firmware_package(package, model);
    } catch (const firmware_package_error& problem) {
        log_failure(problem, quarro::log_level::error);
        access.callback().firmware_update_failed(
            control, static_cast<int>(firmware_update_failure::download_or_package));
        return;
    }

    device_settings settings = read_settings_block();
    if (quarro::compare_no_case(settings.model, model) != 0)
        throw error::wrong_speaker();
    install_firmware_blocks(control, image.blocks, settings, image.version);
}
