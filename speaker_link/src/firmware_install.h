// The hand-over from the firmware download to the package reader and the flash programmer.
#pragma once

#include "firmware_access.h"

#include <quarro/files/filepath.h>

/// Reads the package whose checksum matched and programs it into the speaker, reporting
/// progress and the outcome through the callback. Called by the update worker with the
/// device lock held; throws error::dsp_error and err::exception kinds, which the worker
/// reports.
void install_firmware_image(const firmware_access& access, const files::filepath& package);
