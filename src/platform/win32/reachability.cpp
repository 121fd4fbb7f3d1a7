// Whether a file is missing, or lies on a drive or share that does not answer: a mapped drive
// not yet connected has no root, and a file on it answers "path not found" like a file that
// is gone.
#include "platform/paths.h"
#include "platform/win32/long_path.h"
#include "platform/win32/platform.h"

namespace qv::win32 {

namespace {

constexpr DWORD kNotOrdinary = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

bool IsNotFound(DWORD code) {
    return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND || code == ERROR_INVALID_NAME ||
           code == ERROR_BAD_PATHNAME;
}

// A drive letter must have a root, and the root (of a drive or a share) must list; a refusal
// of the listing is an answer too, and so is an empty root.
bool AskRoot(const std::wstring& root) {
    if (root.size() == 3 && root[1] == L':' && GetDriveTypeW(root.c_str()) == DRIVE_NO_ROOT_DIR) return false;
    WIN32_FIND_DATAW fd;
    UniqueFind find(FindFirstFileW((root + L"*").c_str(), &fd));
    if (find) return true;
    const DWORD code = GetLastError();
    return code == ERROR_FILE_NOT_FOUND || code == ERROR_NO_MORE_FILES || code == ERROR_ACCESS_DENIED;
}

}  // namespace

FileState Win32FileSystem::FileStateOf(const std::wstring& path) {
    const std::wstring root = paths::DriveRoot(path);
    if (!root.empty()) {
        if (auto known = KnownRoot(root); known && !*known) return FileState::Unreachable;
    }
    const DWORD a = GetFileAttributesW(LongPath(path).c_str());
    if (a != INVALID_FILE_ATTRIBUTES) return (a & kNotOrdinary) ? FileState::Missing : FileState::Present;
    const bool notFound = IsNotFound(GetLastError());
    // A relative path has no root to ask: taken as it answers.
    if (!root.empty() && !RootAnswers(root)) return FileState::Unreachable;
    // Anything else (access denied on the folder, a network error on the file) says nothing
    // about the file.
    return notFound ? FileState::Missing : FileState::Unreachable;
}

void Win32FileSystem::BeginListing() {
    std::lock_guard<std::mutex> lock(roots_mutex_);
    ++listings_;
}

void Win32FileSystem::EndListing() {
    std::lock_guard<std::mutex> lock(roots_mutex_);
    if (listings_ > 0 && --listings_ == 0) roots_.clear();
}

std::optional<bool> Win32FileSystem::KnownRoot(const std::wstring& root) {
    std::lock_guard<std::mutex> lock(roots_mutex_);
    auto it = roots_.find(paths::FoldCase(root));
    if (it == roots_.end()) return std::nullopt;
    return it->second;
}

bool Win32FileSystem::RootAnswers(const std::wstring& root) {
    if (auto known = KnownRoot(root)) return *known;
    const bool answers = AskRoot(root);
    std::lock_guard<std::mutex> lock(roots_mutex_);
    if (listings_ > 0) roots_[paths::FoldCase(root)] = answers;
    return answers;
}

}  // namespace qv::win32
