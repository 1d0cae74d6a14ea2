// ShellExecute records what it would open in the transcript.
#include "win/shell.h"

#include <gtest/gtest.h>

#include "inprocess.h"
#include "winsubset.h"

TEST(Shell, RecordsTheVerbAndTheAddressInTheTranscript) {
#if defined(_WIN32)
    hs::interceptShell(GetModuleHandleW(nullptr));
#endif
    ivtest::Transcript t;
    HINSTANCE r =
        ShellExecuteW(nullptr, L"open", L"https://example.test/\u00e9", nullptr, nullptr, SW_SHOWNORMAL);
    EXPECT_GT(reinterpret_cast<std::uintptr_t>(r), 32u) << "the result must read as success";
    ShellExecuteA(nullptr, "open", "https://example.test/a", nullptr, nullptr, SW_SHOWNORMAL);
    EXPECT_EQ(t.take(), "open https://example.test/\xc3\xa9\nopen https://example.test/a\n");
}
