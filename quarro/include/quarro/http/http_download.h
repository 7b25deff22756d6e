// One libcurl transfer into a file, from the start or resumed from an offset, with a watchdog
// that stops a transfer that receives too little for too long.
#pragma once

#include <quarro/files/file.h>
#include <quarro/files/filepath.h>
#include <quarro/http/http_request.h>
#include <quarro/http/resume_file.h>
#include <quarro/http/transfer_watchdog.h>
#include <quarro/memory/shared_handle.h>
#include <quarro/synchronization/job.h>

#include <atomic>
#include <string>

namespace quarro {

class http_download;

/// Told how a download goes; called on the thread that runs it, inside libcurl's callbacks
/// where noted. What a delegate operation throws inside libcurl stops the transfer.
class http_download_delegate
{
public:
    virtual ~http_download_delegate() = default;
    /// Must set the download's destination path (and may allow overwriting).
    virtual void on_destination_required(http_download& download, const std::string& name) = 0;
    virtual void on_will_start(http_download& download) = 0;
    /// The destination file was made for a transfer from the start.
    virtual void on_destination_ready(http_download& download, const files::filepath& file) = 0;
    /// `count` more bytes are in the file (inside libcurl).
    virtual void on_data_received(http_download& download, u64 count) = 0;
    /// A transfer from the start began (status 200; inside libcurl).
    virtual void on_response(http_download& download,
                             const memory::shared_handle<http_response>& response) = 0;
    /// A resumed transfer began at `offset` (status 206; inside libcurl).
    virtual void on_resumed(http_download& download,
                            const memory::shared_handle<http_response>& response, u64 offset) = 0;
    /// The file changed on the server since the partial file was begun (`reason` says how):
    /// the partial file has been emptied, and the transfer starts again from byte 0.
    virtual void on_restarted(http_download& download, const std::string& reason) = 0;
    /// Every byte is in the file, which is closed.
    virtual void on_finished(http_download& download) = 0;
    /// The transfer stopped early; `text` says why.
    virtual void on_stopped(http_download& download, const std::string& text) = 0;
};

/// The limits of one download.
struct download_limits
{
    /// A transfer that receives less than 1 KiB (transfer_watchdog::minimum_bytes) within any
    /// span longer than this, nothing at all or a trickle, is stopped.
    u32 stall_limit_ms = 60000;
    /// A larger total size, announced or received, stops the transfer; -1: no limit.
    i64 max_size_bytes = -1;
    /// The caller's flag (null: none), which must outlive the transfer and may be set from any
    /// thread: once it is true, the transfer stops at libcurl's next progress call, within
    /// about a second, as cancel() stops it.
    const std::atomic<bool>* abort_flag = nullptr;
};

/// One transfer; built, run once and destroyed on one thread. cancel() may come from any.
class http_download : public synchronization::job
{
public:
    /// A transfer from the start. Throws error::http_error when libcurl can't make a handle.
    http_download(const memory::shared_handle<http_request>& request,
                  http_download_delegate* delegate, const download_limits& limits);
    /// A transfer that continues `record` in the file at `destination_path`.
    http_download(const resume_record& record, const std::string& destination_path,
                  http_download_delegate* delegate, const download_limits& limits);
    ~http_download() override;

    /// Performs the transfer and tells the delegate how it ended: on_finished or on_stopped
    /// with the reason in a user's words (also after an answer other than 200 or 206, such as
    /// a 204, which carries no file, and after a 206 whose range ends before the known total:
    /// the file is still partial). A resumed transfer finishes at once on a 416 when the
    /// partial file holds the recorded total and the server's total, if it names one, is the
    /// same. Any other sign that the file changed on the server since the partial file was
    /// begun (a 416, a Content-Range whose total differs from the recorded one, a 200 or a
    /// range other than the one asked for) empties the partial file, tells on_restarted and
    /// asks once more from byte 0, once: a transfer from the start never asks again. Throws
    /// error::http_error_no_destination_location when the delegate set no destination,
    /// error::http_error when the destination file can't be made, and what emptying it throws.
    void run() override;
    /// Stops a running transfer at its next progress call. Any thread.
    void cancel() override { cancel_.store(true); }

    void set_destination_path(const std::string& path) { destination_path_ = path; }
    void set_overwrite(bool overwrite) noexcept { overwrite_ = overwrite; }
    const http_request& get_request() const noexcept { return *request_; }
    /// Bytes in the destination file.
    u64 get_offset() const noexcept { return offset_; }
    /// The total size; -1 while not known.
    i64 get_total_size() const noexcept { return total_size_; }

private:
    // libcurl's header, write and progress functions.
    struct callbacks;
    friend struct callbacks;

    int perform();
    void evaluate_response();
    void note_header_line(const char* line, size_t size);
    void set_up_destination();
    // Why the answer to a range request shows that the file changed; empty when it doesn't.
    std::string change_shown_by(int result, long code) const;
    // How the total that the server names differs from the recorded one; empty when it
    // doesn't, or when either is unknown.
    std::string other_total() const;
    void start_afresh(const std::string& reason);
    std::string stop_reason(int result, long code) const;
    // cancel() or the caller's abort flag.
    bool cancelled() const noexcept;

    memory::shared_handle<http_request> request_;
    http_download_delegate* delegate_;
    download_limits limits_;
    void* handle_; // the libcurl easy handle
    std::string destination_path_;
    bool overwrite_ = false;
    memory::data_ptr<files::file> destination_file_;
    std::atomic<bool> cancel_{false};
    bool resume_;
    u64 offset_ = 0;
    i64 total_size_ = -1;
    memory::shared_handle<http_response> response_;
    files::filepath destination_;
    bool started_ = false;
    // The request asks for the rest of a partial file ("Range: bytes=offset-").
    bool range_asked_ = false;
    // The total that the last answer's Content-Range names; -1 when it names none.
    i64 range_total_ = -1;
    // Set inside libcurl when an answer shows that the file changed; stops that request.
    std::string change_;
    // Body bytes that reached the write callback, kept or not: libcurl's own count starts
    // again with every request (a redirect, the second request after a range error).
    u64 arrived_bytes_ = 0;
    transfer_watchdog watchdog_;
    std::string stop_text_; // why a callback stopped the transfer
};

} // namespace quarro
