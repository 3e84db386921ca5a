#include "updater/install/install_journal.h"

#include <algorithm>
#include <cstdlib>

#include "updater/files/file_write.h"
#include "updater/paths.h"
#include "updater/test_hooks.h"
#include "updater/update_log.h"

namespace {

const char kMarker[] = "updater install journal 1";
// Far more than any journal holds: a bigger file of that name is no journal of ours.
constexpr LONGLONG kLargestJournalBytes = 64 * 1024;

int HexValue(char ch) {
    if (ch >= '0' && ch <= '9') return ch - '0';
    if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
    return -1;
}

// "<size> <64 lower-case hex digits>", as FormatFingerprint writes it.
bool ParseFingerprint(const std::string& text, FileFingerprint& fingerprint) {
    const size_t blank = text.find(' ');
    if (blank == std::string::npos || blank == 0 || text.size() != blank + 1 + 2 * fingerprint.sha256.size())
        return false;
    char* end = nullptr;
    fingerprint.size = std::strtoull(text.c_str(), &end, 10);
    if (end != text.c_str() + blank) return false;
    for (size_t i = 0; i < fingerprint.sha256.size(); ++i) {
        const int high = HexValue(text[blank + 1 + 2 * i]), low = HexValue(text[blank + 2 + 2 * i]);
        if (high < 0 || low < 0) return false;
        fingerprint.sha256[i] = static_cast<unsigned char>(high << 4 | low);
    }
    return true;
}

std::string FormatFingerprint(const FileFingerprint& fingerprint) {
    return std::to_string(fingerprint.size) + " " + HexDigest(fingerprint.sha256);
}

// Splits "key rest of the line".
bool SplitLine(const std::string& line, std::string& key, std::string& rest) {
    const size_t blank = line.find(' ');
    if (blank == std::string::npos) return false;
    key = line.substr(0, blank);
    rest = line.substr(blank + 1);
    return !rest.empty();
}

bool ParseHeader(const std::vector<std::string>& lines, JournalRecord& record) {
    std::string key[3], rest[3];
    for (int i = 0; i < 3; ++i) {
        if (!SplitLine(lines[i + 1], key[i], rest[i])) return false;
    }
    if (key[0] != "target" || key[1] != "old" || key[2] != "new") return false;
    record.target = FromUtf8(rest[0]);
    return ParseFingerprint(rest[1], record.oldProgram) && ParseFingerprint(rest[2], record.newProgram);
}

bool ParseProgressLine(const std::string& line, JournalRecord& record) {
    std::string key, rest;
    if (!SplitLine(line, key, rest)) return false;
    if (key == "begin") {
        record.begun.push_back(rest);
    } else if (key == "undone") {
        record.undone.push_back(rest);
    } else if (key == "creating") {
        record.creating.push_back(rest);
    } else if (key == "fact") {
        std::string name, value;
        if (!SplitLine(rest, name, value)) return false;
        record.facts[name] = value;
    } else {
        return false;
    }
    return true;
}

bool SameTarget(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                                TRUE) == CSTR_EQUAL;
}

bool ReadSmallFile(HANDLE file, std::string& text) {
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file, &size) || size.QuadPart > kLargestJournalBytes) return false;
    text.assign(static_cast<size_t>(size.QuadPart), '\0');
    DWORD got = 0;
    return text.empty() || (ReadFile(file, &text[0], static_cast<DWORD>(text.size()), &got, nullptr) &&
                            got == text.size());
}

bool IsHexDigit(char ch) {
    return HexValue(ch) >= 0;
}

bool IsDigit(char ch) {
    return ch >= '0' && ch <= '9';
}

// Matches as much of "<size> <64 hex digits>" as `text` holds from `at`; advances `at` past it.
// False when a character does not fit; `whole` tells whether the pattern was completed.
bool MatchFingerprintPrefix(const std::string& text, size_t& at, bool& whole) {
    whole = false;
    const size_t start = at;
    while (at < text.size() && IsDigit(text[at])) ++at;
    if (at == text.size()) return true;
    if (at == start || text[at] != ' ') return false;
    ++at;
    for (int digits = 0; digits < 64; ++digits, ++at) {
        if (at == text.size()) return true;
        if (!IsHexDigit(text[at])) return false;
    }
    whole = true;
    return true;
}

