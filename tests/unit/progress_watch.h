// What a person sees of the copier's progress windows, watched from the
// window procedure's side through a hook on the test's own thread.
#ifndef NIMBALUNE_UNIT_PROGRESS_WATCH_H
#define NIMBALUNE_UNIT_PROGRESS_WATCH_H

#include "install/progress_window.h"
#include "setup/setup_context.h"

#include <functional>
#include <string>
#include <vector>
#include <windows.h>

namespace nltest {

// Each paint, with the percentage and text of the report behind it, the
// windows' lives, and how the window showed at its last paint.
struct ProgressObservation {
    std::vector<std::string> events;    // "open", "paint P|TEXT", "close"
    HWND window = nullptr;
    RECT rect = {};
    std::string title;
    HWND owner = nullptr;
    DWORD classStyle = 0;
    bool closeCommand = true;
    std::vector<bool> mainMaximised;    // at the last paint of each report
    std::function<void(int percent)> onPaint;
};

inline ProgressObservation *watchedProgress;

inline LRESULT CALLBACK WatchProgress(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPRETSTRUCT *message = (const CWPRETSTRUCT *)lParam;
    char name[64] = {};
    if (code == HC_ACTION && watchedProgress && GetClassNameA(message->hwnd, name, sizeof name)
        && lstrcmpA(name, ProgressClassName) == 0) {
        ProgressObservation &seen = *watchedProgress;
        if (message->message == WM_CREATE) {
            seen.events.push_back("open");
        } else if (message->message == WM_DESTROY) {
            seen.events.push_back("close");
        } else if (message->message == WM_PAINT) {
            ProgressState state = GetProgressState();
            std::string event = "paint " + std::to_string(state.percent) + "|" + (state.text ? state.text : "");
            // UpdateWindow at creation paints what the first report paints again.
            if (seen.events.empty() || seen.events.back() != event)
                seen.events.push_back(event);
            else
                seen.mainMaximised.pop_back();
            seen.mainMaximised.push_back(IsZoomed(setupContext.mainWindow) != 0);
            seen.window = message->hwnd;
            GetWindowRect(message->hwnd, &seen.rect);
            char title[256] = {};
            GetWindowTextA(message->hwnd, title, sizeof title);
            seen.title = title;
            seen.owner = GetWindow(message->hwnd, GW_OWNER);
            seen.classStyle = (DWORD)GetClassLongPtrA(message->hwnd, GCL_STYLE);
            seen.closeCommand = GetMenuState(GetSystemMenu(message->hwnd, FALSE), SC_CLOSE, MF_BYCOMMAND) != (UINT)-1;
            if (seen.onPaint)
                seen.onPaint(state.percent);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Watches the progress windows of this thread while it lives.
class ProgressWatch {
public:
    ProgressWatch() : hook_(SetWindowsHookExA(WH_CALLWNDPROCRET, WatchProgress, nullptr, GetCurrentThreadId()))
    {
        watchedProgress = &seen;
    }
    ~ProgressWatch()
    {
        watchedProgress = nullptr;
        UnhookWindowsHookEx(hook_);
    }
    ProgressWatch(const ProgressWatch &) = delete;
    ProgressWatch &operator=(const ProgressWatch &) = delete;

    bool Hooked() const { return hook_ != nullptr; }

    // "P|TEXT" of every paint, in turn.
    std::vector<std::string> Paints() const
    {
        std::vector<std::string> paints;
        for (const std::string &event : seen.events)
            if (event.compare(0, 6, "paint ") == 0)
                paints.push_back(event.substr(6));
        return paints;
    }

    // The text of each window's first paint (its heading alone); a window
    // closed unpainted gives none.
    std::vector<std::string> OpeningTexts() const
    {
        std::vector<std::string> texts;
        bool opening = false;
        for (const std::string &event : seen.events) {
            if (opening && event.compare(0, 6, "paint ") == 0)
                texts.push_back(event.substr(event.find('|') + 1));
            opening = event == "open";
        }
        return texts;
    }

    ProgressObservation seen;

private:
    HHOOK hook_;
};

} // namespace nltest

#endif
