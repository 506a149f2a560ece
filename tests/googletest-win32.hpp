// Forced into every file of a Windows build of GoogleTest and its tests. GoogleTest's
// Notification waits on std::mutex and std::condition_variable, which mingw-w64's win32 thread
// model does not have; this one waits on a Windows event, and GoogleTest keeps its own out.
#ifndef VORLUND_TESTS_GOOGLETEST_WIN32_HPP
#define VORLUND_TESTS_GOOGLETEST_WIN32_HPP

#include <windows.h>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing::internal {

class Notification {
  public:
    Notification() : event_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
    ~Notification()
    {
        CloseHandle(event_);
    }
    Notification(const Notification &) = delete;
    Notification &operator=(const Notification &) = delete;

    void Notify()
    {
        SetEvent(event_);
    }
    void WaitForNotification()
    {
        WaitForSingleObject(event_, INFINITE);
    }

  private:
    HANDLE event_;
};

} // namespace testing::internal

#endif
