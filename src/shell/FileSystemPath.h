// File-system paths of shell items, long ones included. A folder may lie deeper than MAX_PATH characters
// (made by a program that takes long paths); the program declares itself long-path aware, and the calls
// that open a path themselves are given its extended-length form, which every Windows version takes.
#pragma once

#include <shtypes.h>

#include <string>

// The item's file-system path, or empty for an item that has none (a virtual folder of the shell). Never
// cut short: where the shell's answer may have been cut at MAX_PATH (Wine cuts it), the path is made of
// the parent folder's path and the item's own name in it.
std::wstring FileSystemPath(PCIDLIST_ABSOLUTE item);
// `path` in the extended-length form ("\\?\C:\...", "\\?\UNC\server\share\...") when it is too long for
// the plain form; otherwise unchanged.
std::wstring ExtendedLengthPath(const std::wstring& path);
// What the file system holds at `path` (taken in its extended-length form): its attributes, or
// INVALID_FILE_ATTRIBUTES when nothing is there.
DWORD FileAttributesAt(const std::wstring& path);
