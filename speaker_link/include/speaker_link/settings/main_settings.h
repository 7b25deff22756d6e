// The main settings record: input, volume, delay and the active voicing, shared between the
// speaker link and the panel by intrusive pointer and never changed once shared.
#pragma once

#include <quarro/memory/reference_counter.h>
#include <quarro/types.h>

struct main_settings : memory::reference_counter
{
    quarro::u32 input = 0;         ///< 0 AES L, 1 Analog, 2 AES R
    quarro::f64 volume = 0.0;      ///< dB, -60.0..12.0
    quarro::f64 delay = 0.0;       ///< ms, 0.0..5.0
    quarro::u32 active_preset = 1; ///< 1..5: the block's slot number, 1-based
};
