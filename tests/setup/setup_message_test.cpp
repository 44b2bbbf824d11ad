#include "setup_message.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(SetupComposeMessage, ReplacesEveryPercentSAndKeepsEveryOtherPercent) {
    wchar_t text[100];
    SetupComposeMessage(text, 100, L"Unable to write to %s. 100%d %% sure: %s", L"C:\\50%s");
    EXPECT_STREQ(L"Unable to write to C:\\50%s. 100%d %% sure: C:\\50%s", text);
    SetupComposeMessage(text, 100, L"No argument: %s.", nullptr);
    EXPECT_STREQ(L"No argument: .", text);
    SetupComposeMessage(text, 100, L"Ends in %", L"x");
    EXPECT_STREQ(L"Ends in %", text);
}

TEST(SetupComposeMessage, ALongArgumentIsCutAtTheBufferNotBeyondIt) {
    wchar_t text[16];
    text[15] = L'#';
    SetupComposeMessage(text, 15, L"Folder %s.", std::wstring(40, L'a').c_str());
    EXPECT_EQ(14u, wcslen(text));
    EXPECT_EQ(L'#', text[15]);
}

} // namespace
