// Preset files: the bytes written, the tolerance of reading, and damaged files. The round trip
// is checked through dsp_control.
#include <speaker_link/settings/preset_file.h>

#include <quarro/err/exception.h>
#include <quarro/files/filepath.h>

#include "support/temporary_folder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <future>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

memory::data_ptr<preset> sample_preset()
{
    auto record = memory::make_data_ptr<preset>();
    record->name = "Studio A";
    const double gains[8] = {-3.0, 1.5, 0.0, -12.0, 12.0, 2.25, -0.05, 6.0};
    const double frequencies[8] = {80, 125, 400, 1000, 2500, 6300, 12500, 16000};
    const double qs[8] = {0.1, 0.7, 2.0, 1.0, 4.0, 0.5, 9.0, 0.1};
    for (int i = 0; i < 8; ++i) {
        record->bands[i]->gain = gains[i];
        record->bands[i]->frequency = frequencies[i];
        record->bands[i]->q = qs[i];
    }
    return record;
}

std::string band_text(const char* type, const char* gain, const char* frequency,
                      const char* q = nullptr)
{
    std::string text = std::string("\t\t\t<eq>\n\t\t\t\t<type>") + type +
                       "</type>\n\t\t\t\t<gain>" + gain + "</gain>\n\t\t\t\t<frequeny>" +
                       frequency + "</frequeny>\n";
    if (q != nullptr)
        text += std::string("\t\t\t\t<q>") + q + "</q>\n";
    return text + "\t\t\t</eq>\n";
}

TEST(PresetFile, WritesTheExactBytes)
{
    test_support::temporary_folder folder;
    test_support::write_text(folder / "a.xml", "");
    write_preset_file(files::filepath(folder / "a.xml"), *sample_preset());
    const std::string expected =
        "<?xml version=\"1.0\" ?>\n<root>\n\t<preset>\n\t\t<name>Studio A</name>\n"
        "\t\t<equalizer>\n" +
        band_text("low shelf", "-3.0", "80.0") + band_text("parametric eq", "1.5", "125.0", "0.7") +
        band_text("parametric eq", "0.0", "400.0", "2.0") +
        band_text("parametric eq", "-12.0", "1000.0", "1.0") +
        band_text("parametric eq", "12.0", "2500.0", "4.0") +
        band_text("parametric eq", "2.2", "6300.0", "0.5") +
        band_text("parametric eq", "-0.1", "12500.0", "9.0") +
        band_text("high shelf", "6.0", "16000.0") + "\t\t</equalizer>\n\t</preset>\n</root>\n";
    EXPECT_EQ(test_support::read_text(folder / "a.xml"), expected);
}

TEST(ParsePresetNumber, ToleratesWhatEarlierFilesHold)
{
    const struct
    {
        const char* text;
        double expected;
    } cases[] = {{"-2,5", -2.5}, {"+1", 7.0},   {".5", 7.0},     {"1k", 1.0},     {"", 7.0},
                 {"-", 0.0},     {"-x", 0.0},   {"12abc", 12.0}, {"1e3", 1000.0}, {"1e", 1.0},
                 {"0.05", 0.05}, {"x", 7.0},    {" 3", 7.0},     {"1e999", 7.0},  {"-1e999", 7.0},
                 {"-inf", 7.0},  {"-nan", 7.0}, {"-0", 0.0}};
    for (const auto& c : cases)
        EXPECT_EQ(parse_preset_number(c.text, 7.0), c.expected) << '"' << c.text << '"';
    // Only the first 99 characters are looked at: a 400-digit number stays finite.
    const double long_number = parse_preset_number(std::string(400, '9'), 7.0);
    EXPECT_TRUE(std::isfinite(long_number));
    EXPECT_NEAR(long_number, 1e99, 1e85);
}

