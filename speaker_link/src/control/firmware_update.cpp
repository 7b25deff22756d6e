// The firmware update worker, from its start to the hand-over to the installation.
#include "firmware_update.h"

#include "firmware_download_job.h"
#include "worker_frame.h"

#include <speaker_link/control/firmware_installation.h>
#include <speaker_link/device/dsp_error.h>
#include <speaker_link/firmware/secure_crypto_data.h>

#include <quarro/files/folder_operations.h>
#include <quarro/files/hdd_file.h>
#include <quarro/files/whole_file.h>
#include <quarro/log/logbook.h>
#include <quarro/tools/text.h>

#include <cerrno>
#include <optional>
#include <system_error>

#include <fcntl.h>
#include <unistd.h>

namespace {

using quarro::u32;

void report_failure(const firmware_access& access, firmware_update_failure kind)
{
    access.callback().firmware_update_failed(access.control(), static_cast<int>(kind));
}

// A download or package problem: said in the log, reported as kind 1.
void report_package_problem(const firmware_access& access, const std::string& text)
{
    log_failure(err::runtime_error(text), quarro::log_level::error);
    report_failure(access, firmware_update_failure::download_or_package);
}

// The package and its partial and resume files go, so that the next update fetches it anew.
void remove_package(const files::filepath& folder, const std::string& name)
{
    for (const char* suffix : {"", ".part", ".resume.xml"})
        if (files::file_exists(folder, name + suffix))
            files::remove_item(files::filepath(folder, name + suffix));
}

// Two programs updating at once would write one partial file together: the second waits for
// the first's download of the same package and then finds it complete. The folder itself is
// locked, so that no lock file is left in it; programs the panel starts meanwhile do not
// inherit it. Waiting for it is not talking to the speaker: a quit gives the wait up. A folder
// that cannot be locked is downloaded into unlocked, as with one program, and the log says so.
class package_folder_lock
{
public:
    package_folder_lock(const files::filepath& folder, speaker_turns& turns)
        : descriptor_(::open(folder.get_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
    {
        if (descriptor_ < 0) {
            log_unlocked(folder, errno);
            return;
        }
        if (const int error = turns.wait_for_lock(
                descriptor_,
                "Another program is downloading the firmware package into " + folder.get_path()))
            log_unlocked(folder, error);
    }
    ~package_folder_lock()
    {
        if (descriptor_ >= 0)
            ::close(descriptor_);
    }
    package_folder_lock(const package_folder_lock&) = delete;
    package_folder_lock& operator=(const package_folder_lock&) = delete;

private:
    static void log_unlocked(const files::filepath& folder, int error)
    {
        log_failure(err::runtime_error("The firmware folder " + folder.get_path() +
                                       " cannot be locked (" +
                                       std::error_code(error, std::generic_category()).message() +
                                       "): a download of the same package by another program "
                                       "is not waited for"),
                    quarro::log_level::error);
    }

    int descriptor_;
};

void append_component(std::string& path, const std::string& component)
{
    if (path.empty() || path.back() != '/')
        path += '/';
    path += component;
}

// Until the package has been fetched, checked and read, nothing is said to the speaker and the
// speaker is not held: a quit may end the update, and other programs use the speaker meanwhile.
void update_steps(const firmware_access& access, const quarro::download_limits& limits)
{
    // The speaker the user asked to update, with the firmware it was offered for: taken now,
    // since the panel may read another speaker while the package downloads. The one attached
    // is checked against it once the speaker is held.
    const firmware_access::speaker_facts speaker = access.read_speaker();
    const firmware_access::service_answer answer = access.read_service_answer();
    const std::string name = quarro::download_file_name(answer.download_url);
    // The name becomes a file in the firmware folder; nothing is written for another.
    if (!quarro::is_plain_file_name(name)) {
        report_package_problem(access, "The firmware download address names no file: " +
                                           answer.download_url);
        return;
    }
    std::string relative = "firmware";
    append_component(relative, answer.model);
    append_component(relative, answer.online_version);
    const files::filepath folder = files::make_path(access.user_data_folder(), relative);
    if (!folder.exists())
        throw err::runtime_error("Cannot make the firmware folder " + relative);

    const package_folder_lock folder_lock(folder, access.turns());
    // A closing program (a wait given up, or the dsp_control destroyed) stops the transfer;
    // the resume file keeps what came.
    quarro::download_limits transfer_limits = limits;
    transfer_limits.abort_flag = &access.closing();
    const memory::data_ptr<firmware_download_job> job(new firmware_download_job(
        folder, answer.download_url, access.callback(), access.control(), transfer_limits));
    job->run();
    if (!job->is_done()) {
        report_package_problem(access, "The firmware download failed: " + job->get_stop_reason());
        return;
    }

    const files::filepath package(job->get_file_path());
    memory::data_ptr<memory::data> content;
    {
        files::hdd_file file(package, files::File_Read_Access);
        if (file.size() > max_firmware_package_bytes) {
            remove_package(folder, name);
            report_package_problem(access, "The firmware package is larger than 64 MiB");
            return;
        }
        content = files::read_file(file);
    }
    const std::string digest = hex_string(secure_crypto_data::md5(content));
    content.release();
    if (quarro::compare_no_case(digest, answer.checksum) != 0) {
        remove_package(folder, name);
        report_package_problem(access, "The firmware package's checksum " + digest +
                                           " differs from the service's " + answer.checksum);
        return;
    }
    const auto image = read_package_for_installation(access.control(), package, speaker.model);
    if (!image)
        return;
    const device_hold hold(access.device_mutex(), access.turns());
    install_firmware_package_image(access.control(), *image,
                                   {speaker.model, speaker.serial, answer.speaker_version});
}

} // namespace

void run_firmware_update(const firmware_access& access,
                         const quarro::download_limits& limits) noexcept
{
    const worker_scope scope;
    firmware_update_failure kind = firmware_update_failure::other;
    try {
        access.set_update_running(true);
        access.callback().firmware_update_started(access.control());
        update_steps(access, limits);
        access.set_update_running(false);
        return;
    } catch (const firmware_version_changed& changed) {
        log_failure(changed, quarro::log_level::error);
        kind = firmware_update_failure::firmware_changed;
    } catch (const error::dsp_error& error) {
        log_failure(error, quarro::log_level::error);
        kind = firmware_update_failure::speaker_link;
    } catch (const err::exception& error) {
        log_failure(error, quarro::log_level::error);
    } catch (...) {
    }
    // What the failure report throws is dropped: there is nobody left to report it to.
    try {
        report_failure(access, kind);
    } catch (...) {
    }
    access.set_update_running(false);
}
