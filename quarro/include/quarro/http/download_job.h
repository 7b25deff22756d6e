// A resumable download into a folder: the finished file, its partial file (".part") and its
// resume file (".resume.xml") decide whether to do nothing, continue or start afresh.
#pragma once

#include <quarro/files/filepath.h>
#include <quarro/http/http_download.h>
#include <quarro/synchronization/job.h>

#include <string>

namespace quarro {

/// The part of a URL after its last '/' or '\' (the whole URL when it holds neither).
std::string download_file_name(const std::string& url);

/// True for a name that is a plain file name: not empty, not "." or "..", no '/', '\' or
/// control character.
bool is_plain_file_name(const std::string& name);

/// Built, run once on one thread, then read; cancel() may come from any thread.
class download_job : public synchronization::job, protected http_download_delegate
{
public:
    /// Looks into `folder` for the file named after the URL: present, the job is done at once;
    /// a partial file with a resume file for the same URL continues from where it stopped (at
    /// most from the partial file's real size); anything else starts afresh. A damaged resume
    /// file counts as absent. Throws error::http_error for a URL that names no plain file
    /// and what the file operations throw.
    download_job(const files::filepath& folder, const std::string& url,
                 const download_limits& limits = {});

    /// Runs the transfer on the calling thread; nothing when the job was done at once.
    /// Exceptions of the transfer pass to the caller.
    void run() override;
    /// Stops a running transfer. Any thread.
    void cancel() override;

    /// The finished file's path once done; empty otherwise.
    std::string get_file_path() const;
    bool is_done() const noexcept { return done_; }
    u64 get_bytes_received() const noexcept { return bytes_received_; }
    i64 get_total_size() const noexcept { return total_size_; }
    /// Why a run did not finish the file, in a user's words (an HTTP status with the address,
    /// the system's text for a file that can't be written, libcurl's reason, the watchdog's);
    /// empty when it did, or before the run.
    const std::string& get_stop_reason() const noexcept { return stop_reason_; }

protected:
    void on_destination_required(http_download& download, const std::string& name) override;
    void on_will_start(http_download&) override {}
    void on_destination_ready(http_download&, const files::filepath&) override {}
    /// Counts the bytes and rewrites the resume file.
    void on_data_received(http_download& download, u64 count) override;
    void on_response(http_download& download,
                     const memory::shared_handle<http_response>& response) override;
    void on_resumed(http_download& download, const memory::shared_handle<http_response>& response,
                    u64 offset) override;
    /// Removes the resume file, which told of the file before it changed, and logs why the
    /// download starts afresh.
    void on_restarted(http_download& download, const std::string& reason) override;
    /// Renames the partial file to the file's name and removes the resume file.
    void on_finished(http_download& download) override;
    /// Keeps the reason and saves the resume file, so that a later job continues.
    void on_stopped(http_download& download, const std::string& text) override;

private:
    void save_resume_file(const http_download& download);

    files::filepath folder_;
    std::string url_;
    memory::data_ptr<http_download> transfer_;
    std::string file_name_;
    std::string partial_name_;
    std::string resume_name_;
    files::filepath resume_file_; // once made
    u64 bytes_received_ = 0;
    i64 total_size_ = -1;
    bool done_ = false;
    std::string stop_reason_;
};

} // namespace quarro
