#pragma once

namespace VFoundation {

class VJob;
class VJobServer;

// Receives a job's notices from the job server that runs it.
//
// Threads: JobAdded runs on the thread that called AddJob; JobStarted, JobSucceeded and JobFailed run
// on the server's worker thread, so a delegate that touches the user interface must pass the work to
// the user-interface thread. The delegate is not owned by the job: it must outlive every job that
// names it. The server holds none of its guards while it notifies, so a notice may call the server
// back (AddJob, KillAllJobs, GetActiveJob).
class IVJobDelegate {
public:
    virtual ~IVJobDelegate() = default;
    virtual void JobAdded(VJobServer* server, VJob* job) = 0;
    virtual void JobStarted(VJobServer* server, VJob* job) = 0;
    virtual void JobSucceeded(VJobServer* server, VJob* job) = 0;
    virtual void JobFailed(VJobServer* server, VJob* job) = 0;
};

} // namespace VFoundation
