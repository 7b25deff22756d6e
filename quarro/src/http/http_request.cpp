// The request's set-up.
#include <quarro/http/http_request.h>
#include <quarro/tools/text.h>

namespace quarro {

http_request::http_request(const std::string& url, i32 timeout_ms, const std::string& method,
                           memory::data_ptr<memory::data> body)
    : url_(url), timeout_ms_(timeout_ms), body_(std::move(body)), method_(method)
{
    replace_all(url_, " ", "%20");
}

bool http_request::is_post() const
{
    return compare_no_case(method_, "POST") == 0;
}

} // namespace quarro