// Matches as much of the literal `literal` as `text` holds from `at`.
bool MatchLiteralPrefix(const std::string& text, size_t& at, const std::string& literal, bool& whole) {
    const size_t length = std::min(literal.size(), text.size() - at);
    if (text.compare(at, length, literal, 0, length) != 0) return false;
    at += length;
    whole = length == literal.size();
    return true;
}

}  // namespace

bool IsHeaderPrefix(const std::string& text, const std::wstring& targetPath) {
    size_t at = 0;
    bool whole = false;
    const std::string opening = std::string(kMarker) + "\ntarget " + Utf8(targetPath) + "\nold ";
    if (!MatchLiteralPrefix(text, at, opening, whole) || !whole) return at == text.size();
    if (!MatchFingerprintPrefix(text, at, whole) || !whole) return at == text.size();
    if (!MatchLiteralPrefix(text, at, "\nnew ", whole) || !whole) return at == text.size();
    if (!MatchFingerprintPrefix(text, at, whole) || !whole) return at == text.size();
    return MatchLiteralPrefix(text, at, "\n", whole) && at == text.size();
}

std::wstring JournalPathFor(const std::wstring& targetPath) {
    return targetPath + L".upd-journal";
}

std::wstring JournalDraftPathFor(const std::wstring& targetPath) {
    return JournalPathFor(targetPath) + L".new";
}

bool JournalRecord::WasUndone(const std::string& step) const {
    for (const std::string& name : undone) {
        if (name == step) return true;
    }
    return false;
}

bool JournalRecord::WasCreating(const std::string& file) const {
    for (const std::string& name : creating) {
        if (name == file) return true;
    }
    return false;
}

std::string JournalRecord::Fact(const std::string& name) const {
    const auto found = facts.find(name);
    return found == facts.end() ? std::string() : found->second;
}

std::string FormatJournalHeader(const JournalRecord& record) {
    return std::string(kMarker) + "\ntarget " + Utf8(record.target) + "\nold " +
           FormatFingerprint(record.oldProgram) + "\nnew " + FormatFingerprint(record.newProgram) + "\n";
}

bool ParseJournal(const std::string& text, JournalRecord& record) {
    std::vector<std::string> lines;
    for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        lines.push_back(text.substr(start, end - start));
    }
    if (lines.size() < 4 || lines[0] != kMarker || !ParseHeader(lines, record)) return false;
    for (size_t i = 4; i < lines.size(); ++i) {
        if (!ParseProgressLine(lines[i], record)) return false;
    }
    return true;
}

