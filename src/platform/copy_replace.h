#pragma once
// The order of one copy over a file, the same for every file system: copy beside the
// destination, make the copy a plain file and give it its mark, then one rename, then make sure
// the destination's mark is the one asked for. Everything that can fail without changing the
// destination comes before the rename; what goes wrong with the mark after it is a warning,
// because the new file is then in place.
#include <string>

#include "platform/services.h"

namespace qv {

// Whether a volume took a Zone.Identifier write or removal.
enum class StreamWrite { Done, NoStreams };

// The single steps, as the system makes them. Each throws Failure when it fails, but for a
// volume that keeps no streams, which the stream steps answer with NoStreams.
class ReplaceSteps {
public:
    virtual ~ReplaceSteps() = default;
    // A new temporary copy of `src` in `dst`'s folder; its path. Refuses a read-only `dst`
    // before anything is made. A copy that broke off is removed before the failure leaves.
    virtual std::wstring CopyBeside(const std::wstring& src, const std::wstring& dst) = 0;
    // Clears the read-only, hidden and system attributes; every other attribute stays.
    virtual void MakePlain(const std::wstring& path) = 0;
    virtual ZoneStream ReadMark(const std::wstring& path) = 0;
    // Both wait out another program's hold on the file, as the copy and the rename do.
    virtual StreamWrite WriteMark(const std::wstring& path, const std::string& text) = 0;
    virtual StreamWrite RemoveMark(const std::wstring& path) = 0;
    // The temporary copy replaces `dst` in one rename (waiting out a hold).
    virtual void RenameOver(const std::wstring& temporary, const std::wstring& dst) = 0;
    // Removes the temporary copy and any stream of its own; never throws.
    virtual void Discard(const std::wstring& temporary) = 0;
};

// Copies `src` over `dst` as described above, `dst` carrying the mark that `mark` asks for.
// Throws Failure, with `dst` as it was, when anything before the rename fails. Once the rename
// has happened it throws nothing: a mark that could not be made right comes back as a warning.
MarkWarning CopyReplaceInOrder(ReplaceSteps& steps, const std::wstring& src, const std::wstring& dst, ZoneMark mark);

}  // namespace qv
