// Firmware packages: a zip archive whose "flash.json" names the Intel HEX images to install.
#pragma once

#include <speaker_link/firmware/firmware_description.h>

#include <quarro/files/filepath.h>

#include <string>

/// What a package installs on one model: its blocks and the version "flash.json" gives.
struct firmware_package_image
{
    firmware_block_table blocks;
    std::string version; ///< empty when "flash.json" has none
};

/// Reads the package (a zip archive), its "flash.json" and the images it names, and turns the
/// images `model` gets (firmware_images_for) into flash blocks, checking everything that can be
/// checked without the speaker. The archive and the images are let go before it returns.
/// Throws firmware_package_error for a package that cannot be installed: no "flash.json" (also
/// when the file is no zip archive), a named entry missing, too large or damaged, no "firmware"
/// image, a bad version, an image outside the firmware region, or images that give no block.
/// Any thread.
firmware_package_image read_firmware_package(const files::filepath& package,
                                             const std::string& model);
