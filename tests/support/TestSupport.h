// Shared helpers for the test programs: the application object every test program runs under, waiting
// for a condition while pumping messages, and where the program under test lives.
#pragma once

#include "framework/Application.h"

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace qbtest {

// Messages of exceptions that reached the application's exception display during the tests.
std::vector<std::wstring>& ReportedExceptions();

// Pumps this thread's messages until `done` returns true or `timeout` passes; returns the last answer.
bool WaitUntil(const std::function<bool()>& done,
               std::chrono::milliseconds timeout = std::chrono::milliseconds(5000));
// Pumps this thread's messages for the given time.
void PumpFor(std::chrono::milliseconds time);

// Full Windows path of Quillbrook.exe (first argument of every test program), or empty.
const std::wstring& ProgramPath();
// Folder for files that tests leave for people to look at (screenshots), created on demand.
std::wstring OutputFolder();

}  // namespace qbtest
