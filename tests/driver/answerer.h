// Answers the next message box of the test's own process from a second
// thread, for in-process tests of code that asks the user something.
#ifndef NIMBALUNE_ANSWERER_H
#define NIMBALUNE_ANSWERER_H

#include "driver/driver.h"

#include <atomic>
#include <thread>

namespace nldriver {

class BoxAnswerer {
public:
    explicit BoxAnswerer(int button, DWORD timeoutMs = nltest::PatientMs)
        : thread_([this, button, timeoutMs] {
              box_ = WaitForMessageBox(GetCurrentProcessId(), timeoutMs);
              if (box_.handle)
                  Answer(box_, button);
              done_ = true;
          })
    {
    }
    ~BoxAnswerer()
    {
        if (thread_.joinable())
            Finish();
    }
    // Waits for the answer; the box read before it was answered (its
    // handle is null when none came). Reading the windows of this process
    // sends them messages, so the waiting thread keeps serving its own.
    MessageBoxInfo Finish()
    {
        while (!done_) {
            MSG message;
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageA(&message);
            Sleep(10);
        }
        thread_.join();
        return box_;
    }

private:
    MessageBoxInfo box_;
    std::atomic<bool> done_{false};
    std::thread thread_;
};

} // namespace nldriver

#endif
