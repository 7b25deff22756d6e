// One libcurl transfer into a file, fresh or resumed.
#include <quarro/files/file_error.h>
#include <quarro/files/folder_operations.h>
#include <quarro/files/hdd_file.h>
#include <quarro/http/http_download.h>
#include <quarro/http/http_error.h>
#include <quarro/tools/clock.h>
#include <quarro/tools/text.h>

#include "http/curl_easy.h"
#include "http/write_failure_text.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string_view>

namespace quarro {
namespace {

// The file name the delegate is asked for: the URL's part after its last separator.
std::string name_in(const std::string& url)
{
    const std::size_t separator = url.find_last_of("/\\");
    return separator == std::string::npos ? url : url.substr(separator + 1);
}

} // namespace

// Nothing may cross libcurl: every callback catches, keeps the reason and returns the value
// that makes libcurl stop the transfer.
struct http_download::callbacks
{
    template <class Step>
    static bool guarded(http_download& self, Step&& step) noexcept
    {
        try {
            step();
            return true;
        } catch (const err::exception& error) {
            self.stop_text_ = error.what();
        } catch (const std::exception& error) {
            self.stop_text_ = error.what();
        } catch (...) {
            self.stop_text_ = "unknown failure";
        }
        return false;
    }

    static size_t header(char* data, size_t size, size_t count, void* download) noexcept
    {
        auto& self = *static_cast<http_download*>(download);
        const size_t n = size * count;
        if (n == 2 && std::memcmp(data, "\r\n", 2) == 0)
            return guarded(self, [&] { self.evaluate_response(); }) && self.change_.empty() ? n : 0;
        self.note_header_line(data, n);
        return n;
    }

    static size_t write(char* data, size_t size, size_t count, void* download) noexcept
    {
        auto& self = *static_cast<http_download*>(download);
        const size_t n = size * count;
        if (n == 0)
            return 0;
        self.arrived_bytes_ += n;
        if (!self.destination_file_)
            return n;
        const bool written = guarded(self, [&] {
            const i64 limit = self.limits_.max_size_bytes;
            if (limit >= 0 && self.offset_ + n > static_cast<u64>(limit))
                throw err::runtime_error("download larger than " + std::to_string(limit) +
                                         " bytes");
            try {
                self.destination_file_->write(reinterpret_cast<const u8*>(data), n, nullptr);
            } catch (const files::error::write_failure& failure) {
                throw err::runtime_error(
                    detail::write_failure_text(self.destination_path_, failure));
            }
            self.offset_ += n;
            self.delegate_->on_data_received(self, n);
        });
        return written ? n : 0;
    }

