// Starting the program when the user logs on: a value of our own under the user's Run key holds the
// program's full path in quotes and no option, so Windows starts it in resident mode. Nothing else under
// the key is read or changed. The installer, another copy or the user may change the value at any time:
// it is read afresh whenever it is asked about.
#pragma once

inline constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr wchar_t kRunValueName[] = L"Quillbrook";

// Whether our value names this program (its path quoted or not, in any case). A value left behind by a
// copy in another folder, or one with options, does not.
bool StartsAtLogon();
// Writes our value naming this program, or removes it; false when the registry refused.
bool SetStartAtLogon(bool start);
