#include "foundation/VJob.h"

#include "foundation/VClass.h"
#include "foundation/VString.h"

namespace VFoundation {

V_IMPLEMENT_ABSTRACT_CLASS(VJob, VObject)

VJob::VJob(VObject* context, IVJobDelegate* delegate, VClass* record)
    : VObject(record ? record : GetClassRecord()), m_delegate(delegate),
      m_context(VRef<VObject>::Retained(context)) {}

VJob::~VJob() = default;

void VJob::GetDescription(VString& out) const {
    VObject::GetDescription(out);
    VString details;
    details.Format(" priority: %i queued: %i running: %i queuedTime: %.4f startTime: %.4f endTime: %.4f",
                   static_cast<int>(GetPriority()), IsQueued() ? 1 : 0, IsRunning() ? 1 : 0, GetQueuedTime(),
                   GetStartTime(), GetEndTime());
    out.Append(details);
}

void VJob::JobWillStart() {
    m_running.store(true);
    m_finished.store(false);
}

bool VJob::JobDidFinish() {
    m_running.store(false);
    m_queued.store(false);
    m_finished.store(true);
    return false;
}

void VJob::Setup(VObject* context, IVJobDelegate* delegate, int32_t priority) {
    m_running.store(false);
    m_queued.store(false);
    m_finished.store(false);
    m_status.store(0);
    SetContext(context);
    m_delegate = delegate;
    m_priority.store(priority);
}

void VJob::SetContext(VObject* context) {
    if (context == m_context.Get()) return;
    m_context = VRef<VObject>::Retained(context);
}

} // namespace VFoundation
