#pragma once
// The journal of one installation, "<target>.upd-journal" beside the target. It names the target
// and the content of the old and the new program, and says how far the installation got: each
// step is written and flushed before it is taken, each undo once it is done. A run that was
// killed, a machine that stopped or a restore that could not finish leaves it behind, and the
// next run (or the recovery at the next logon) walks back from where it says, touching only the
// files it describes. No journal, or one the updater did not write: nothing is touched.

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "updater/install/file_fingerprint.h"
#include "ui/util/unique_handle.h"

// "<target>.upd-journal".
std::wstring JournalPathFor(const std::wstring& targetPath);
// "<target>.upd-journal.new": the header is written and flushed under this name and then renamed
// into place, so the journal's own name only ever holds a whole header.
std::wstring JournalDraftPathFor(const std::wstring& targetPath);

// What a journal says.
struct JournalRecord {
    std::wstring target;
    FileFingerprint oldProgram;  // the target before the installation, and so its backup
    FileFingerprint newProgram;
    std::vector<std::string> begun;   // the steps started, in order
    std::vector<std::string> undone;  // the steps walked back
    std::vector<std::string> creating;  // the files announced before they were created
    std::map<std::string, std::string> facts;  // what a step learnt that its undo needs

    bool WasUndone(const std::string& step) const;
    bool WasCreating(const std::string& file) const;
    // The fact's text, or empty when it was never written.
    std::string Fact(const std::string& name) const;
};

// The journal's header: the marker, the target, the two programs' sizes and SHA-256.
std::string FormatJournalHeader(const JournalRecord& record);
// True when `text` is empty or the first bytes (all of them included) of a header this updater
// writes for `targetPath`, and nothing more: what a stop while the header was written leaves. No
// step was taken under it.
bool IsHeaderPrefix(const std::string& text, const std::wstring& targetPath);
// Reads a journal's text. False when it is not a journal of this updater (no marker, a header
// that is not whole, an unknown line); a last line without its line break was cut by a stop
// while it was written and is ignored, as its step was not taken.
bool ParseJournal(const std::string& text, JournalRecord& record);

class InstallJournal {
public:
    enum class Opened {
        None,     // no journal: nothing was left
        Busy,     // another updater holds it: it is at work on the same target
        Foreign,  // a file of that name that the updater did not write (or for another target)
        Ours,
    };

    InstallJournal() = default;
    InstallJournal(const InstallJournal&) = delete;
    InstallJournal& operator=(const InstallJournal&) = delete;

    // Writes the header under the draft name (CREATE_NEW: never over anything), flushes it and
    // renames it to the journal's name (never over anything either), then holds it. False when a
    // file of either name is in the way or it cannot be written.
    bool Create(const std::wstring& targetPath, const JournalRecord& header);
    // Opens the journal an earlier run left for `targetPath`, held against other updaters. An
    // empty journal or draft, or one holding only part of a header, took no step: it is removed
    // and counts as none.
    Opened Open(const std::wstring& targetPath);

    const JournalRecord& Record() const { return record; }
    // Each of these is on disk when it returns true.
    bool Begin(const std::string& step);
    bool Undone(const std::string& step);
    bool Fact(const std::string& name, const std::string& value);
    // Said before the file `name` (a name of the step's own, such as "staged") is created, so
    // that a stop between its creation and the first fact about it leaves a file the next run
    // can still tell as the installation's own.
    bool Creating(const std::string& name);

    // The installation is over: the journal goes.
    void Remove();

private:
    bool Append(const std::string& line);
    bool WriteDraft(const std::wstring& draft, const std::string& header);
    bool Hold(const std::string& header);

    std::wstring path;
    UniqueHandle file;
    JournalRecord record;
};
