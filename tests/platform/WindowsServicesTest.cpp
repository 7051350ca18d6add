// The Windows halves of Delete on Restart and the shell registration, run under Wine
// against scratch registry keys (and, for the scheduling itself, the system's own key).
#include <gtest/gtest.h>

#include <optional>

#include "actions/DeleteOnRestart.h"
#include "platform/ShellRegistration.h"
#include "platform/win32/WideText.h"
#include "support/IndexFileBuilder.h"
#include "support/TempDir.h"

namespace tallowmark {
namespace {

// A fresh key under `hive`, removed with everything below it.
class ScratchKey {
public:
    ScratchKey(HKEY hive, const std::string& parent) : m_hive(hive) {
        static int counter = 0;
        m_path =
            parent + "\\Tallowmark-test-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter);
        HKEY key = nullptr;
        if (RegCreateKeyExW(hive, platform::Widen(m_path).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr) == ERROR_SUCCESS)
            RegCloseKey(key);
    }
    ~ScratchKey() { RegDeleteTreeW(m_hive, platform::Widen(m_path).c_str()); }
    ScratchKey(const ScratchKey&) = delete;
    ScratchKey& operator=(const ScratchKey&) = delete;
    const std::string& Path() const { return m_path; }

private:
    HKEY m_hive;
    std::string m_path;
};

std::optional<std::wstring> ReadText(HKEY hive, const std::string& key, const wchar_t* name = nullptr) {
    wchar_t buffer[1024];
    DWORD size = sizeof buffer;
    if (RegGetValueW(hive, platform::Widen(key).c_str(), name, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(buffer);
}

void SetText(HKEY hive, const std::string& key, const std::wstring& text) {
    ASSERT_EQ(RegSetKeyValueW(hive, platform::Widen(key).c_str(), nullptr, REG_SZ, text.c_str(),
                              static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
}

bool KeyExists(HKEY hive, const std::string& key) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(hive, platform::Widen(key).c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
    RegCloseKey(opened);
    return true;
}

void SetPending(const std::string& root, const std::wstring& raw, DWORD type = REG_MULTI_SZ) {
    ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, platform::Widen(root).c_str(), L"PendingFileRenameOperations", type,
                              raw.data(), static_cast<DWORD>(raw.size() * sizeof(wchar_t))),
              ERROR_SUCCESS);
}

std::wstring DeleteEntry(const std::wstring& path) { return L"\\??\\" + path + std::wstring(2, L'\0'); }

TEST(WindowsDeleteOnRestart, OnlyAnExactDeleteEntryCountsInAValueOfAnyLength) {
    const ScratchKey root(HKEY_LOCAL_MACHINE, "SOFTWARE");
    const std::string document = "C:\\Data\\Cache\\index.dat";
    std::wstring value;
    for (int i = 0; value.size() * sizeof(wchar_t) < 6000; ++i)
        value += DeleteEntry(L"C:\\Other\\Temporary Internet Files\\waiting-" + std::to_wstring(i) + L".tmp");
    value += L"\\??\\C:\\Data\\Cache\\index.dat" + std::wstring(1, L'\0') + L"!\\??\\C:\\Data\\index.old" + L'\0';
    value += DeleteEntry(L"C:\\Data\\Cache\\index.dat.bak");
    value += DeleteEntry(L"D:\\C:\\Data\\Cache\\index.dat");
    value += DeleteEntry(L"c:\\data\\OTHER\\INDEX.DAT");
    value += L'\0';
    ASSERT_GT(value.size() * sizeof(wchar_t), 6000u);
    SetPending(root.Path(), value);

    // A rename of the file, longer paths holding it: not scheduled.
    EXPECT_FALSE(platform::IsScheduledForDeletionAtBoot(document, root.Path()));
    // Letter case and separators as Windows file names have them.
    EXPECT_TRUE(platform::IsScheduledForDeletionAtBoot("C:/Data/Other/index.dat", root.Path()));

    ASSERT_TRUE(platform::ScheduleDeletionAtBoot(document, root.Path()));
    EXPECT_TRUE(platform::IsScheduledForDeletionAtBoot(document, root.Path()));
    EXPECT_TRUE(platform::IsScheduledForDeletionAtBoot("c:\\DATA\\cache\\INDEX.dat", root.Path()));
    EXPECT_TRUE(
        platform::IsScheduledForDeletionAtBoot("C:\\Other\\Temporary Internet Files\\waiting-0.tmp", root.Path()));

    // A value cut short in the middle of a pair, or missing, schedules nothing.
    SetPending(root.Path(), L"\\??\\C:\\Data\\Cache\\index.dat", REG_BINARY);
    EXPECT_FALSE(platform::IsScheduledForDeletionAtBoot(document, root.Path()));
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, platform::Widen(root.Path()).c_str(), L"PendingFileRenameOperations");
    EXPECT_FALSE(platform::IsScheduledForDeletionAtBoot(document, root.Path()));
}

TEST(WindowsDeleteOnRestart, SchedulesThroughTheSystemAndReportsFailures) {
    testing::TempDir dir;
    const std::string path = dir.Path("index.dat"), other = dir.Path("other.dat");
    testing::IndexFileBuilder().WriteTo(path);
    const std::string system = platform::SystemBootDeletionRoot();
    const platform::BootDeletionResult scheduled = platform::ScheduleDeletionAtBoot(path, system);
    if (scheduled.error == platform::BootDeletionError::NeedsRights)
        GTEST_SKIP() << "this account may not schedule deletions";
    ASSERT_TRUE(scheduled) << BootDeletionMessage(scheduled, path);
    EXPECT_TRUE(platform::IsScheduledForDeletionAtBoot(path, system));
    EXPECT_FALSE(platform::IsScheduledForDeletionAtBoot(other, system));

    const auto missingRoot = platform::ScheduleDeletionAtBoot(path, "SOFTWARE\\Tallowmark-no-such-key");
    EXPECT_EQ(BootDeletionMessage(missingRoot, path),
              path + " could not be scheduled for deletion when the system restarts.");
    const auto badName = platform::ScheduleDeletionAtBoot("C:\\x\nR C:\\Users", system);
    EXPECT_EQ(badName.error, platform::BootDeletionError::BadName);
}

constexpr const char* kExecutable = "C:/Program Files/Tallowmark/tallowmark.exe";

TEST(WindowsShellRegistration, WritesTheTypeAndTakesAFreeExtensionOnce) {
    const ScratchKey user(HKEY_CURRENT_USER, "Software");
    const std::string classes = user.Path() + "\\Classes";
    const platform::RegistrationResult first = platform::RegisterDocumentType(kExecutable, classes);
    EXPECT_TRUE(first.ok);
    EXPECT_TRUE(first.changed);
    const std::string type = classes + "\\Tallowmark.Document";
    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, type), L"Index Document");
    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, type + "\\DefaultIcon"), L"C:\\Program Files\\Tallowmark\\tallowmark.exe,0");
    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, type + "\\shell\\open\\command"),
              L"\"C:\\Program Files\\Tallowmark\\tallowmark.exe\" /dde \"%1\"");
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, type + "\\shell\\open\\ddeexec"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, type + "\\shell\\print"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, type + "\\shell\\printto"));
    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, classes + "\\.dat"), L"Tallowmark.Document");
    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, classes + "\\.dat\\ShellNew", L"NullFile"), L"");

    const platform::RegistrationResult again = platform::RegisterDocumentType(kExecutable, classes);
    EXPECT_TRUE(again.ok);
    EXPECT_FALSE(again.changed);
}

TEST(WindowsShellRegistration, LeavesAnExtensionAnotherTypeOwns) {
    const ScratchKey user(HKEY_CURRENT_USER, "Software");
    const std::string classes = user.Path() + "\\Classes";
    SetText(HKEY_CURRENT_USER, classes + "\\.dat", L"Spreadsheet.Data");
    EXPECT_TRUE(platform::RegisterDocumentType(kExecutable, classes).ok);
    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, classes + "\\.dat"), L"Spreadsheet.Data");
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, classes + "\\.dat\\ShellNew"));
    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, classes + "\\Tallowmark.Document"), L"Index Document");

    // Ours already, in another letter case: still ours.
    SetText(HKEY_CURRENT_USER, classes + "\\.dat", L"tallowmark.document");
    EXPECT_TRUE(platform::RegisterDocumentType(kExecutable, classes).ok);
    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, classes + "\\.dat\\ShellNew", L"NullFile"), L"");
}

}  // namespace
}  // namespace tallowmark
