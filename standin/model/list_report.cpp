#include "model/list_report.h"

#include <map>

#include "model/open_value.h"

namespace qv::standin {

std::vector<std::wstring> ListReport(const AddinManager& addins, Registry& reg) {
    std::vector<std::wstring> lines;
    for (int id : addins.Ordered()) {
        const Addin& a = addins.At(id);
        lines.push_back(a.Name() + L"|" + a.fullPath + L"|" + a.title + L"|" + a.Path() + L"|" +
                        (a.installed ? L"True" : L"False"));
    }
    lines.push_back(L"[Options]");
    std::map<int, RegValue> opens;
    for (auto& v : reg.StringValues(OptionsKey(addins.settings())))
        if (auto index = OpenValueIndex(v.name)) opens[*index] = v;
    for (auto& [index, v] : opens) lines.push_back(v.name + L"=" + v.data);
    lines.push_back(L"[Add-in Manager]");
    for (auto& v : reg.StringValues(AddinManagerKey(addins.settings()))) lines.push_back(v.name + L"=" + v.data);
    return lines;
}

}  // namespace qv::standin
