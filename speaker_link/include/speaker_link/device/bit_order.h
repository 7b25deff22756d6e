// The speaker's flash holds every byte with its bit order reversed (bit 0 as bit 7). Apart from
// the flash routines, so that the firmware images can be turned into flash bytes without the
// bridge and hidapi.
#pragma once

#include <quarro/types.h>

/// Reverses the bit order of every byte; a length below 1 does nothing. Any thread.
void reverse_bits_in_place(quarro::u8* buffer, quarro::i32 length);
