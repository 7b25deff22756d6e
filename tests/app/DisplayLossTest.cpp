// The lines a lost display leaves in the log: what the program waited for, in words, however
// many operations ran.
#include "DisplayLoss.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(DisplayLoss, LinesNameWhatTheProgramWaitedFor)
{
    const struct
    {
        std::vector<std::string> running;
        const char* loss;
        const char* end;
    } rows[] = {
        {{},
         "The connection to the display was lost: the program ends, no speaker operation was "
         "running",
         ""},
        {{"the settings write"},
         "The connection to the display was lost: the program ends once the settings write has "
         "ended (waits for the speaker and downloads are given up)",
         "The settings write has ended and the speaker is let go: the program ends without its "
         "display"},
        {{"the firmware update", "the firmware search"},
         "The connection to the display was lost: the program ends once the firmware update and "
         "the firmware search have ended (waits for the speaker and downloads are given up)",
         "The firmware update and the firmware search have ended and the speaker is let go: the "
         "program ends without its display"},
        {{"the reset", "the settings read", "the firmware search"},
         "The connection to the display was lost: the program ends once the reset, the settings "
         "read and the firmware search have ended (waits for the speaker and downloads are given "
         "up)",
         "The reset, the settings read and the firmware search have ended and the speaker is let "
         "go: the program ends without its display"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.running.size()) + " running");
        EXPECT_EQ(DisplayLoss::lossLine(row.running), row.loss);
        EXPECT_EQ(DisplayLoss::endLine(row.running), row.end);
    }
}

} // namespace
