// The parsed command line. Options: "-t" [x [y]] opens the root menu, "-m" [x [y]] the folder menu of
// the empty path, "-d" path [x [y]] the folder menu of a path. Anything else starts the resident
// program. HasOption is the one test that tells one-shot mode from resident mode.
#pragma once

#include <string>

class TCommandLineParser {
public:
    // Parses at once. `text` is the command line after the program name.
    explicit TCommandLineParser(const std::wstring& text);

    bool HasOption() const noexcept { return !CommandLine.empty(); }

    std::wstring CommandLine;  // lower-cased whole line; empty when the first item is no option
    bool ShowRoot = false;     // the first item is "-t" (or "-T")
    std::wstring FolderPath;   // the item after "-d" as typed, one pair of enclosing quotes removed
    bool HasPosition = false;  // at least one coordinate converted
    int X = 0;
    int Y = 0;
};

// The one parsed command line, made first by the main function and freed after the message loop
// (null outside that time).
extern TCommandLineParser* CommandLineParser;
