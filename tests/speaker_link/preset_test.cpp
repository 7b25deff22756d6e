// Preset records: the default preset and deep copies.
#include <speaker_link/preset.h>

#include <gtest/gtest.h>

namespace {

TEST(Preset, DefaultHasEightBandsInTheirPlaces)
{
    const preset record;
    EXPECT_EQ(record.name, "user preset");
    for (std::size_t band = 0; band < preset::band_count; ++band) {
        SCOPED_TRACE(band);
        ASSERT_TRUE(record.bands[band]);
        const eq_band_type expected = band == 0   ? eq_band_type::low_shelf
                                      : band == 7 ? eq_band_type::high_shelf
                                                  : eq_band_type::parametric_eq;
        EXPECT_EQ(record.bands[band]->type, expected);
        EXPECT_EQ(record.bands[band]->gain, 0.0);
        EXPECT_EQ(record.bands[band]->frequency, 20.0);
        EXPECT_EQ(record.bands[band]->q, 0.1);
        EXPECT_EQ(record.bands[band]->get_reference_count(), 1u);
    }
    EXPECT_EQ(record.get_reference_count(), 0u);
}

TEST(Preset, DeepCopySharesNothing)
{
    auto source = memory::make_data_ptr<preset>();
    source->name = "Tarn";
    source->bands[3]->gain = -4.5;
    source->bands[3]->q = 2.0;
    auto copy = memory::make_data_ptr<preset>(*source);
    EXPECT_EQ(copy->get_reference_count(), 1u);
    EXPECT_EQ(copy->name, "Tarn");
    EXPECT_EQ(copy->bands[3]->gain, -4.5);
    EXPECT_EQ(copy->bands[3]->q, 2.0);
    EXPECT_EQ(copy->bands[7]->type, eq_band_type::high_shelf);
    for (std::size_t band = 0; band < preset::band_count; ++band)
        EXPECT_NE(copy->bands[band].get(), source->bands[band].get()) << band;

    copy->bands[3]->gain = 6.0;
    copy->name = "changed";
    EXPECT_EQ(source->bands[3]->gain, -4.5);
    EXPECT_EQ(source->name, "Tarn");
    source.release();
    EXPECT_EQ(copy->bands[3]->gain, 6.0);
}

TEST(Preset, TypeTexts)
{
    EXPECT_STREQ(eq_band_type_name(eq_band_type::low_shelf), "low shelf");
    EXPECT_STREQ(eq_band_type_name(eq_band_type::high_shelf), "high shelf");
    EXPECT_STREQ(eq_band_type_name(eq_band_type::parametric_eq), "parametric eq");
}

} // namespace
