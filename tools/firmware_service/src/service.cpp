// The local firmware service over cpp-httplib.
#include <firmware_service/service.h>

#define CRYPTOPP_ENABLE_NAMESPACE_WEAK 1
#include <cryptopp/filters.h>
#include <cryptopp/hex.h>
#include <cryptopp/md5.h>

#include <httplib.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace fs = std::filesystem;

namespace firmware_service {

std::string md5_hex(const std::string& bytes)
{
    CryptoPP::Weak1::MD5 md5;
    std::string digest(CryptoPP::Weak1::MD5::DIGESTSIZE, '\0');
    md5.CalculateDigest(reinterpret_cast<CryptoPP::byte*>(digest.data()),
                        reinterpret_cast<const CryptoPP::byte*>(bytes.data()), bytes.size());
    std::string hex;
    CryptoPP::StringSource(digest, true,
                           new CryptoPP::HexEncoder(new CryptoPP::StringSink(hex), true));
    return hex;
}

namespace {

std::string read_whole(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Version folder names compare by their dot-separated numbers.
std::vector<unsigned long> version_numbers(const std::string& name)
{
    std::vector<unsigned long> numbers;
    std::size_t start = 0;
    while (start <= name.size()) {
        const std::size_t dot = std::min(name.find('.', start), name.size());
        numbers.push_back(std::strtoul(name.substr(start, dot - start).c_str(), nullptr, 10));
        start = dot + 1;
    }
    return numbers;
}

bool plain_component(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of("/\\") == std::string::npos;
}

// "/" becomes "\/", as PHP's JSON encoder writes it.
std::string json_escaped_path(const std::string& path)
{
    std::string out;
    for (const char c : path) {
        if (c == '/' || c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out;
}

} // namespace

struct service::state
{
    fs::path root;
    std::unique_ptr<httplib::Server> server;
    std::string scheme = "http";
    std::thread thread;
    int port = 0;

    mutable std::mutex mutex;
    std::condition_variable stopping_changed;
    bool stopping = false;
    behaviour current;
    std::vector<std::string> ranges;
    std::size_t requests = 0;

    behaviour take_behaviour()
    {
        const std::lock_guard<std::mutex> lock(mutex);
        ++requests;
        return current;
    }

    // Waits `ms`, or less when the service stops.
    void wait(std::uint32_t ms)
    {
        std::unique_lock<std::mutex> lock(mutex);
        stopping_changed.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stopping; });
    }

    // The newest version folder of the model and its package; false when there is none.
    bool newest_package(const std::string& model, std::string& version, fs::path& package) const
    {
        std::error_code error;
        const fs::path folder = root / model;
        if (!plain_component(model) || !fs::is_directory(folder, error))
            return false;
        std::vector<unsigned long> best;
        for (const auto& entry : fs::directory_iterator(folder, error)) {
            if (!entry.is_directory())
                continue;
            const std::string name = entry.path().filename().string();
            std::vector<fs::path> files;
            for (const auto& file : fs::directory_iterator(entry.path(), error))
                if (file.is_regular_file())
                    files.push_back(file.path());
            if (files.empty())
                continue;
            std::sort(files.begin(), files.end());
            const auto numbers = version_numbers(name);
            if (version.empty() || numbers > best) {
                best = numbers;
                version = name;
                package = files.front();
            }
        }
        return !version.empty();
    }

    void answer_latest(const httplib::Request& request, httplib::Response& response)
    {
        const behaviour b = take_behaviour();
        if (b.delay_ms > 0)
            wait(b.delay_ms);
        if (b.before_query)
            b.before_query();
        if (b.status != 0) {
            response.status = b.status;
            response.set_content("<html><body>error " + std::to_string(b.status) + "</body></html>",
                                 "text/html");
            return;
        }
        if (b.body) {
            response.set_content(*b.body, "application/json");
            return;
        }
        const std::string model = request.matches[1];
        std::string version;
        fs::path package;
        if (!newest_package(model, version, package)) {
            response.status = 404;
            response.set_content("{\"code\":\"not_found\"}", "application/json");
            return;
        }
        const std::string name = package.filename().string();
        char date[16] = "";
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        gmtime_r(&now, &local);
        std::strftime(date, sizeof date, "%Y-%m-%d", &local);
        response.set_content(
            "{\"model_number\":\"" + model + "\",\"version_number\":\"" + version +
                "\",\"description\":\"Release notes: better timing, fewer clicks\""
                ",\"checksum\":\"" +
                md5_hex(read_whole(package)) + "\",\"date\":\"" + date + "\",\"file\":\"" +
                json_escaped_path("/firmware/" + model + "/" + version + "/" + name) + "\"}",
            "application/json");
    }

    void answer_package(const httplib::Request& request, httplib::Response& response)
    {
        const behaviour b = take_behaviour();
        {
            const std::lock_guard<std::mutex> lock(mutex);
            ranges.push_back(request.get_header_value("Range"));
        }
        if (b.delay_ms > 0)
            wait(b.delay_ms);
        if (b.status != 0) {
            response.status = b.status;
            return;
        }
        const std::string parts[] = {request.matches[1], request.matches[2], request.matches[3]};
        fs::path path = root;
        for (const std::string& part : parts) {
            if (!plain_component(part)) {
                response.status = 404;
                return;
            }
            path /= part;
        }
        std::error_code error;
        if (!fs::is_regular_file(path, error)) {
            response.status = 404;
            return;
        }
        auto content = std::make_shared<std::string>(read_whole(path));
        const std::uint64_t size = content->size();
        std::uint64_t offset = 0;
        std::uint64_t end = size; // past the last byte sent
        // cpp-httplib 0.11 answers a range at or past the end with a bogus length, and slices
        // the content even when the status says 200; the service answers ranges itself.
        const bool ranged = !request.ranges.empty() && !b.ignore_range;
        const std::int64_t first = ranged ? request.ranges.front().first : 0;
        const_cast<httplib::Request&>(request).ranges.clear();
        if (ranged) {
            if (first < 0 || static_cast<std::uint64_t>(first) >= size) {
                response.status = 416;
                response.set_header("Content-Range", "bytes */" + std::to_string(size));
                return;
            }
            offset = static_cast<std::uint64_t>(first);
            if (b.range_bytes)
                end = std::min(size, offset + *b.range_bytes);
            response.status = 206;
            response.set_header("Content-Range", "bytes " + std::to_string(offset) + "-" +
                                                     std::to_string(end - 1) + "/" +
                                                     std::to_string(size));
        } else {
            response.status = 200;
        }
        // cpp-httplib waits for ever on a provider of no bytes.
        if (end == offset) {
            response.set_content(std::string(), "application/zip");
            return;
        }
        response.set_content_provider(
            end - offset, "application/zip",
            [this, content, offset, b](std::size_t at, std::size_t length,
                                       httplib::DataSink& sink) {
                // Pieces of 256 KiB at most, cut where a stall or a close was asked for.
                constexpr std::uint64_t piece_bytes = 256 * 1024;
                std::uint64_t sent = at;
                const std::uint64_t stop = at + length;
                while (sent < stop) {
                    std::uint64_t piece = std::min<std::uint64_t>(piece_bytes, stop - sent);
                    if (b.close_after_bytes && sent >= *b.close_after_bytes)
                        return false;
                    if (b.close_after_bytes)
                        piece = std::min(piece, *b.close_after_bytes - sent);
                    if (b.stall_after_bytes && sent == *b.stall_after_bytes)
                        wait(b.stall_ms);
                    if (b.stall_after_bytes && sent < *b.stall_after_bytes)
                        piece = std::min(piece, *b.stall_after_bytes - sent);
                    // A tenth of a second's bytes, but never less than one byte.
                    const std::uint64_t paced =
                        std::max<std::uint64_t>(1, b.bytes_per_second / 10);
                    if (b.bytes_per_second > 0)
                        piece = std::min(piece, paced);
                    if (b.next_piece) {
                        const std::uint64_t asked = b.next_piece(sent);
                        if (asked == 0)
                            return false;
                        piece = std::min(piece, asked);
                    }
                    if (!sink.write(content->data() + offset + sent, piece))
                        return false;
                    sent += piece;
                    if (b.bytes_per_second > 0)
                        wait(static_cast<std::uint32_t>(piece * 1000 / b.bytes_per_second));
                }
                return true;
            });
    }
};

service::service(std::string root, int port, const std::optional<tls_files>& tls)
    : state_(std::make_unique<state>())
{
    state& s = *state_;
    s.root = std::move(root);
    if (tls) {
        s.server = std::make_unique<httplib::SSLServer>(tls->certificate.c_str(), tls->key.c_str());
        s.scheme = "https";
        if (!s.server->is_valid())
            throw std::runtime_error("firmware service: cannot use the certificate " +
                                     tls->certificate);
    } else {
        s.server = std::make_unique<httplib::Server>();
    }
    s.server->set_keep_alive_max_count(1);
    s.server->set_pre_routing_handler(
        [&s](const httplib::Request& request, httplib::Response& response) {
            std::string target;
            {
                const std::lock_guard<std::mutex> lock(s.mutex);
                if (s.current.redirect_loop)
                    target = request.path;
                else
                    target = s.current.redirect_to;
            }
            if (target.empty())
                return httplib::Server::HandlerResponse::Unhandled;
            s.take_behaviour();
            response.set_redirect(target);
            return httplib::Server::HandlerResponse::Handled;
        });
    s.server->Get(R"(/wp-json/api/firmware/([^/]+)/latest)",
                  [&s](const httplib::Request& q, httplib::Response& r) { s.answer_latest(q, r); });
    s.server->Get(
        R"(/firmware/([^/]+)/([^/]+)/([^/]+))",
        [&s](const httplib::Request& q, httplib::Response& r) { s.answer_package(q, r); });
    if (port == 0) {
        s.port = s.server->bind_to_any_port("127.0.0.1");
    } else if (s.server->bind_to_port("127.0.0.1", port)) {
        s.port = port;
    } else {
        s.port = -1;
    }
    if (s.port <= 0)
        throw std::runtime_error("firmware service: cannot listen on 127.0.0.1 port " +
                                 std::to_string(port));
    s.thread = std::thread([&s] { s.server->listen_after_bind(); });
}

service::~service()
{
    {
        const std::lock_guard<std::mutex> lock(state_->mutex);
        state_->stopping = true;
    }
    state_->stopping_changed.notify_all();
    // stop() does nothing before listen_after_bind's loop runs, which follows the bind at once.
    for (int waited_ms = 0; waited_ms < 5000 && !state_->server->is_running(); ++waited_ms)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    state_->server->stop();
    state_->thread.join();
}

int service::port() const
{
    return state_->port;
}

std::string service::base_address() const
{
    return state_->scheme + "://127.0.0.1:" + std::to_string(state_->port);
}

void service::set_behaviour(const behaviour& b)
{
    const std::lock_guard<std::mutex> lock(state_->mutex);
    state_->current = b;
}

std::vector<std::string> service::range_headers() const
{
    const std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->ranges;
}

std::size_t service::request_count() const
{
    const std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->requests;
}

} // namespace firmware_service