TEST(EqBandTypeFromName, CaseFoldedExactNames)
{
    const struct
    {
        const char* text;
        eq_band_type expected;
    } cases[] = {
        {"low shelf", eq_band_type::low_shelf},    {"LOW SHELF", eq_band_type::low_shelf},
        {"Low Shelf", eq_band_type::low_shelf},    {"High Shelf", eq_band_type::high_shelf},
        {"lowshelf", eq_band_type::parametric_eq}, {"low shelf ", eq_band_type::parametric_eq},
        {"", eq_band_type::parametric_eq},         {"notch", eq_band_type::parametric_eq}};
    for (const auto& c : cases)
        EXPECT_EQ(eq_band_type_from_name(c.text), c.expected) << '"' << c.text << '"';
}

std::string file_with_bands(const std::string& bands, const std::string& root = "root")
{
    return "<" + root + "><preset><name>N</name><equalizer>" + bands + "</equalizer></preset></" +
           root + ">";
}

std::string repeat(const std::string& text, int count)
{
    std::string result;
    for (int i = 0; i < count; ++i)
        result += text;
    return result;
}

TEST(PresetFile, ReadingIsTolerant)
{
    test_support::temporary_folder folder;
    // Children of any name count; missing values take their defaults; only eight are used.
    const std::string bands = "<band><type>LOW SHELF</type><gain>-2,5</gain></band>"
                              "<eq><type>peak</type><frequeny>1k</frequeny><q>.5</q></eq>" +
                              repeat("<eq><gain>+1</gain><extra>x</extra></eq>", 6) +
                              "<eq><gain>9</gain></eq>";
    test_support::write_text(folder / "p.xml", file_with_bands(bands, "anything"));
    const auto read = read_preset_file(files::filepath(folder / "p.xml"));
    EXPECT_EQ(read->name, "N");
    EXPECT_EQ(read->bands[0]->type, eq_band_type::low_shelf);
    EXPECT_EQ(read->bands[0]->gain, -2.5);
    EXPECT_EQ(read->bands[0]->frequency, 20.0);
    EXPECT_EQ(read->bands[0]->q, 1.0);
    EXPECT_EQ(read->bands[1]->type, eq_band_type::parametric_eq);
    EXPECT_EQ(read->bands[1]->frequency, 1.0);
    EXPECT_EQ(read->bands[1]->q, 1.0);
    for (int i = 2; i < 8; ++i)
        EXPECT_EQ(read->bands[i]->gain, 0.0) << i;
}

TEST(PresetFile, DamagedFileFailsWithAnError)
{
    test_support::temporary_folder folder;
    const std::string eight_bands = repeat("<eq><gain>1.0</gain></eq>", 8);
    const struct
    {
        const char* name;
        std::string content;
    } cases[] = {
        {"empty", ""},
        {"garbage", "\x01\xFF\xFE<<\x80zz"},
        {"truncated", file_with_bands(eight_bands).substr(0, 120)},
        {"no preset", "<root><other/></root>"},
        {"no equalizer", "<root><preset><name>N</name></preset></root>"},
        {"three bands", file_with_bands(repeat("<eq/>", 3))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test_support::write_text(folder / "bad.xml", c.content);
        EXPECT_THROW(read_preset_file(files::filepath(folder / "bad.xml")), err::exception);
    }
}

TEST(PresetFile, PipeChosenAsFileFailsAtOnce)
{
    // Opening a named pipe for reading would wait for a writer: the panel would hang.
    test_support::temporary_folder folder;
    const std::string pipe = folder / "preset.xml";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    auto reading = std::async(std::launch::async, [&] { read_preset_file(files::filepath(pipe)); });
    const bool ended = reading.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    if (!ended) // let the blocked reader go, so that the test ends
        close(open(pipe.c_str(), O_WRONLY | O_NONBLOCK));
    ASSERT_TRUE(ended) << "waited 10 s for the read of a named pipe to give up";
    EXPECT_THROW(reading.get(), err::exception);
}

} // namespace