namespace {

UniqueHandle OpenJournalFile(const std::wstring& path, DWORD disposition) {
    // Others may read it, nobody else may write it: a second updater for the same target finds
    // it busy rather than walking it back under this one.
    return UniqueHandle(CreateFileW(LongPathForm(path).c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                                    FILE_SHARE_READ, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
}

enum class Leftover { None, Removed, Busy, Foreign };

// A journal or draft that took no step (empty, or part of a header) is removed through its
// handle; anything else of that name is left as it is.
Leftover RemoveIfNoStepTaken(const std::wstring& path, const std::wstring& targetPath) {
    UniqueHandle file = OpenJournalFile(path, OPEN_EXISTING);
    if (!file) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return Leftover::None;
        return error == ERROR_SHARING_VIOLATION ? Leftover::Busy : Leftover::Foreign;
    }
    std::string text;
    if (!ReadSmallFile(file.Get(), text) || !IsHeaderPrefix(text, targetPath)) return Leftover::Foreign;
    DeleteWhenClosed(file.Get());
    LogLine("recovery: \"%s\" was cut off before any step, removed", Utf8(path).c_str());
    return Leftover::Removed;
}

}  // namespace

bool InstallJournal::WriteDraft(const std::wstring& draft, const std::string& header) {
    const Leftover left = RemoveIfNoStepTaken(draft, record.target);
    if (left == Leftover::Busy || left == Leftover::Foreign) return false;
    UniqueHandle written = OpenJournalFile(draft, CREATE_NEW);
    if (!written) return false;
    CutHereIfTestAsks("header file");
    // A stop in the middle of a write (the test's torn header) leaves a part of it.
    const size_t firstPart = TestCutsAt("header torn") ? header.size() / 2 : header.size();
    if (!WriteAll(written.Get(), header.data(), firstPart)) return false;
    CutHereIfTestAsks("header torn");
    return FlushFileBuffers(written.Get()) != FALSE;
}

bool InstallJournal::Hold(const std::string& header) {
    file = OpenJournalFile(path, OPEN_EXISTING);
    std::string text;
    // Between the rename and this open it was another updater's to take; only our header will do.
    if (file && ReadSmallFile(file.Get(), text) && text == header) return true;
    file.Reset();
    return false;
}

bool InstallJournal::Create(const std::wstring& targetPath, const JournalRecord& header) {
    path = JournalPathFor(targetPath);
    record = header;
    const std::wstring draft = JournalDraftPathFor(targetPath);
    const std::string text = FormatJournalHeader(header);
    if (!WriteDraft(draft, text)) return false;
    CutHereIfTestAsks("header draft");
    // Never over anything: a journal already there is another installation's or the user's.
    if (!MoveFileExW(LongPathForm(draft).c_str(), LongPathForm(path).c_str(), MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = GetLastError();
        DeleteFileW(LongPathForm(draft).c_str());
        SetLastError(error);
        return false;
    }
    CutHereIfTestAsks("header");
    return Hold(text);
}

InstallJournal::Opened InstallJournal::Open(const std::wstring& targetPath) {
    path = JournalPathFor(targetPath);
    if (RemoveIfNoStepTaken(JournalDraftPathFor(targetPath), targetPath) == Leftover::Busy) return Opened::Busy;
    file = OpenJournalFile(path, OPEN_EXISTING);
    if (!file) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return Opened::None;
        // A read-only file or a folder of that name is not ours either.
        return error == ERROR_SHARING_VIOLATION ? Opened::Busy : Opened::Foreign;
    }
    std::string text;
    record = JournalRecord();
    if (ReadSmallFile(file.Get(), text) && IsHeaderPrefix(text, targetPath)) {
        file.Reset();
        return RemoveIfNoStepTaken(path, targetPath) == Leftover::Removed ? Opened::None : Opened::Foreign;
    }
    if (!ParseJournal(text, record) || !SameTarget(record.target, targetPath)) {
        file.Reset();
        return Opened::Foreign;
    }
    return Opened::Ours;
}

bool InstallJournal::Begin(const std::string& step) {
    record.begun.push_back(step);
    return Append("begin " + step + "\n");
}

bool InstallJournal::Undone(const std::string& step) {
    record.undone.push_back(step);
    return Append("undone " + step + "\n");
}

bool InstallJournal::Creating(const std::string& name) {
    record.creating.push_back(name);
    return Append("creating " + name + "\n");
}

bool InstallJournal::Fact(const std::string& name, const std::string& value) {
    record.facts[name] = value;
    return Append("fact " + name + " " + value + "\n");
}

bool InstallJournal::Append(const std::string& line) {
    LARGE_INTEGER end = {};
    DWORD written = 0;
    const bool done = file && SetFilePointerEx(file.Get(), end, nullptr, FILE_END) &&
                      WriteFile(file.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr) &&
                      written == line.size() && FlushFileBuffers(file.Get());
    // Named by the line's first two words: "begin swap", "undone stage", "fact closed"...
    const size_t second = line.find(' ');
    const size_t third = second == std::string::npos ? second : line.find_first_of(" \n", second + 1);
    CutHereIfTestAsks(line.substr(0, third).c_str());
    return done;
}

void InstallJournal::Remove() {
    if (!file) return;
    // Through the handle: the file deleted is the journal this run held, whatever the path says.
    DeleteWhenClosed(file.Get());
    file.Reset();
}
