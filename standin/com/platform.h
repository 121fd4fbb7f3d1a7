#pragma once
// The stand-in's own small implementations of the core's registry, file-system and drive
// interfaces (HKEY_CURRENT_USER; ordinary files only).
#include "platform/services.h"

namespace qv::standin::com {

class HkcuRegistry : public Registry {
public:
    bool KeyExists(const std::wstring& key) override;
    std::vector<RegValue> StringValues(const std::wstring& key) override;
    std::optional<std::wstring> GetString(const std::wstring& key, const std::wstring& name) override;
    void SetString(const std::wstring& key, const std::wstring& name, const std::wstring& data) override;
    RegResult DeleteValue(const std::wstring& key, const std::wstring& name) override;
};

class DiskFileSystem : public FileSystem {
public:
    bool FileExists(const std::wstring& path) override;
    bool FolderExists(const std::wstring& path) override;
    std::vector<std::wstring> ListFiles(const std::wstring& folder, const std::wstring& pattern) override;
    void CopyReplace(const std::wstring& src, const std::wstring& dst) override;
    void Delete(const std::wstring& path) override;
};

class DiskDrives : public Drives {
public:
    int DriveType(const std::wstring& root) override;
};

// The name of the user the process runs as.
std::wstring CurrentUserName();

}  // namespace qv::standin::com
