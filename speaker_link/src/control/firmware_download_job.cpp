// The firmware package's download with stage-1 progress.
#include "firmware_download_job.h"

firmware_download_job::firmware_download_job(const files::filepath& folder, const std::string& url,
                                             dsp_control_callback& callback, dsp_control& owner,
                                             const quarro::download_limits& limits)
    : quarro::download_job(folder, url, limits), callback_(callback), owner_(owner)
{}

void firmware_download_job::on_data_received(quarro::http_download& download, quarro::u64 count)
{
    quarro::download_job::on_data_received(download, count);
    // An unknown total (-1) is reported as 0.
    const quarro::i64 total = get_total_size();
    callback_.firmware_update_progress(owner_, static_cast<int>(firmware_update_stage::download),
                                       total > 0 ? static_cast<quarro::u64>(total) : 0,
                                       get_bytes_received());
}
