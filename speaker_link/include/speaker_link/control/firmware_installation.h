// The installation of a downloaded firmware package into the attached speaker.
#pragma once

#include <quarro/files/filepath.h>

class dsp_control;

/// Reads the package with read_firmware_package for the model `control` holds, makes sure the
/// attached speaker is that model, and installs the blocks with install_firmware_blocks, which
/// reports firmware_update_succeeded. A package that cannot be installed is reported by
/// firmware_update_failed with kind 1 (download_or_package) and leaves the speaker untouched.
/// Throws error::wrong_speaker when another model is attached (nothing written), and lets the
/// errors of reading the speaker and of install_firmware_blocks pass.
///
/// Call on the firmware update worker, with the device lock held.
void install_firmware_image(dsp_control& control, const files::filepath& package);
