// pellaro_demo_firmware: writes the demonstration's firmware package where the local firmware
// service looks for it and prints its path.
#include <demo_firmware/demo_package.h>

#include <exception>
#include <iostream>
#include <string>

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        std::cerr << "usage: pellaro_demo_firmware FOLDER [MODEL]\n"
                     "writes FOLDER/MODEL/"
                  << demo_firmware::version
                  << "/firmware.zip (MODEL: K4R, K5T, K5R, K7T or K7R; default K5R)\n";
        return 2;
    }
    try {
        std::cout << demo_firmware::write_demo_package(argv[1], argc == 3 ? argv[2] : "K5R")
                  << '\n';
    } catch (const std::exception& error) {
        std::cerr << error.what() << '\n';
        return 1;
    }
    return 0;
}
