// pellaro_firmware_service: the local firmware service as a program, for demonstrations.
#include <firmware_service/service.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <iostream>

int main(int argc, char** argv)
{
    std::string root;
    int port = 0;
    firmware_service::behaviour behaviour;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--root") == 0)
            root = argv[i + 1];
        else if (std::strcmp(argv[i], "--port") == 0)
            port = std::atoi(argv[i + 1]);
        else if (std::strcmp(argv[i], "--delay-ms") == 0)
            behaviour.delay_ms = static_cast<std::uint32_t>(std::atoi(argv[i + 1]));
        else if (std::strcmp(argv[i], "--bytes-per-second") == 0)
            behaviour.bytes_per_second = static_cast<std::uint32_t>(std::atoi(argv[i + 1]));
    }
    if (root.empty() || argc % 2 == 0) {
        std::cerr << "usage: pellaro_firmware_service --root FOLDER [--port N] [--delay-ms N]\n"
                     "                                [--bytes-per-second N]\n"
                     "FOLDER holds MODEL/VERSION/package files, such as K5R/1.0.9/firmware.zip;\n"
                     "--delay-ms holds every answer back and --bytes-per-second sends packages\n"
                     "slowly, as a slow network would\n";
        return 2;
    }
    // Wait for Ctrl-C or SIGTERM on this thread; the service's threads must not take them.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    try {
        firmware_service::service service(root, port);
        service.set_behaviour(behaviour);
        std::cout << "serving " << root << " at " << service.base_address() << std::endl;
        int received = 0;
        sigwait(&signals, &received);
        // What the packages' requests asked for, so that a resumed download can be told.
        for (const std::string& range : service.range_headers())
            std::cout << "package requested, range: " << (range.empty() ? "none" : range) << '\n';
    } catch (const std::exception& error) {
        std::cerr << error.what() << '\n';
        return 1;
    }
    return 0;
}