    static int progress(void* download, curl_off_t, curl_off_t, curl_off_t, curl_off_t) noexcept
    {
        auto& self = *static_cast<http_download*>(download);
        bool stalled = false;
        if (!guarded(self, [&] {
                stalled = self.watchdog_.stalled(clock::now_ms(), self.arrived_bytes_);
            }))
            return 1;
        if (stalled) {
            self.stop_text_ = self.watchdog_.reason();
            return 1;
        }
        return self.cancelled() ? 1 : 0;
    }
};

http_download::http_download(const memory::shared_handle<http_request>& request,
                             http_download_delegate* delegate, const download_limits& limits)
    : request_(request), delegate_(delegate), limits_(limits),
      handle_(detail::new_easy_handle(request->get_url())), resume_(false),
      watchdog_(limits.stall_limit_ms, clock::now_ms())
{}

http_download::http_download(const resume_record& record, const std::string& destination_path,
                             http_download_delegate* delegate, const download_limits& limits)
    : request_(new http_request(record.download_url, 0, "GET")), delegate_(delegate),
      limits_(limits), handle_(detail::new_easy_handle(request_->get_url())),
      destination_path_(destination_path), resume_(true), offset_(record.bytes_received),
      total_size_(record.total_file_size), watchdog_(limits.stall_limit_ms, clock::now_ms())
{}

http_download::~http_download()
{
    curl_easy_cleanup(handle_);
}

void http_download::run()
{
    if (request_->is_post() && request_->get_body()) {
        curl_easy_setopt(handle_, CURLOPT_POSTFIELDS, request_->get_body()->bytes());
        curl_easy_setopt(handle_, CURLOPT_POSTFIELDSIZE_LARGE,
                         static_cast<curl_off_t>(request_->get_body()->size()));
    }
    curl_easy_setopt(handle_, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(handle_, CURLOPT_WRITEFUNCTION, &callbacks::write);
    if (request_->get_timeout_ms() > 0)
        curl_easy_setopt(handle_, CURLOPT_TIMEOUT_MS,
                         static_cast<long>(request_->get_timeout_ms()));
    // The watchdog alone judges a slow transfer.
    curl_easy_setopt(handle_, CURLOPT_LOW_SPEED_TIME, 10L);
    curl_easy_setopt(handle_, CURLOPT_LOW_SPEED_LIMIT, 0L);
    curl_easy_setopt(handle_, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(handle_, CURLOPT_HEADERFUNCTION, &callbacks::header);
    curl_easy_setopt(handle_, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(handle_, CURLOPT_XFERINFODATA, this);
    curl_easy_setopt(handle_, CURLOPT_XFERINFOFUNCTION, &callbacks::progress);
    curl_easy_setopt(handle_, CURLOPT_URL, request_->get_url().c_str());
    delegate_->on_will_start(*this);
    if (!resume_)
        delegate_->on_destination_required(*this, name_in(request_->get_url()));
    if (destination_path_.empty())
        throw error::http_error_no_destination_location();
    set_up_destination();
    response_ = memory::shared_handle<http_response>(new http_response(request_->get_url()));

    range_asked_ = resume_ && offset_ > 0;
    if (resume_)
        curl_easy_setopt(handle_, CURLOPT_RESUME_FROM_LARGE, static_cast<curl_off_t>(offset_));
    int result = perform();
    long code = 0;
    curl_easy_getinfo(handle_, CURLINFO_RESPONSE_CODE, &code);
    const std::string change = change_shown_by(result, code);
    if (!change.empty() && !cancelled()) {
        start_afresh(change);
        result = perform();
        curl_easy_getinfo(handle_, CURLINFO_RESPONSE_CODE, &code);
    }
    response_->response_code = static_cast<u32>(code);
    destination_file_.release();

    const bool complete = total_size_ < 0 || offset_ == static_cast<u64>(total_size_);
    // A 416 to a request for the rest of a file that is already whole: nothing was left.
    const bool nothing_left = range_asked_ && code == 416 && change.empty();
    if ((result == CURLE_OK && started_ && complete) || nothing_left) {
        delegate_->on_finished(*this);
        return;
    }
    delegate_->on_stopped(*this, stop_reason(result, code));
}

std::string http_download::change_shown_by(int result, long code) const
{
    if (!range_asked_)
        return std::string();
    if (!change_.empty())
        return change_;
    if (code == 416 && !other_total().empty())
        return other_total();
    if (code == 416 && (total_size_ < 0 || offset_ != static_cast<u64>(total_size_)))
        return "the server has no bytes from byte " + std::to_string(offset_) +
               " on (HTTP status 416)";
    // libcurl's own check: the answer does not continue the file where it was asked to.
    if (result == CURLE_RANGE_ERROR && stop_text_.empty())
        return "the server did not send the rest from byte " + std::to_string(offset_);
    return std::string();
}

std::string http_download::other_total() const
{
    if (total_size_ < 0 || range_total_ < 0 || range_total_ == total_size_)
        return std::string();
    return "the file is now " + std::to_string(range_total_) + " bytes, not " +
           std::to_string(total_size_);
}

void http_download::start_afresh(const std::string& reason)
{
    destination_file_.release();
    {
        // Emptied rather than removed, so that it stays where the delegate expects it.
        const files::hdd_file emptied(destination_, files::File_Write_Access);
    }
    resume_ = false;
    range_asked_ = false;
    started_ = false;
    offset_ = 0;
    total_size_ = -1;
    range_total_ = -1;
    change_.clear();
    stop_text_.clear();
    curl_easy_setopt(handle_, CURLOPT_RESUME_FROM_LARGE, static_cast<curl_off_t>(0));
    delegate_->on_restarted(*this, reason);
}

bool http_download::cancelled() const noexcept
{
    return cancel_.load() || detail::abort_requested(limits_.abort_flag);
}

std::string http_download::stop_reason(int result, long code) const
{
    const std::string& url = request_->get_url();
    if (!stop_text_.empty())
        return stop_text_;
    if (cancelled())
        return "the download was cancelled (" + url + ")";
    if (result != CURLE_OK)
        return detail::describe_curl_failure(static_cast<CURLcode>(result), nullptr, url);
    if (!started_)
        return "HTTP status " + std::to_string(code) + " (" + url + ")";
    return "transfer ended after " + std::to_string(offset_) + " of " +
           std::to_string(total_size_) + " bytes (" + url + ")";
}

int http_download::perform()
{
    char error_buffer[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(handle_, CURLOPT_ERRORBUFFER, error_buffer);
    const CURLcode result = curl_easy_perform(handle_);
    curl_easy_setopt(handle_, CURLOPT_ERRORBUFFER, nullptr);
    // A request stopped because its answer showed a changed file, or because it was
    // cancelled, has no failure of libcurl's to tell.
    if (result != CURLE_OK && result != CURLE_RANGE_ERROR && stop_text_.empty() &&
        change_.empty() && !cancelled())
        stop_text_ = detail::describe_curl_failure(result, error_buffer, request_->get_url());
    return result;
}

void http_download::set_up_destination()
{
    try {
        if (resume_ && files::path_exists(destination_path_)) {
            destination_ = files::filepath(destination_path_);
        } else {
            if (!resume_ && files::path_exists(destination_path_)) {
                if (!overwrite_)
                    throw error::http_error();
                files::remove_item(files::filepath(destination_path_));
            }
            destination_ = files::create_file_at_path(destination_path_);
            if (resume_) {
                offset_ = 0;
                resume_ = false;
            }
            delegate_->on_destination_ready(*this, destination_);
        }
    } catch (const err::exception&) {
        destination_ = files::filepath();
    }
    if (!destination_.exists())
        throw error::http_error();
}

void http_download::note_header_line(const char* line, size_t size)
{
    const std::string_view text(line, size);
    // Each answer (a redirect's, the final one's) begins with its status line.
    if (text.substr(0, 5) == "HTTP/") {
        range_total_ = -1;
        return;
    }
    // "Content-Range: bytes 100-199/200" or "bytes */200"; "*" as the total names none.
    constexpr std::string_view name = "content-range:";
    if (text.size() < name.size() ||
        compare_no_case(std::string(text.substr(0, name.size())), std::string(name)) != 0)
        return;
    const std::size_t slash = text.find('/');
    if (slash == std::string_view::npos)
        return;
    i64 total = 0;
    std::size_t digits = 0;
    for (std::size_t i = slash + 1; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (total > (std::numeric_limits<i64>::max() - 9) / 10)
            return;
        total = total * 10 + (text[i] - '0');
        ++digits;
    }
    if (digits > 0)
        range_total_ = total;
}

void http_download::evaluate_response()
{
    long code = 0;
    curl_off_t length = -1;
    curl_easy_getinfo(handle_, CURLINFO_RESPONSE_CODE, &code);
    curl_easy_getinfo(handle_, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    // Only these answers carry the file: any other, a 204 say, leaves the transfer unstarted,
    // so that it stops instead of passing the partial file off as finished.
    if (started_ || (code != 200 && code != 206))
        return;
    if (range_asked_ && code == 200) {
        change_ = "the server sent the whole file instead of the rest from byte " +
                  std::to_string(offset_);
        return;
    }
    if (range_asked_ && !other_total().empty()) {
        change_ = other_total();
        return;
    }
    started_ = true;
    if (code == 206) {
        // A range that ends before the total brings only part of the rest: the total, not
        // the range's end, decides when the file is complete.
        const i64 range_end = length > 0 ? static_cast<i64>(offset_) + length : length;
        total_size_ = std::max(total_size_, range_total_ >= 0 ? range_total_ : range_end);
        response_->total_size = total_size_;
        delegate_->on_resumed(*this, response_, offset_);
        destination_file_ = memory::data_ptr<files::file>(new files::hdd_file(
            destination_, files::File_Write_Access, files::existing_content::keep));
        destination_file_->seek(static_cast<i64>(offset_), files::seek_from_beginning);
    } else if (code == 200) {
        total_size_ = length;
        response_->total_size = total_size_;
        offset_ = 0;
        delegate_->on_response(*this, response_);
        destination_file_ = memory::data_ptr<files::file>(
            new files::hdd_file(destination_, files::File_Write_Access));
        destination_file_->seek(0, files::seek_from_beginning);
    }
    const i64 limit = limits_.max_size_bytes;
    if (limit >= 0 && total_size_ > limit)
        throw err::runtime_error("download of " + std::to_string(total_size_) +
                                 " bytes larger than " + std::to_string(limit) + " bytes");
}

} // namespace quarro
