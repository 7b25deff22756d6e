// A local firmware service on 127.0.0.1 for tests, benchmarks and demonstrations: it answers
// the firmware query for the packages found in a folder, serves the packages with Range
// requests, and can be told to misbehave in the ways a real network does.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace firmware_service {

/// How the service misbehaves; the default behaves.
struct behaviour
{
    /// Every request: answer with this status instead, the query with an error page, a package
    /// with no body (0: answer normally).
    int status = 0;
    /// Query: answer with this body instead of the one made from the folder.
    std::optional<std::string> body;
    /// Every request: wait this long before answering.
    std::uint32_t delay_ms = 0;
    /// Query: called on the service's thread before the answer is made from the folder, so
    /// that a test holds a search's answer back exactly as long as it wants.
    std::function<void()> before_query;
    /// Packages: after this many body bytes, send nothing for stall_ms.
    std::optional<std::uint64_t> stall_after_bytes;
    std::uint32_t stall_ms = 0;
    /// Packages: after this many body bytes, close the connection.
    std::optional<std::uint64_t> close_after_bytes;
    /// Packages: send at most this many bytes a second, a tenth of a second's worth at a time
    /// (at least a byte), as a slow line would (0: as fast as the connection takes them).
    std::uint32_t bytes_per_second = 0;
    /// Packages: asked before each piece, on the service's thread, with the body bytes sent so
    /// far; answers the most that piece may hold, or 0 to close the connection. Lets a test
    /// send pieces exactly when it wants them.
    std::function<std::uint64_t(std::uint64_t sent)> next_piece;
    /// Packages: ignore a Range request and answer 200 with the whole file.
    bool ignore_range = false;
    /// Packages: answer a Range request with at most this many bytes, a 206 whose range ends
    /// before the file does, as a server that sends only part of what was asked.
    std::optional<std::uint64_t> range_bytes;
    /// Every request: redirect to the same address again.
    bool redirect_loop = false;
    /// Every request: redirect to this address (empty: none).
    std::string redirect_to;
};

/// Serves `root`, which holds one folder per model, each holding one folder per version with
/// the package file in it ("K5R/1.0.9/firmware.zip"):
/// - GET /wp-json/api/firmware/<MODEL>/latest answers the newest version's JSON object
///   (model_number, version_number, description, checksum: the package's MD5 in hex,
///   date, file: the package's path with JSON-escaped slashes), 404 when there is none;
/// - GET /firmware/<MODEL>/<VERSION>/<FILE> serves the package, with "Range: bytes=N-"
///   answered 206, or 416 at or past the end.
/// Binds 127.0.0.1 only; requests are answered on the service's own threads. Every
/// connection is closed after one request.
class service
{
public:
    /// An https service's certificate and private key, PEM files.
    struct tls_files
    {
        std::string certificate;
        std::string key;
    };

    /// Starts serving at `port` (0: a free port the system chooses), over https when `tls` is
    /// given. Throws std::runtime_error when the port or the certificate can't be had.
    explicit service(std::string root, int port = 0,
                     const std::optional<tls_files>& tls = std::nullopt);
    /// Stops serving; waits and stalls in progress end at once.
    ~service();
    service(const service&) = delete;
    service& operator=(const service&) = delete;

    int port() const;
    /// "http://127.0.0.1:<port>", or "https://..." over https
    std::string base_address() const;
    /// Applies to requests that arrive from now on. Any thread.
    void set_behaviour(const behaviour& b);
    /// The Range header of every package request so far ("" when it had none), in order.
    std::vector<std::string> range_headers() const;
    /// The number of requests that arrived so far.
    std::size_t request_count() const;

    struct state;

private:
    std::unique_ptr<state> state_;
};

/// The MD5 digest of the bytes as 32 upper-case hex characters.
std::string md5_hex(const std::string& bytes);

} // namespace firmware_service
