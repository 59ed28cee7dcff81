#include "platform/Handles.h"
#include "platform/Waits.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <thread>

namespace {
constexpr UINT kSent = WM_APP + 1;
constexpr UINT kPosted = WM_APP + 2;
constexpr LRESULT kAnswer = 42;
// How long the other thread's send waits for an answer.
constexpr UINT kSendMs = 3000;
// How late past its deadline a wait may end on a busy machine.
constexpr ULONGLONG kLateMs = 1500;

int postedHandled = 0;

LRESULT CALLBACK answerSent(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kSent) {
        return kAnswer;
    }
    if (message == kPosted) {
        ++postedHandled;
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

using Window = UniqueAny<HWND, DestroyWindow>;

// A window of the waiting thread, as the page's dialog is.
Window waitingThreadsWindow() {
    static const ATOM windowClass = [] {
        WNDCLASSW description{};
        description.lpfnWndProc = answerSent;
        description.hInstance = GetModuleHandleW(nullptr);
        description.lpszClassName = L"NimbelleSentMessageTest";
        return RegisterClassW(&description);
    }();
    postedHandled = 0;
    return Window(CreateWindowExW(0, reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(windowClass)),
                                  L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleW(nullptr), nullptr));
}

// While wait runs on this thread, another posts to the window, then sends to it and sets done
// once the send is over; true when the send was answered in time.
template <typename Wait> bool sendAnsweredDuring(HWND window, Wait wait) {
    const KernelHandle done(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    bool answered = false;
    std::thread other([&] {
        PostMessageW(window, kPosted, 0, 0);
        DWORD_PTR result = 0;
        answered = SendMessageTimeoutW(window, kSent, 0, 0, SMTO_NORMAL, kSendMs, &result) != 0 &&
                   static_cast<LRESULT>(result) == kAnswer;
        SetEvent(done.get());
    });
    wait(done.get());
    other.join();
    return answered;
}

// The posted message is still in the queue and was never handled.
void expectPostedStillQueued(HWND window) {
    EXPECT_EQ(0, postedHandled);
    MSG message;
    EXPECT_TRUE(PeekMessageW(&message, window, kPosted, kPosted, PM_REMOVE));
}
} // namespace

TEST(SentMessageWait, WaitsAndPausesAnswerWhatIsSentAndLeaveWhatIsPostedQueued) {
    const Window window = waitingThreadsWindow();
    ASSERT_TRUE(window.valid());
    // Done is set only after the send, so the wait ends early only if it answered the send.
    const ULONGLONG start = GetTickCount64();
    EXPECT_TRUE(sendAnsweredDuring(window.get(), [](HANDLE done) {
        EXPECT_EQ(WaitResult::Signalled, waitAnsweringSentMessages(done, Deadline::after(10000)));
    }));
    EXPECT_LT(GetTickCount64() - start, kSendMs);
    expectPostedStillQueued(window.get());

    ULONGLONG paused = 0;
    EXPECT_TRUE(sendAnsweredDuring(window.get(), [&paused](HANDLE) {
        const ULONGLONG begin = GetTickCount64();
        pauseAnsweringSentMessages(Deadline::after(500));
        paused = GetTickCount64() - begin;
    }));
    EXPECT_GE(paused, 500u);
    EXPECT_LT(paused, 500 + kLateMs);
    expectPostedStillQueued(window.get());
}

TEST(SentMessageWait, EndsAtTheDeadlineOrWhenTheSystemRefusesTheWait) {
    const KernelHandle unsignalled(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ULONGLONG start = GetTickCount64();
    EXPECT_EQ(WaitResult::TimedOut,
              waitAnsweringSentMessages(unsignalled.get(), Deadline::after(300)));
    const ULONGLONG waited = GetTickCount64() - start;
    EXPECT_GE(waited, 300u);
    EXPECT_LT(waited, 300 + kLateMs);

    // A closed handle: the system refuses at once.
    const HANDLE closed = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    CloseHandle(closed);
    start = GetTickCount64();
    EXPECT_EQ(WaitResult::Failed, waitAnsweringSentMessages(closed, Deadline::after(5000)));
    EXPECT_LT(GetTickCount64() - start, 5000u);

    // A mutex whose owner ended without giving it back is taken all the same (abandoned).
    const KernelHandle mutex(CreateMutexW(nullptr, FALSE, nullptr));
    std::thread([&mutex] { WaitForSingleObject(mutex.get(), 0); }).join();
    EXPECT_EQ(WaitResult::Signalled, waitAnsweringSentMessages(mutex.get(), Deadline::after(1000)));
    ReleaseMutex(mutex.get());
}
