#include "console/report.h"

#include "console/utf8.h"
#include "operations/addin_rules.h"

namespace qv::console {

using nlohmann::json;

std::string VersionText(const ProgramVersion& v) {
    return std::to_string(v.major) + "." + std::to_string(v.minor) + "." + std::to_string(v.revision);
}

void Reporter::Warn(const Notice& n) {
    Warning w{ReasonCode(n.reason), N(n)};
    if (!o_.json) out_.Err(w.message + L"\n");
    warnings_.push_back(std::move(w));
}

void Reporter::Add(Item item) {
    if (!o_.json) {
        std::wstring text = item.message;
        for (const auto& m : item.matches) text += L"\n  " + m;
        if (!item.changes.empty() && item.exit != kExitDone) {
            text += L"\n" + T(texts::kChanged);
            for (size_t i = 0; i < item.changes.size(); ++i) text += (i ? L", " : L"") + item.changes[i];
        }
        if (item.exit == kExitDone) out_.Out(text + L"\n");
        else out_.Err(text + L"\n");
    }
    Record(std::move(item));
}

void Reporter::Record(Item item) {
    exit_ = WorseExit(exit_, item.exit);
    items_.push_back(std::move(item));
}

int Reporter::Stop(int exit, const std::wstring& text, std::string reason) {
    exit_ = WorseExit(exit_, exit);
    error_ = text;
    errorReason_ = std::move(reason);
    if (!o_.json) out_.Err(text + L"\n");
    return Finish();
}

void Reporter::Text(const std::wstring& text) {
    if (!o_.json) out_.Out(text);
}

int Reporter::Finish() {
    if (o_.json) {
        json doc;
        doc["schema"] = 1;
        doc["version"] = version_;
        doc["command"] = ToUtf8(o_.command);
        doc["exitCode"] = exit_;
        if (!error_.empty()) {
            doc["error"] = ToUtf8(error_);
            doc["reason"] = errorReason_;
        }
        if (!list_.is_null()) doc["addins"] = list_;
        for (const auto& [name, value] : fields_.items()) doc[name] = value;
        json results = json::array();
        for (const auto& i : items_) {
            json r;
            r["target"] = ToUtf8(i.target);
            r["exitCode"] = i.exit;
            r["changed"] = i.changed;
            r["reason"] = i.reason;
            r["message"] = ToUtf8(i.message);
            if (!i.fullName.empty()) r["fullName"] = ToUtf8(i.fullName);
            json changes = json::array();
            for (const auto& c : i.changes) changes.push_back(ToUtf8(c));
            r["changes"] = changes;
            if (!i.matches.empty()) {
                json m = json::array();
                for (const auto& x : i.matches) m.push_back(ToUtf8(x));
                r["matches"] = m;
            }
            if (i.details.is_object())
                for (const auto& [name, value] : i.details.items()) r[name] = value;
            results.push_back(r);
        }
        doc["results"] = results;
        json w = json::array();
        for (const auto& x : warnings_) w.push_back({{"code", x.code}, {"message", ToUtf8(x.message)}});
        doc["warnings"] = w;
        // Pure ASCII: every other character as a \u escape, which any JSON reader decodes
        // whatever code page it takes the bytes in.
        out_.Out(FromUtf8(doc.dump(2, ' ', true)) + L"\n");
    }
    return exit_;
}

const ListedAddin* Resolve(const Reporter& r, const std::vector<ListedAddin>& list, const std::wstring& name,
                           Item& item, std::vector<ListedAddin>& hold) {
    hold = MatchName(list, name);
    if (hold.size() == 1) return &hold[0];
    item.exit = kExitNotFound;
    if (hold.empty()) {
        item.message = r.T(texts::kNotFound) + name;
        item.reason = "not-found";
    } else {
        item.reason = "ambiguous";
        item.message = r.T(texts::kAmbiguous) + name + L"\n" + r.T(texts::kAskFullPath);
        for (const auto& a : hold) item.matches.push_back(a.FullName() + L"  (" + a.Title() + L")");
    }
    return nullptr;
}

}  // namespace qv::console
