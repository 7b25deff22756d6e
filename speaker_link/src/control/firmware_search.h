// The firmware search worker: asks the firmware service about the connected model's newest
// firmware and keeps its answer for the update.
#pragma once

#include "firmware_access.h"

#include <quarro/types.h>

/// Runs the search on the calling thread and makes exactly one report: firmware_update_available,
/// firmware_up_to_date or firmware_search_failed (after logging why, once, at
/// log_level::warning: the log file takes it). The request may take `time_limit_ms` in all.
/// Never throws.
void search_firmware(const firmware_access& access, quarro::i32 time_limit_ms) noexcept;
