// The emulated speaker's flash file and the locks through which programs share it.
#include "flash_file.h"

#include <emulated_speaker/speaker_settings.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <system_error>
#include <utility>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace emulated_speaker {
namespace {

std::runtime_error failure(const std::string& what, const std::string& path)
{
    return std::runtime_error("emulated speaker: cannot " + what + " " + path + ": " +
                              std::error_code(errno, std::generic_category()).message());
}

int open_beside(const std::string& path)
{
    const int descriptor = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (descriptor < 0)
        throw failure("open", path);
    return descriptor;
}

int take(int descriptor, int operation)
{
    int result = 0;
    while ((result = ::flock(descriptor, operation)) != 0 && errno == EINTR) {
    }
    return result;
}

// Held while the image is read or written, so that no program reads half an image.
class file_lock
{
public:
    explicit file_lock(const std::string& flash_path)
        : descriptor_(open_beside(flash_path + ".lock"))
    {
        if (take(descriptor_, LOCK_EX) != 0) {
            const std::runtime_error error = failure("lock", flash_path + ".lock");
            ::close(descriptor_);
            throw error;
        }
    }
    ~file_lock() { ::close(descriptor_); }
    file_lock(const file_lock&) = delete;
    file_lock& operator=(const file_lock&) = delete;

private:
    int descriptor_;
};

std::vector<std::uint8_t> read_image_file(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::vector<std::uint8_t> image((std::istreambuf_iterator<char>(file)),
                                    std::istreambuf_iterator<char>());
    if (!file.good() && !file.eof())
        throw std::runtime_error("emulated speaker: cannot read " + path);
    if (image.size() != flash_size_bytes)
        throw std::runtime_error("emulated speaker: " + path + " does not hold a 2 MiB image");
    return image;
}

// Written beside the file and renamed over it, so that a crash never leaves half an image.
void write_image_file(const std::string& path, const std::vector<std::uint8_t>& image)
{
    const std::string temporary = path + ".writing";
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(image.data()),
                   static_cast<std::streamsize>(image.size()));
        file.close();
        if (!file)
            throw std::runtime_error("emulated speaker: cannot write " + temporary);
    }
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    if (error)
        throw std::runtime_error("emulated speaker: cannot replace " + path + ": " +
                                 error.message());
}

} // namespace

flash_file::flash_file(std::string path) : path_(std::move(path)) {}

flash_file::~flash_file()
{
    if (bridge_descriptor_ >= 0)
        ::close(bridge_descriptor_);
}

std::vector<std::uint8_t>
flash_file::load_or_create(const std::function<std::vector<std::uint8_t>()>& factory)
{
    const file_lock lock(path_);
    if (std::filesystem::exists(path_))
        return read_image_file(path_);
    std::vector<std::uint8_t> image = factory();
    write_image_file(path_, image);
    return image;
}

bool flash_file::open_bridge(std::vector<std::uint8_t>& image)
{
    const file_lock lock(path_);
    bool alone = true;
    if (bridge_descriptor_ < 0) {
        bridge_descriptor_ = open_beside(path_ + ".bridge");
        // Every program with the bridge open holds the lock shared. Nobody else can hold it
        // at all when the exclusive try succeeds; the try and the shared hold both happen
        // under the file lock, so no other opener sees the moment between them.
        alone = take(bridge_descriptor_, LOCK_EX | LOCK_NB) == 0;
        if (take(bridge_descriptor_, LOCK_SH) != 0) {
            const std::runtime_error error = failure("lock", path_ + ".bridge");
            ::close(std::exchange(bridge_descriptor_, -1));
            throw error;
        }
    }
    image = read_image_file(path_);
    return alone;
}

void flash_file::close_bridge(const std::vector<std::uint8_t>* changed)
{
    const file_lock lock(path_);
    const int descriptor = bridge_descriptor_;
    bridge_descriptor_ = -1;
    // The bridge is let go whether the image could be written or not.
    struct closer
    {
        int descriptor;
        ~closer()
        {
            if (descriptor >= 0)
                ::close(descriptor);
        }
    } const close_on_return{descriptor};
    if (changed != nullptr)
        write_image_file(path_, *changed);
}

void flash_file::store(const std::vector<std::uint8_t>& image)
{
    const file_lock lock(path_);
    write_image_file(path_, image);
}

} // namespace emulated_speaker
