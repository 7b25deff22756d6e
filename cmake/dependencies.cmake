# The Debian packages the product links (installed by scripts/setup.sh).
find_package(Threads REQUIRED)
find_package(PkgConfig REQUIRED)
pkg_check_modules(HIDAPI REQUIRED IMPORTED_TARGET hidapi-hidraw)
pkg_check_modules(CRYPTOPP REQUIRED IMPORTED_TARGET libcrypto++)
pkg_check_modules(TINYXML REQUIRED IMPORTED_TARGET tinyxml)
pkg_check_modules(CURL REQUIRED IMPORTED_TARGET libcurl)
# The local firmware service of the tests and demonstrations only.
pkg_check_modules(HTTPLIB REQUIRED IMPORTED_TARGET cpp-httplib)
find_package(ZLIB REQUIRED)
find_package(PNG REQUIRED)
find_package(JPEG REQUIRED)
# Xlib, for the program's check for a display, the X error handler of the interface tests
# and the preview tool.
pkg_check_modules(X11 REQUIRED IMPORTED_TARGET x11)
