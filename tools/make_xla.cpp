// make-xla: writes add-in files (OLE compound documents with a summary property set).
//   make-xla.exe --out <file.xla> [--title <t>] [--author <a>]
//   make-xla.exe --samples <folder>
#include <windows.h>

#include <cstdio>
#include <string>

#include "fileinfo/win32/summary_writer.h"
#include "platform/win32/handles.h"

namespace {

// Console output as UTF-8 bytes: wide printf of non-ASCII text prints nothing under Wine.
void Say(FILE* to, const std::wstring& text) {
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string s(n > 0 ? static_cast<size_t>(n) : 0, '\0');
    if (n > 0) WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), s.data(), n, nullptr, nullptr);
    s += '\n';
    fwrite(s.data(), 1, s.size(), to);
}

int Usage() {
    Say(stderr, L"usage: make-xla --out <file.xla> [--title <title>] [--author <author>]\n"
                L"       make-xla --samples <folder>");
    return 2;
}

bool WriteOne(const std::wstring& path, const std::wstring& title, const std::wstring& author) {
    if (qv::win32::WriteXlaFixture(path, title, author)) {
        Say(stdout, L"wrote " + path);
        return true;
    }
    Say(stderr, L"cannot write " + path);
    return false;
}

struct Sample {
    const wchar_t* file;
    const wchar_t* title;
    const wchar_t* author;
};

// The add-ins offered beside the wizard when it starts without arguments.
constexpr Sample kSamples[] = {
    {L"売上集計ツール.xla", L"売上集計ツール", L"山田 太郎"},
    {L"DateHelper.xla", L"日付ヘルパー", L"Quorvel SP"},
    {L"NoTitle.xla", L"", L"Quorvel SP"},
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::wstring out, samples, title, author;
    for (int i = 1; i < argc; ++i) {
        std::wstring a = argv[i];
        if (i + 1 >= argc) return Usage();
        if (a == L"--out") out = argv[++i];
        else if (a == L"--samples") samples = argv[++i];
        else if (a == L"--title") title = argv[++i];
        else if (a == L"--author") author = argv[++i];
        else return Usage();
    }
    if (out.empty() == samples.empty()) return Usage();

    qv::win32::ComInit com;
    if (!out.empty()) return WriteOne(out, title, author) ? 0 : 1;

    if (samples.back() != L'\\' && samples.back() != L'/') samples += L'\\';
    bool ok = true;
    for (const Sample& s : kSamples) ok = WriteOne(samples + s.file, s.title, s.author) && ok;
    return ok ? 0 : 1;
}
