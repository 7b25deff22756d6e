// The file that keeps an emulated speaker's flash, shared by every program that names it, as
// programs share one speaker: a program reads the image when it opens the bridge and writes it
// back when it closes it, each under the emulator's own lock on the file, and an opener learns
// whether another program has the bridge open (on a real bridge their reports would
// interleave).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace emulated_speaker {

/// One program's use of the file; not copyable. Two programs see one another through locks
/// beside the file: "<path>.lock" (held while the file is read or written) and
/// "<path>.bridge" (held shared while a program has the bridge open). Every member throws
/// std::runtime_error when a file cannot be read or written or the image is not 2 MiB.
class flash_file
{
public:
    explicit flash_file(std::string path);
    /// Lets go of the bridge, if this program still has it open.
    ~flash_file();
    flash_file(const flash_file&) = delete;
    flash_file& operator=(const flash_file&) = delete;

    /// The file's image; a missing file is made from `factory()` first.
    std::vector<std::uint8_t>
    load_or_create(const std::function<std::vector<std::uint8_t>()>& factory);
    /// This program opens the bridge: `image` becomes the file's image. Returns false when
    /// another program has the bridge open too. When the file cannot be read, the bridge
    /// counts as open all the same and `image` is left as it was.
    bool open_bridge(std::vector<std::uint8_t>& image);
    /// True between open_bridge and close_bridge.
    bool bridge_open() const { return bridge_descriptor_ >= 0; }
    /// This program closes the bridge: `changed` (when not null) is written back first.
    void close_bridge(const std::vector<std::uint8_t>* changed);
    /// Writes `image` back while the bridge is not open (a test's own hand, or the exit).
    void store(const std::vector<std::uint8_t>& image);

private:
    std::string path_;
    int bridge_descriptor_ = -1;
};

} // namespace emulated_speaker
