// The local firmware service over https, with a certificate made for 127.0.0.1 by the
// `openssl` command, and the test program's trust in it: a test program that includes this
// header is linked with curl_easy_perform wrapped (see its CMakeLists.txt), and the wrapper
// gives libcurl the trusted certificate. No user of the product can reach that seam.
#pragma once

#include <support/temporary_folder.h>

#include <firmware_service/service.h>

#include <curl/curl.h>

#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <string>

namespace test_support {

/// The certificate that libcurl trusts besides the system's (empty: none). Set by the test
/// thread before any transfer that needs it.
inline std::string& trusted_certificate()
{
    static std::string path;
    return path;
}

/// An https firmware service on a fresh certificate, trusted for its lifetime when asked.
class https_service
{
public:
    https_service(const std::string& root, bool trusted)
    {
        const std::string command =
            "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -days 1 "
            "-subj /CN=127.0.0.1 -addext subjectAltName=IP:127.0.0.1 -keyout " +
            folder_ / "key.pem" + " -out " + folder_ / "certificate.pem" + " 2>/dev/null";
        if (std::system(command.c_str()) != 0)
            throw std::runtime_error("openssl could not make a certificate");
        service_.emplace(
            root, 0,
            firmware_service::service::tls_files{folder_ / "certificate.pem", folder_ / "key.pem"});
        trusted_certificate() = trusted ? folder_ / "certificate.pem" : std::string();
    }
    ~https_service() { trusted_certificate().clear(); }

    firmware_service::service* operator->() { return &*service_; }

private:
    temporary_folder folder_;
    std::optional<firmware_service::service> service_;
};

} // namespace test_support

extern "C" CURLcode __real_curl_easy_perform(CURL* handle);

extern "C" inline __attribute__((used)) CURLcode __wrap_curl_easy_perform(CURL* handle)
{
    if (!test_support::trusted_certificate().empty())
        curl_easy_setopt(handle, CURLOPT_CAINFO, test_support::trusted_certificate().c_str());
    return __real_curl_easy_perform(handle);
}
