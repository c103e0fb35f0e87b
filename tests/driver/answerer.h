// Answers the next message box of the test's own process from a second
// thread, for in-process tests of code that asks the user something.
#ifndef NIMBALUNE_ANSWERER_H
#define NIMBALUNE_ANSWERER_H

#include "driver/driver.h"

#include <thread>

namespace nldriver {

class BoxAnswerer {
public:
    explicit BoxAnswerer(int button, DWORD timeoutMs = 10000)
        : thread_([this, button, timeoutMs] {
              box_ = WaitForMessageBox(GetCurrentProcessId(), timeoutMs);
              if (box_.handle)
                  Answer(box_, button);
          })
    {
    }
    ~BoxAnswerer()
    {
        if (thread_.joinable())
            thread_.join();
    }
    // Waits for the answer; the box read before it was answered (its
    // handle is null when none came).
    MessageBoxInfo Finish()
    {
        thread_.join();
        return box_;
    }

private:
    MessageBoxInfo box_;
    std::thread thread_;
};

} // namespace nldriver

#endif
