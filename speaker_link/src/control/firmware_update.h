// The firmware update worker: downloads the package the last search found, checks its MD5
// and hands it to the installation.
#pragma once

#include "firmware_access.h"

#include <quarro/http/http_download.h>

/// Packages are read whole into memory for their checksum: none may be larger.
constexpr quarro::i64 max_firmware_package_bytes = 64 * 1024 * 1024;

/// Runs the update on the calling thread, holding the speaker (the device lock and the lock
/// against other programs) throughout, download included, and reports
/// firmware_update_started, stage-1 progress, and firmware_update_failed (kind 1: download
/// incomplete or checksum differs; 2: a speaker-link error; 0: anything else, logged at level
/// 4) or what the installation reports. Never throws.
void run_firmware_update(const firmware_access& access,
                         const quarro::download_limits& limits) noexcept;
