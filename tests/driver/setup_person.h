// A person going through setup.exe: answering the start-up questions,
// choosing a drive in the destination panel and pressing the start button.
#ifndef NIMBALUNE_SETUP_PERSON_H
#define NIMBALUNE_SETUP_PERSON_H

#include "driver/driver.h"
#include "destination/destination_panel.h"

#include <functional>
#include <string>
#include <vector>

namespace nldriver {

extern const char SetupTitle[];

// What to press in a message box; 0 leaves it open.
using BoxAnswer = std::function<int(const MessageBoxInfo &)>;

// The usual answers: Yes to the language question (keeping the proposed
// language), OK to information boxes, No to every other question.
int AnswerLikeAPerson(const MessageBoxInfo &box);

// Answers message boxes until the destination panel shows; returns the main
// window, or null on time-out or when the process ended. The boxes seen are
// appended to seen when it is given.
HWND WaitForPanel(const Process &process, const BoxAnswer &answer = AnswerLikeAPerson,
                  std::vector<MessageBoxInfo> *seen = nullptr, DWORD timeoutMs = 30000);

HWND SetupMainWindow(DWORD processId);
std::vector<std::string> ComboItems(HWND combo);
int ComboSelection(HWND combo);
// Selects the line of a drive letter as a person would; false if not listed.
bool ChooseDrive(HWND combo, char letter);
// Clicks the start button (the click is posted: the installation then runs
// inside the setup's handling of it).
void PressStart(HWND mainWindow);

} // namespace nldriver

#endif
