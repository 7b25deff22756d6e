// What the firmware benchmarks share: a private home folder (the product writes under
// Documents), a local firmware service serving a fresh folder, and running the curl program.
#pragma once

#include <support/private_home.h>

#include <firmware_service/service.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace bench_support {

/// A firmware service with one package of `size` bytes: K5R/1.0.9/firmware.zip.
struct local_service
{
    explicit local_service(std::size_t size)
    {
        std::filesystem::create_directories(root.path + "/K5R/1.0.9");
        std::ofstream out(root.path + "/K5R/1.0.9/firmware.zip", std::ios::binary);
        for (std::size_t i = 0; i < size; ++i)
            out.put(static_cast<char>(i * 7 + i / 251));
        out.close();
        service = std::make_unique<firmware_service::service>(root.path);
        setenv("PELLARO_FIRMWARE_SERVICE", service->base_address().c_str(), 1);
    }
    scratch_folder root;
    std::unique_ptr<firmware_service::service> service;
};

/// Runs a shell command; true when it exited with 0.
inline bool run_command(const std::string& command)
{
    return std::system(command.c_str()) == 0;
}

} // namespace bench_support
