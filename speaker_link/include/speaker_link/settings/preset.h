// Preset records: the eight-band equaliser of one voicing (a low shelf, six parametric bands
// and a high shelf), shared between the speaker link and the panel by intrusive pointer and
// never changed once shared.
#pragma once

#include <quarro/memory/data_ptr.h>
#include <quarro/memory/reference_counter.h>
#include <quarro/types.h>

#include <array>
#include <string>

/// The kind of an equaliser band.
enum class eq_band_type : quarro::u32
{
    low_shelf = 0,
    high_shelf = 1,
    parametric_eq = 2
};

/// The band type as preset files write it: "low shelf", "high shelf", "parametric eq".
/// Returns a static text.
const char* eq_band_type_name(eq_band_type type);

/// One band.
struct eq_band : memory::reference_counter
{
    eq_band_type type = eq_band_type::parametric_eq;
    quarro::f64 gain = 0.0;       ///< dB
    quarro::f64 frequency = 20.0; ///< Hz
    quarro::f64 q = 0.1;          ///< used by parametric bands only
};

/// A named equaliser of eight bands: band 0 low shelf, bands 1 to 6 parametric, band 7 high
/// shelf. Any thread may build one; once shared it is only read.
class preset : public memory::reference_counter
{
public:
    static constexpr std::size_t band_count = 8;

    /// The default preset "user preset": every band new, gain 0.0, frequency 20.0, Q 0.1.
    preset();
    /// A deep copy: new bands with the same values; nothing is shared with `other`.
    preset(const preset& other);
    preset& operator=(const preset&) = delete;

    std::string name;
    std::array<memory::data_ptr<eq_band>, band_count> bands;
};
