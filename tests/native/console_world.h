#pragma once
// quorvelc's portable part against the in-memory world, its output captured.
#include <string>
#include <vector>

#include "console/console.h"
#include "fakes.h"

namespace qv::console {

struct Captured : Output {
    std::wstring out, err;
    void Out(const std::wstring& t) override { out += t; }
    void Err(const std::wstring& t) override { err += t; }
};

struct ConsoleWorld {
    fake::World w;
    Services svc{w.launcher, w.fs, w.reg, w.drives, w.details, w.sys, w.accounts};
    World world{svc, [](const std::wstring&, const std::wstring&) { return false; }, nullptr};
    Captured out;
    int Run(std::vector<std::wstring> args) { return Main(world, args, out); }
};

}  // namespace qv::console
