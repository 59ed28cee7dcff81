#include "platform/SentMessageWait.h"

#include <algorithm>

namespace {
// How often the queue is looked at while nothing is sent: a window whose thread has not
// looked for a few seconds counts as hung.
constexpr DWORD kLookPeriodMs = 50;

bool signalled(DWORD result) {
    return result == WAIT_OBJECT_0 || result == WAIT_ABANDONED_0;
}

// One slice of a wait for the object, or for nothing when it is null: the object's result when
// it was signalled or the wait failed, else WAIT_TIMEOUT once sent messages were answered.
DWORD waitSlice(HANDLE object, const Deadline& deadline) {
    const DWORD count = object != nullptr ? 1 : 0;
    const DWORD slice = std::min(deadline.remaining(), kLookPeriodMs);
    const DWORD result = MsgWaitForMultipleObjects(count, &object, FALSE, slice, QS_SENDMESSAGE);
    // WAIT_OBJECT_0 + count says a sent message is waiting: not the object.
    if (result == WAIT_FAILED || (count == 1 && signalled(result))) {
        return result;
    }
    // Delivers the messages sent to this thread inside the call and takes nothing from the
    // queue: no input, paint, timer or posted message runs before the wait is over.
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    return WAIT_TIMEOUT;
}
} // namespace

WaitResult waitAnsweringSentMessages(HANDLE object, const Deadline& deadline) {
    for (;;) {
        const DWORD result = waitSlice(object, deadline);
        if (signalled(result)) {
            return WaitResult::Signalled;
        }
        if (result == WAIT_FAILED) {
            return WaitResult::Failed;
        }
        if (deadline.passed()) {
            return signalled(WaitForSingleObject(object, 0)) ? WaitResult::Signalled
                                                             : WaitResult::TimedOut;
        }
    }
}

void pauseAnsweringSentMessages(const Deadline& deadline) {
    while (!deadline.passed()) {
        if (waitSlice(nullptr, deadline) == WAIT_FAILED) {
            Sleep(deadline.remaining() < kLookPeriodMs ? deadline.remaining() : kLookPeriodMs);
        }
    }
}
