// The window-handle record shared between processes: its exact bytes, and a reader that does not
// trust what another process left in the memory.

#include <gtest/gtest.h>

#include <cstring>

#include "tests/support/process.h"
#include "updater/install/single_instance.h"
#include "ui/util/unique_handle.h"
#include "updater/install/window_record.h"

namespace {

HWND H(uintptr_t value) { return reinterpret_cast<HWND>(value); }

class MessageWindow {
public:
    MessageWindow()
        : window_(CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr)) {}
    ~MessageWindow() { DestroyWindow(window_); }
    HWND Get() const { return window_; }

private:
    HWND window_;
};

}  // namespace

TEST(WindowRecordFormat, Handle920IsThreeDigitsAndAZero) {
    const std::wstring text = FormatWindowRecord(H(920));
    ASSERT_EQ(text, L"920");
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    EXPECT_EQ(bytes, 8u);
    const unsigned char expected[8] = {'9', 0, '2', 0, '0', 0, 0, 0};
    EXPECT_EQ(std::memcmp(text.c_str(), expected, 8), 0);
    EXPECT_EQ(ParseWindowRecord(text.c_str(), bytes), 920u);
}

TEST(WindowRecordFormat, SignedDecimalLikePrintf) {
    EXPECT_EQ(FormatWindowRecord(H(0x80000000u)), L"-2147483648");
    EXPECT_LE((FormatWindowRecord(H(0x80000000u)).size() + 1) * 2, kWindowRecordBytes);
    EXPECT_EQ(FormatWindowRecord(nullptr), L"0");
}

TEST(WindowRecordParse, ReadsLikeWcstoulAndStaysInsideTheImage) {
    const wchar_t spaced[] = L"  +42xyz";
    EXPECT_EQ(ParseWindowRecord(spaced, sizeof spaced), 42u);
    const wchar_t none[] = L"abc";
    EXPECT_EQ(ParseWindowRecord(none, sizeof none), 0u);
    // No terminator inside the image: nothing past it may be read, so no handle.
    const wchar_t unterminated[4] = {L'1', L'2', L'3', L'4'};
    EXPECT_EQ(ParseWindowRecord(unterminated, sizeof unterminated), 0u);
    EXPECT_EQ(ParseWindowRecord(nullptr, 0), 0u);
}

TEST(ReadWindowRecord, MissingRecordGivesNoWindow) {
    EXPECT_EQ(ReadWindowRecord(L"updater-tests-no-such-record"), nullptr);
}

TEST(ReadWindowRecord, ReturnsOnlyRealWindowsAndNeverBroadcast) {
    MessageWindow window;
    ASSERT_NE(window.Get(), nullptr);
    const std::wstring own = FormatWindowRecord(window.Get());
    HandMadeRecord good(L"updater-tests-record-good", own.c_str(), (own.size() + 1) * 2);
    EXPECT_EQ(ReadWindowRecord(L"updater-tests-record-good"), window.Get());

    const wchar_t broadcast[] = L"65535";
    HandMadeRecord bad(L"updater-tests-record-broadcast", broadcast, sizeof broadcast);
    EXPECT_EQ(ReadWindowRecord(L"updater-tests-record-broadcast"), nullptr);

    const wchar_t stale[] = L"12345670";
    HandMadeRecord gone(L"updater-tests-record-stale", stale, sizeof stale);
    EXPECT_EQ(ReadWindowRecord(L"updater-tests-record-stale"), nullptr);
}

TEST(ReadWindowRecord, RecordFilledToTheLastByteIsNotOverrun) {
    // A whole page of digits and no terminator: the reader must stop at the view's end.
    std::wstring digits(4096 / sizeof(wchar_t), L'7');
    HandMadeRecord full(L"updater-tests-record-full", digits.data(), 4096);
    EXPECT_EQ(ReadWindowRecord(L"updater-tests-record-full"), nullptr);
}

TEST(SingleInstance, SecondAcquireInOwnerSucceedsWithoutCreatingAnything) {
    MessageWindow window;
    CSingleInst guard;
    ASSERT_TRUE(guard.TryAcquire(window.Get()));
    EXPECT_TRUE(guard.TryAcquire(window.Get()));
    EXPECT_EQ(ReadWindowRecord(guard.MappingName().c_str()), window.Get());
}

TEST(SingleInstance, AnotherGuardIsRefusedUntilTheFirstIsGone) {
    MessageWindow first;
    MessageWindow second;
    {
        CSingleInst owner;
        ASSERT_TRUE(owner.TryAcquire(first.Get()));
        CSingleInst other;
        EXPECT_FALSE(other.TryAcquire(second.Get()));
        // The refused guard must not have replaced the owner's record.
        EXPECT_EQ(ReadWindowRecord(owner.MappingName().c_str()), first.Get());
    }
    CSingleInst later;
    EXPECT_TRUE(later.TryAcquire(second.Get()));
    EXPECT_EQ(ReadWindowRecord(later.MappingName().c_str()), second.Get());
}
