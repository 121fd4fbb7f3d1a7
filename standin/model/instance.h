#pragma once
// One stand-in Excel instance: its settings, workbooks and add-in list.
#include "model/addin_manager.h"
#include "model/settings.h"
#include "model/workbooks.h"

namespace qv::standin {

class Instance {
public:
    // `holder` keeps the files of open workbooks and loaded add-ins open; null holds nothing.
    Instance(Registry& reg, FileSystem& fs, Drives& drives, Settings settings, TitleReader titles,
             FileHolder* holder = nullptr)
        : workbooks(fs, holder), addins(reg, fs, drives, std::move(settings), std::move(titles), workbooks, holder) {}

    // Writes the add-in list, as Excel does when its process ends after Quit; a second call
    // writes nothing more.
    void Quit() {
        if (quit_) return;
        addins.Commit();
        quit_ = true;
    }
    bool HasQuit() const { return quit_; }
    const Settings& settings() const { return addins.settings(); }

    Workbooks workbooks;
    AddinManager addins;

private:
    bool quit_ = false;
};

}  // namespace qv::standin
