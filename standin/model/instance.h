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

    // The process ends, after Quit or after its last reference went without it: writes the whole
    // add-in list, changed or not, as Excel does. A second call writes nothing more. A killed
    // process never gets here and writes nothing.
    void End() {
        if (ended_) return;
        addins.Commit();
        ended_ = true;
    }
    const Settings& settings() const { return addins.settings(); }

    Workbooks workbooks;
    AddinManager addins;

private:
    bool ended_ = false;
};

}  // namespace qv::standin
