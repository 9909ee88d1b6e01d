// The program's main function: parses the command line, keeps a second resident copy from starting,
// sets the application up, creates the main form and runs the message loop. `commandLine` is the text
// after the program name. Returns 0 on every path.
#pragma once

#include <string>

int QuillbrookMain(const std::wstring& commandLine);

// The single-instance mutex of the resident copy.
inline constexpr wchar_t kInstanceMutexName[] = L"QuillbrookMutex";
// Lets the mutex go (the main function keeps it): a new resident copy may start from now on.
void ReleaseInstance() noexcept;
// Whether a resident copy runs now (its mutex exists).
bool ResidentCopyRunning() noexcept;
