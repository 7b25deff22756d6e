// The base of every unit of work (HTTP connection, download): run once, on the caller's thread.
#pragma once

#include <quarro/memory/reference_counter.h>
#include <quarro/types.h>

namespace synchronization {

class job : public memory::reference_counter
{
public:
    job() = default;
    job(const job&) = delete;
    job& operator=(const job&) = delete;
    virtual ~job() = default;

    /// Does the work on the calling thread.
    virtual void run() = 0;
    /// Asks a running job to stop; any thread. Jobs that support it keep an atomic flag that
    /// their work loop reads; the base does nothing.
    virtual void cancel() {}
    /// The job's status; 0 unless a job sets another.
    virtual quarro::u32 get_status() const { return status_; }

protected:
    quarro::u32 status_ = 0;
};

} // namespace synchronization
