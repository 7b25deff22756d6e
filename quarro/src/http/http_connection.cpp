// One request over libcurl, its reply collected in memory.
#include <quarro/http/http_connection.h>
#include <quarro/http/http_error.h>

#include "http/curl_easy.h"

#include <utility>

namespace quarro {
namespace {

// libcurl calls it at least once a second, also while no byte arrives.
int abort_check(void* abort_flag, curl_off_t, curl_off_t, curl_off_t, curl_off_t) noexcept
{
    return detail::abort_requested(static_cast<const std::atomic<bool>*>(abort_flag)) ? 1 : 0;
}

} // namespace

void default_http_connection_delegate::on_response(http_connection&,
                                                   const memory::shared_handle<http_response>& r)
{
    response = r;
}

void default_http_connection_delegate::on_data(http_connection&,
                                               const memory::data_ptr<memory::data>& data)
{
    body = data;
}

void default_http_connection_delegate::on_finished(http_connection&)
{
    finished = true;
}

void default_http_connection_delegate::on_error(http_connection&, const std::string& text)
{
    error_text = text;
}

http_connection::http_connection(const memory::shared_handle<http_request>& request,
                                 http_connection_delegate* delegate,
                                 const std::atomic<bool>* abort_flag)
    : request_(request), delegate_(delegate), handle_(detail::new_easy_handle(request->get_url())),
      response_buffer_(memory::make_mutable_data())
{
    curl_easy_setopt(handle_, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(handle_, CURLOPT_WRITEFUNCTION, &http_connection::write);
    if (abort_flag != nullptr) {
        curl_easy_setopt(handle_, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(handle_, CURLOPT_XFERINFODATA, abort_flag);
        curl_easy_setopt(handle_, CURLOPT_XFERINFOFUNCTION, &abort_check);
    }
}

http_connection::~http_connection()
{
    curl_easy_cleanup(handle_);
}

void http_connection::run()
{
    const memory::data_ptr<memory::data>& body = request_->get_body();
    if (request_->is_post() && body && body->size() > 0) {
        curl_easy_setopt(handle_, CURLOPT_POSTFIELDS, body->bytes());
        curl_easy_setopt(handle_, CURLOPT_POSTFIELDSIZE_LARGE,
                         static_cast<curl_off_t>(body->size()));
    }
    const std::string& url = request_->get_url();
    curl_easy_setopt(handle_, CURLOPT_URL, url.c_str());
    if (request_->get_timeout_ms() > 0)
        curl_easy_setopt(handle_, CURLOPT_TIMEOUT_MS,
                         static_cast<long>(request_->get_timeout_ms()));
    // A reply that announces more than the limit is refused before its body comes.
    curl_easy_setopt(handle_, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(max_body_bytes));
    char error_buffer[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(handle_, CURLOPT_ERRORBUFFER, error_buffer);

    const CURLcode result = curl_easy_perform(handle_);
    curl_easy_setopt(handle_, CURLOPT_ERRORBUFFER, nullptr);
    if (callback_failure_)
        std::rethrow_exception(std::exchange(callback_failure_, nullptr));
    if (result != CURLE_OK) {
        if (over_limit_ || result == CURLE_FILESIZE_EXCEEDED) {
            delegate_->on_error(*this, "reply larger than " + std::to_string(max_body_bytes) +
                                           " bytes (" + url + ")");
        } else {
            delegate_->on_error(*this, detail::describe_curl_failure(result, error_buffer, url));
        }
        return;
    }
    long status = 0;
    curl_easy_getinfo(handle_, CURLINFO_RESPONSE_CODE, &status);
    // An error page is no reply to read.
    if (status >= 400) {
        delegate_->on_error(*this, "HTTP status " + std::to_string(status) + " (" + url + ")");
        return;
    }
    delegate_->on_data(*this, response_buffer_);
    delegate_->on_finished(*this);
}

size_t http_connection::write(char* data, size_t size, size_t count, void* connection) noexcept
{
    auto* self = static_cast<http_connection*>(connection);
    const size_t n = size * count;
    // No exception may cross libcurl: a failure stops the transfer and is rethrown after it.
    try {
        if (self->response_buffer_->size() + n > max_body_bytes) {
            self->over_limit_ = true;
            return 0;
        }
        self->response_buffer_->append(data, n);
        return n;
    } catch (...) {
        self->callback_failure_ = std::current_exception();
        return 0;
    }
}

bool perform_http_request(const memory::shared_handle<http_request>& request,
                          memory::shared_handle<http_response>& response,
                          memory::data_ptr<memory::data>& body, const std::atomic<bool>* abort_flag)
{
    default_http_connection_delegate delegate;
    {
        const memory::data_ptr<http_connection> connection(
            new http_connection(request, &delegate, abort_flag));
        connection->run();
    }
    if (!delegate.finished && !delegate.error_text.empty())
        throw error::http_connection_error(delegate.error_text);
    response = delegate.response;
    body = delegate.finished ? delegate.body : nullptr;
    return delegate.finished;
}

} // namespace quarro
