// The installation of a downloaded firmware package into the attached speaker.
#pragma once

#include <speaker_link/firmware/firmware_package.h>

#include <quarro/files/filepath.h>

#include <optional>
#include <string>

class dsp_control;

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
/// Throws error::wrong_speaker when another model is attached (nothing written), and lets the
/// errors of reading the speaker and of install_firmware_blocks pass.
///
/// Call on the firmware update worker, with the device lock held.
void install_firmware_image(dsp_control& control, const files::filepath& package);

/// The part of an installation that talks to the speaker: reads its settings block, makes sure
/// the attached speaker is the one the update was started for (`model`, ASCII case ignored,
/// and `serial` unless it is empty), and installs `image` with install_firmware_blocks.
/// Throws error::wrong_speaker when another speaker is attached (nothing written), and lets
/// the errors of reading the speaker and of install_firmware_blocks pass.
///
/// Call on the firmware update worker, with the device lock held.
void install_firmware_package_image(dsp_control& control, const firmware_package_image& image,
                                    const std::string& model, const std::string& serial);
