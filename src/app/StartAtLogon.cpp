#include "app/StartAtLogon.h"

#include "framework/Module.h"
#include "framework/Registry.h"

#include <windows.h>

#include <string>

namespace {

// A stored command without the quotes around it (and the blanks outside them).
std::wstring Unquoted(std::wstring command) {
    const std::size_t first = command.find_first_not_of(L" \t");
    const std::size_t last = command.find_last_not_of(L" \t");
    if (first == std::wstring::npos) return {};
    command = command.substr(first, last - first + 1);
    if (command.size() >= 2 && command.front() == L'"' && command.back() == L'"') {
        command = command.substr(1, command.size() - 2);
    }
    return command;
}

// File names on Windows are compared without regard to case.
bool SamePath(const std::wstring& a, const std::wstring& b) noexcept {
    return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                  static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// What Windows runs to start `program` at logon: the path in quotes (it may hold blanks), no option.
std::wstring RunCommandFor(const std::wstring& program) {
    return L"\"" + program + L"\"";
}

}  // namespace

bool StartsAtLogon() {
    const std::wstring program = fw::ProgramFilePath();
    // Read-only access: the tick is right even where the key may not be changed.
    fw::Registry reg(HKEY_CURRENT_USER, KEY_QUERY_VALUE);
    if (program.empty() || !reg.OpenKey(kRunKey, false)) return false;
    const auto stored = reg.ReadString(kRunValueName);
    return stored && SamePath(Unquoted(*stored), program);
}

bool SetStartAtLogon(bool start) {
    fw::Registry reg(HKEY_CURRENT_USER, KEY_QUERY_VALUE | KEY_SET_VALUE);
    if (!start) {
        // Asked when the value names us, so the key is there: failing to open it is a refusal.
        if (!reg.OpenKey(kRunKey, false)) return false;
        return !reg.ValueExists(kRunValueName) || reg.DeleteValue(kRunValueName);
    }
    const std::wstring program = fw::ProgramFilePath();
    // A new user's profile may have no Run key yet.
    return !program.empty() && reg.OpenKey(kRunKey, true) &&
           reg.WriteString(kRunValueName, RunCommandFor(program));
}
