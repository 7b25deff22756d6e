// The file of the flash's erases and page programs.
#include "change_log.h"

#include <speaker_link/device/bridge_protocol.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include <fcntl.h>
#include <unistd.h>

namespace emulated_speaker {
namespace {

const char* outcome_text(command_outcome outcome)
{
    switch (outcome) {
    case command_outcome::executed:
        return "executed";
    case command_outcome::ignored_without_write_enable:
        return "ignored without write enable";
    case command_outcome::ignored_while_busy:
        return "ignored while busy";
    case command_outcome::ignored_protected:
        return "ignored protected";
    case command_outcome::ignored_by_fault:
        return "ignored by fault";
    case command_outcome::cut_short:
        return "cut short";
    case command_outcome::malformed:
        return "malformed";
    }
    return "unknown";
}

} // namespace

change_log::change_log(const std::string& path)
    : descriptor_(::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600))
{
    if (descriptor_ < 0)
        throw std::runtime_error("emulated speaker: cannot open the change log " + path + ": " +
                                 std::strerror(errno));
}

change_log::~change_log()
{
    ::close(descriptor_);
}

void change_log::record(const flash_command& command)
{
    char line[96];
    int length = 0;
    if (command.opcode == bridge_protocol::flash_opcode::block_erase)
        length = std::snprintf(line, sizeof line, "block erase 0x%06X %s\n", command.address,
                               outcome_text(command.outcome));
    else if (command.opcode == bridge_protocol::flash_opcode::page_program)
        length = std::snprintf(line, sizeof line, "page program 0x%06X %u %s\n", command.address,
                               command.length, outcome_text(command.outcome));
    if (length <= 0)
        return;
    [[maybe_unused]] const ssize_t written =
        ::write(descriptor_, line, std::min(static_cast<std::size_t>(length), sizeof line - 1));
}

} // namespace emulated_speaker
