// The speaker-link errors: one family, fixed texts.
#include <speaker_link/device/dsp_error.h>

#include <gtest/gtest.h>

#include <functional>

namespace {

TEST(DspError, EachClassHasItsFixedTextAndIsOneOfTheFamily)
{
    const struct
    {
        std::function<void()> raise;
        const char* text;
    } cases[] = {
        {[] { throw error::dsp_runtime_error(); },
         "unknown error while communication with the speaker"},
        {[] { throw error::dsp_init_failed(); }, "Unable to connect to DSP"},
        {[] { throw error::wrong_speaker(); },
         "Unable to read Loudspeaker Type. Please connect an Velk Orvik Loudspeaker"},
        {[] { throw error::wrong_speaker_version(); },
         "Cannot write speaker configuration to different speaker model"},
        {[] { throw error::write_enable_failed(); }, "Could not enable write on speaker"},
        {[] { throw error::erase_sector_failed(); }, "Could not erase sector"},
        {[] { throw error::write_data_failed(); }, "Could not write data to DSP"},
        // The same text as the erase failure: only the class tells them apart.
        {[] { throw error::mismatch_error(); }, "Could not erase sector"},
        {[] { throw error::read_data_failed(); }, "Could not read data from DSP"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        try {
            c.raise();
            ADD_FAILURE() << "nothing thrown";
        } catch (const error::dsp_error& e) {
            EXPECT_STREQ(e.what(), c.text);
            EXPECT_STREQ(e.err::exception::what(), "") << "the message under the fixed text";
        }
        EXPECT_THROW(c.raise(), err::exception);
    }
}

} // namespace
