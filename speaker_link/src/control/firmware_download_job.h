// The firmware package's resumable download, which reports its progress as stage 1 of the
// firmware update.
#pragma once

#include <speaker_link/dsp_control_callback.h>

#include <quarro/http/download_job.h>

class firmware_download_job : public quarro::download_job
{
public:
    /// A download of `url` into `folder`; `callback` and `owner` are not owned and must
    /// outlive the job. Throws what quarro::download_job's constructor throws.
    firmware_download_job(const files::filepath& folder, const std::string& url,
                          dsp_control_callback& callback, dsp_control& owner,
                          const quarro::download_limits& limits);

protected:
    /// Counts the bytes, rewrites the resume file, then reports stage-1 progress with the
    /// total size and the bytes received.
    void on_data_received(quarro::http_download& download, quarro::u64 count) override;

private:
    dsp_control_callback& callback_;
    dsp_control& owner_;
};
