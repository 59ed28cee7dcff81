#include "platform/SentMessageWait.h"

#include <algorithm>

namespace {
// How often the queue is looked at while nothing is sent: a window whose thread has not
// looked for a few seconds counts as hung.
constexpr DWORD kLookPeriodMs = 50;

bool signalled(DWORD result) {
    return result == WAIT_OBJECT_0 || result == WAIT_ABANDONED_0;
}
} // namespace

bool waitAnsweringSentMessages(HANDLE object, const Deadline& deadline) {
    for (;;) {
        const DWORD slice = std::min(deadline.remaining(), kLookPeriodMs);
        const DWORD result = MsgWaitForMultipleObjects(1, &object, FALSE, slice, QS_SENDMESSAGE);
        if (signalled(result)) {
            return true;
        }
        if (result == WAIT_FAILED) {
            return false;
        }
        // Delivers the messages sent to this thread inside the call and takes nothing from
        // the queue: no input, paint, timer or posted message runs before the wait is over.
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        if (deadline.passed()) {
            return signalled(WaitForSingleObject(object, 0));
        }
    }
}
