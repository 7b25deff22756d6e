// One HTTP request performed with libcurl on the calling thread, its reply body collected in
// memory and handed to a delegate.
#pragma once

#include <quarro/http/http_request.h>
#include <quarro/memory/data.h>
#include <quarro/memory/shared_handle.h>
#include <quarro/synchronization/job.h>

#include <atomic>
#include <exception>
#include <string>

namespace quarro {

class http_connection;

/// Told how a connection's run went; called on the thread that runs the connection.
class http_connection_delegate
{
public:
    virtual ~http_connection_delegate() = default;
    /// Not called by http_connection; kept for delegates shared with other transfers.
    virtual void on_response(http_connection& connection,
                             const memory::shared_handle<http_response>& response) = 0;
    /// The whole reply body (an empty block for an empty reply, never null).
    virtual void on_data(http_connection& connection,
                         const memory::data_ptr<memory::data>& body) = 0;
    /// The transfer completed with a status below 400; follows on_data.
    virtual void on_finished(http_connection& connection) = 0;
    /// The transfer failed (no connection, time-out, a status of 400 or more, a reply over
    /// the size limit, a refused redirect); `text` says how, with the address.
    virtual void on_error(http_connection& connection, const std::string& text) = 0;
};

/// Keeps what it is told.
class default_http_connection_delegate : public http_connection_delegate
{
public:
    void on_response(http_connection&, const memory::shared_handle<http_response>& r) override;
    void on_data(http_connection&, const memory::data_ptr<memory::data>& body) override;
    void on_finished(http_connection&) override;
    void on_error(http_connection&, const std::string& text) override;

    memory::shared_handle<http_response> response;
    memory::data_ptr<memory::data> body;
    std::string error_text;
    bool finished = false;
};

/// Performs one request. Built, run once and destroyed on one thread.
class http_connection : public synchronization::job
{
public:
    /// Replies are held in memory; a larger one fails the transfer.
    static constexpr u64 max_body_bytes = 1024 * 1024;

    /// Keeps a reference to the request and the (not owned) delegate, which must outlive the
    /// connection, and makes the libcurl handle with the common limits (at most 10 redirects,
    /// http and https only, never from https down to http, certificates checked). Throws
    /// error::http_error when libcurl can't make a handle. `abort_flag` (null: none) is the
    /// caller's, must outlive the connection, and may be set from any thread: once it is true,
    /// the transfer fails at libcurl's next progress call, within about a second.
    http_connection(const memory::shared_handle<http_request>& request,
                    http_connection_delegate* delegate,
                    const std::atomic<bool>* abort_flag = nullptr);
    ~http_connection() override;

    /// Performs the request (a GET, or a POST with the body when it has one) and tells the
    /// delegate: on_data then on_finished, or on_error. Allocation failures while collecting
    /// the reply pass to the caller.
    void run() override;

private:
    static size_t write(char* data, size_t size, size_t count, void* connection) noexcept;

    memory::shared_handle<http_request> request_;
    http_connection_delegate* delegate_;
    void* handle_; // the libcurl easy handle
    memory::data_ptr<memory::growable_data> response_buffer_;
    bool over_limit_ = false;
    std::exception_ptr callback_failure_;
};

/// Runs `request` on the calling thread. Hands out the response handle (empty) and the body:
/// the reply's bytes after a completed transfer, null otherwise. Returns true after a
/// completed transfer. Throws error::http_connection_error with libcurl's description and the
/// address when the transfer failed, and error::http_error when no handle can be made. A set
/// `abort_flag` fails the transfer as the connection's constructor says.
bool perform_http_request(const memory::shared_handle<http_request>& request,
                          memory::shared_handle<http_response>& response,
                          memory::data_ptr<memory::data>& body,
                          const std::atomic<bool>* abort_flag = nullptr);

} // namespace quarro
