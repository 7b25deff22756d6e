// The resumable download: what lies in the folder decides how the transfer starts.
#include <quarro/desktop/dialogs.h>
#include <quarro/files/folder_operations.h>
#include <quarro/files/hdd_file.h>
#include <quarro/files/whole_file.h>
#include <quarro/http/download_job.h>
#include <quarro/http/http_error.h>
#include <quarro/log/logbook.h>

#include "http/write_failure_text.h"

#include <sys/stat.h>

namespace quarro {
namespace {

std::string joined(const files::filepath& folder, const std::string& name)
{
    std::string path = folder.get_path();
    if (!path.empty() && path.back() != '/')
        path += '/';
    return path + name;
}

// The partial file's size on the disk; 0 when it can't be read.
u64 size_on_disk(const std::string& path)
{
    struct stat status
    {};
    return ::stat(path.c_str(), &status) == 0 && status.st_size > 0
               ? static_cast<u64>(status.st_size)
               : 0;
}

} // namespace

std::string download_file_name(const std::string& url)
{
    const std::size_t separator = url.find_last_of("/\\");
    return separator == std::string::npos ? url : url.substr(separator + 1);
}

bool is_plain_file_name(const std::string& name)
{
    if (name.empty() || name == "." || name == "..")
        return false;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || c == '/' || c == '\\')
            return false;
    }
    return true;
}

download_job::download_job(const files::filepath& folder, const std::string& url,
                           const download_limits& limits)
    : folder_(folder), url_(url), file_name_(download_file_name(url)),
      partial_name_(file_name_ + ".part"), resume_name_(file_name_ + ".resume.xml")
{
    // The name becomes a file in the folder: nothing outside it may be named.
    if (!is_plain_file_name(file_name_))
        throw error::http_error();
    if (files::file_exists(folder_, file_name_)) {
        done_ = true;
        return;
    }
    if (files::file_exists(folder_, partial_name_) && files::file_exists(folder_, resume_name_)) {
        files::hdd_file resume_file(files::filepath(folder_, resume_name_),
                                    files::File_Read_Access);
        std::optional<resume_record> record = read_resume_record(files::read_file(resume_file));
        // A damaged resume file, or one of another download, counts as absent.
        if (record && record->download_url == http_request(url, 0, "GET").get_url()) {
            const std::string partial = joined(folder_, partial_name_);
            // Bytes the resume file counts but the disk never got are fetched again.
            const u64 on_disk = size_on_disk(partial);
            if (record->bytes_received > on_disk)
                record->bytes_received = on_disk;
            transfer_ =
                memory::data_ptr<http_download>(new http_download(*record, partial, this, limits));
            return;
        }
    }
    const memory::shared_handle<http_request> request(new http_request(url, 0, "GET"));
    transfer_ = memory::data_ptr<http_download>(new http_download(request, this, limits));
}

void download_job::run()
{
    if (transfer_)
        transfer_->run();
}

void download_job::cancel()
{
    if (transfer_)
        transfer_->cancel();
}

std::string download_job::get_file_path() const
{
    return done_ ? joined(folder_, file_name_) : std::string();
}

void download_job::on_destination_required(http_download& download, const std::string&)
{
    download.set_destination_path(joined(folder_, partial_name_));
    download.set_overwrite(true);
}

void download_job::on_data_received(http_download& download, u64 count)
{
    bytes_received_ += count;
    save_resume_file(download);
}

void download_job::on_response(http_download&, const memory::shared_handle<http_response>& response)
{
    bytes_received_ = 0;
    total_size_ = response->total_size;
}

void download_job::on_resumed(http_download&, const memory::shared_handle<http_response>& response,
                              u64 offset)
{
    bytes_received_ = offset;
    total_size_ = response->total_size;
}

void download_job::on_restarted(http_download&, const std::string& reason)
{
    bytes_received_ = 0;
    total_size_ = -1;
    if (files::file_exists(folder_, resume_name_))
        files::remove_item(files::filepath(folder_, resume_name_));
    resume_file_ = files::filepath();
    try {
        logbook::instance().message(url_ + " changed on the server since its download began: " +
                                        reason + "; downloading it afresh",
                                    log_level::info, logbook::file_and_console);
    } catch (...) {
    }
}

void download_job::on_finished(http_download& download)
{
    try {
        save_resume_file(download);
        const files::filepath renamed =
            files::rename_item(files::filepath(folder_, partial_name_), file_name_);
        // A rename that failed leaves the download unfinished rather than reporting a file
        // that isn't there.
        if (!renamed.exists_flag_set()) {
            stop_reason_ = "cannot rename " + joined(folder_, partial_name_) + " to " + file_name_;
            return;
        }
        done_ = true;
        files::remove_item(files::filepath(folder_, resume_name_));
    } catch (const err::exception& error) {
        stop_reason_ = error.what();
        show_alert(error.what(), "Alert!");
    } catch (...) {
        stop_reason_ = "unknown failure while finishing " + joined(folder_, file_name_);
    }
}

void download_job::on_stopped(http_download& download, const std::string& text)
{
    stop_reason_ = text;
    // A resume file that can't be saved costs a fresh start next time, no more.
    try {
        save_resume_file(download);
    } catch (const err::exception& error) {
        try {
            logbook::instance().message(error.what(), log_level::error, logbook::file_and_console);
        } catch (...) {
        }
    }
}

void download_job::save_resume_file(const http_download& download)
{
    const resume_record record{download.get_request().get_url(), download.get_total_size(),
                               download.get_offset()};
    // Rewritten after every piece: replaced atomically, but not flushed each time, and the
    // file is made only once.
    if (!resume_file_.exists_flag_set())
        resume_file_ = files::create_file(folder_, resume_name_);
    try {
        files::write_file(resume_file_, *print_resume_record(record),
                          files::write_durability::unflushed);
    } catch (const files::error::write_failure& failure) {
        throw err::runtime_error(detail::write_failure_text(resume_file_.get_path(), failure));
    }
}

} // namespace quarro
