#pragma once
// The open workbooks of one stand-in instance. An opened file is held, as Excel holds it, until
// its workbook is closed.
#include <string>
#include <vector>

#include "model/file_holds.h"
#include "platform/services.h"

namespace qv::standin {

struct Workbook {
    int id = 0;             // stable for the instance's lifetime, never reused
    std::wstring name;      // "Book1", or the file name
    std::wstring fullPath;  // empty for a new workbook or one named by hand
    bool addin = false;     // an add-in file (.xla, .xlam) opened with Open
    FileHold hold;          // the open file, for a workbook opened from one
};

class Workbooks {
public:
    Workbooks(FileSystem& fs, FileHolder* holder) : fs_(fs), holder_(holder) {}

    // A new empty workbook "Book<n>", numbered from 1 in this instance.
    int Add();
    // Throws Error when the file does not exist; a file already open gives its workbook.
    int Open(const std::wstring& path);
    // A workbook known only by its name (the user's own Excel started by hand).
    int AddNamed(const std::wstring& name);
    // Throws Error when the workbook is no longer open.
    void Close(int id);
    // Closes the workbook of `path` if it is open.
    void CloseFile(const std::wstring& path);

    const std::vector<Workbook>& All() const { return open_; }
    // True when a workbook other than an add-in file is open: Excel does not count add-ins
    // among its open workbooks.
    bool AnyOpen() const;
    // Null when the workbook has been closed.
    const Workbook* Find(int id) const;

private:
    FileSystem& fs_;
    FileHolder* holder_;  // null: files are not held
    std::vector<Workbook> open_;
    int nextId_ = 1;
    int nextBook_ = 1;
};

}  // namespace qv::standin
