// libcurl's process-wide set-up and the limits common to every easy handle.
#include "http/curl_easy.h"

#include <quarro/http/http_error.h>

#include <mutex>

namespace quarro::detail {
namespace {

void initialise_curl_once()
{
    static std::once_flag once;
    std::call_once(once, [] {
        // Not thread-safe in libcurl itself, hence the once flag; never undone, since other
        // threads may still hold handles at exit.
        if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK)
            throw error::http_error();
    });
}

bool starts_with_no_case(const std::string& text, const char* prefix)
{
    for (std::size_t i = 0; prefix[i] != '\0'; ++i) {
        if (i >= text.size())
            return false;
        char c = text[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != prefix[i])
            return false;
    }
    return true;
}

} // namespace

CURL* new_easy_handle(const std::string& url)
{
    initialise_curl_once();
    CURL* handle = curl_easy_init();
    if (handle == nullptr)
        throw error::http_error();
    // Transfers run on worker threads: a time-out must not raise SIGALRM in the process.
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(handle, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
    // A package fetched over https must not be handed over in plain text by a redirect.
    curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR,
                     starts_with_no_case(url, "https:") ? "https" : "http,https");
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, connect_timeout_ms);
    return handle;
}

std::string describe_curl_failure(CURLcode code, const char* error_buffer, const std::string& url)
{
    std::string text = curl_easy_strerror(code);
    if (error_buffer != nullptr && error_buffer[0] != '\0') {
        text += ": ";
        text += error_buffer;
        while (!text.empty() && text.back() == '\n')
            text.pop_back();
    }
    return text + " (" + url + ")";
}

} // namespace quarro::detail
