// The help that ships beside the program: the old help viewer is gone from Windows, so the help entry
// opens this document at the section for its context, which comes first.
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>

namespace {

TEST(Help, TheDocumentBesideTheProgramStartsWithTheSectionTheHelpEntryAsksFor) {
    const std::wstring program = qbtest::ProgramPath();
    ASSERT_FALSE(program.empty());
    const std::wstring document = program.substr(0, program.find_last_of(L'\\') + 1) + L"Quillbrook.html";
    std::ifstream in(document.c_str(), std::ios::binary);
    ASSERT_TRUE(in) << "no help document beside the program";
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto first = text.find("<section id=\"");
    ASSERT_NE(first, std::string::npos);
    const std::string expected = "<section id=\"context-11\">";
    EXPECT_EQ(text.compare(first, expected.size(), expected), 0) << "the help entry's section is not first";
    // What a user needs: the hotkey, the settings, the command line.
    for (const char* part : {"Ctrl</kbd>+<kbd>E", "id=\"settings\"", "<code>-d"}) {
        EXPECT_NE(text.find(part), std::string::npos) << part;
    }
}

}  // namespace
