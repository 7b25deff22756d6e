// The firmware update worker: downloads the package the last search found, checks its MD5
// and hands it to the installation.
#pragma once

#include "firmware_access.h"

#include <quarro/http/http_download.h>

/// Packages are read whole into memory for their checksum: none may be larger.
constexpr quarro::i64 max_firmware_package_bytes = 64 * 1024 * 1024;

/// Runs the update on the calling thread and reports firmware_update_started, stage-1
/// progress, and firmware_update_failed (kind 1: download incomplete, checksum differs or
/// package unusable; 2: a speaker-link error, another speaker attached than the one the update
/// began for included; 3: the speaker's firmware is no longer the version the update was
/// offered for, nothing written; 0: anything else, logged at level 4) or what the
/// installation reports.
/// The speaker (the device lock and the lock against other programs) is held only from the
/// moment the package has been fetched, checked and read until the end: before that a quit
/// (speaker_turns::give_up_unless_held) finds nothing held, and the update then fails without
/// touching the speaker. A download of the same package by another program is waited for as
/// the speaker is. Never throws.
void run_firmware_update(const firmware_access& access,
                         const quarro::download_limits& limits) noexcept;
