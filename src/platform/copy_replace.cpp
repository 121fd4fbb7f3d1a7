#include "platform/copy_replace.h"

#include <optional>

#include "platform/error.h"

namespace qv {

MarkWarning CopyReplaceInOrder(ReplaceSteps& steps, const std::wstring& src, const std::wstring& dst, ZoneMark mark) {
    // Read before the copy, so the copy's mark is the source's as it was when it was copied.
    const ZoneStream source = mark == ZoneMark::KeepSource ? steps.ReadMark(src) : ZoneStream{};
    // A source mark that cannot be read leaves the copy's as the system's copy made it.
    const bool leaveMark = mark == ZoneMark::KeepSource && source.state == StreamState::Unreadable;
    const std::optional<std::string> wanted =
        mark == ZoneMark::KeepSource && source.state == StreamState::Present ? std::optional(source.text) : std::nullopt;

    const std::wstring temporary = steps.CopyBeside(src, dst);
    bool streamless = false;
    try {
        // A file from a CD, or one an administrator marked read-only, is installed as a plain
        // file: otherwise its next version up or removal would be refused.
        steps.MakePlain(temporary);
        // Before the rename a failure still leaves the destination as it was; antivirus often
        // opens the file just renamed into place, which the stream steps would meet.
        if (!leaveMark) {
            const StreamWrite w = wanted ? steps.WriteMark(temporary, *wanted) : steps.RemoveMark(temporary);
            streamless = w == StreamWrite::NoStreams;
        }
        steps.RenameOver(temporary, dst);
    } catch (...) {
        steps.Discard(temporary);
        throw;
    }

    // The install has happened. NTFS carried the copy's stream along with the rename; Wine keeps
    // a stream as a file beside the named one, which a rename leaves behind, so the
    // destination's mark is read and set right here.
    if (leaveMark) return MarkWarning::None;
    if (wanted && streamless) return MarkWarning::NotKept;
    try {
        const ZoneStream now = steps.ReadMark(dst);
        if (wanted) {
            if (now.state == StreamState::Present && now.text == *wanted) return MarkWarning::None;
            return steps.WriteMark(dst, *wanted) == StreamWrite::NoStreams ? MarkWarning::NotKept : MarkWarning::None;
        }
        if (now.state == StreamState::Absent) return MarkWarning::None;
        steps.RemoveMark(dst);
        return MarkWarning::None;
    } catch (const Failure&) {
        return wanted ? MarkWarning::NotSet : MarkWarning::NotRemoved;
    }
}

}  // namespace qv
