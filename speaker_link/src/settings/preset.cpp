// Preset records: defaults and deep copies.
#include <speaker_link/settings/preset.h>

namespace {

eq_band_type default_type(std::size_t band)
{
    if (band == 0)
        return eq_band_type::low_shelf;
    if (band == preset::band_count - 1)
        return eq_band_type::high_shelf;
    return eq_band_type::parametric_eq;
}

} // namespace

const char* eq_band_type_name(eq_band_type type)
{
    switch (type) {
    case eq_band_type::low_shelf:
        return "low shelf";
    case eq_band_type::high_shelf:
        return "high shelf";
    case eq_band_type::parametric_eq:
        return "parametric eq";
    }
    return "parametric eq";
}

preset::preset() : name("user preset")
{
    for (std::size_t band = 0; band < band_count; ++band) {
        bands[band] = memory::make_data_ptr<eq_band>();
        bands[band]->type = default_type(band);
    }
}

preset::preset(const preset& other) : memory::reference_counter(), name(other.name)
{
    for (std::size_t band = 0; band < band_count; ++band)
        if (other.bands[band])
            bands[band] = memory::make_data_ptr<eq_band>(*other.bands[band]);
}
