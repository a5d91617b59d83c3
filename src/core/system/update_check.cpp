#include "core/system/update_check.h"

#include "core/common/lang.h"
#include "core/common/number.h"
#include "core/common/paths.h"
#include "core/common/text.h"

namespace fw::system {

std::string updateFilePath() { return paths().userDataDir + "/updates/framewise_update.txt"; }

std::string updateFileName(std::string_view url) {
    const auto end = url.find_first_of("?#");
    if (end != std::string_view::npos) url = url.substr(0, end);
    const auto slash = url.rfind('/');
    return std::string(slash == std::string_view::npos ? url : url.substr(slash + 1));
}

std::vector<std::string> updateLines(std::string_view bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (;;) {
        const auto lf = bytes.find('\n', start);
        if (lf == std::string_view::npos) {
            lines.emplace_back(bytes.substr(start));
            break;
        }
        lines.emplace_back(bytes.substr(start, lf - start));
        start = lf + 1;
    }
    return lines;
}

std::optional<int> versionSum(std::string_view version) {
    int sum = 0;
    std::size_t start = 0;
    for (int piece = 0; piece < 3; ++piece) {
        const auto dot = version.find('.', start);
        if (dot == std::string_view::npos && piece < 2) return std::nullopt;
        std::string_view text = version.substr(start, dot == std::string_view::npos ? std::string_view::npos : dot - start);
        while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
        while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
        // Whole numbers only: "3", not "3a" or "3e0".
        if (text.empty() || text.find_first_not_of("+-0123456789") != std::string_view::npos) return std::nullopt;
        const auto value = parseNumber(text);
        if (!value) return std::nullopt;
        const auto n = toInt16(*value);
        if (!n) return std::nullopt;
        sum += *n;
        start = dot == std::string_view::npos ? version.size() : dot + 1;
    }
    if (sum < -32768 || sum > 32767) return std::nullopt;
    return sum;
}

Comparison compareVersions(std::string_view running, std::string_view remote) {
    const auto a = versionSum(running);
    const auto b = versionSum(remote);
    if (!a || !b) return Comparison::Unknown;
    if (*a == *b) return Comparison::Same;
    return *a < *b ? Comparison::Newer : Comparison::Older;
}

std::optional<Message> comparisonMessage(Comparison c, bool automatic) {
    const std::string title = LangText("FormCaptions", 15);
    switch (c) {
        case Comparison::Same:
            if (automatic) return std::nullopt;
            return Message::lang("CheckUpdatesMsgBox", 3, Icon::Information, title);
        case Comparison::Newer: {
            if (automatic) {
                Message m = Message::fixed(
                    "A newer version has been released, Do you want to download it?\nClick No to abort, click cancel to see changelog",
                    Icon::None, title);
                m.buttons = Buttons::YesNoCancel;
                return m;
            }
            Message m = Message::fixed(LangText("CheckUpdatesMsgBox", 4) + "\n" + LangText("CheckUpdatesMsgBox", 5), Icon::Question, title);
            m.buttons = Buttons::YesNo;
            return m;
        }
        case Comparison::Older:
            return std::nullopt;
        case Comparison::Unknown:
            if (automatic) return std::nullopt;
            return Message::lang("CheckUpdatesMsgBox", 6, Icon::Exclamation, title);
    }
    return std::nullopt;
}

UpdateCheck evaluateUpdate(const std::optional<std::string>& fileBytes, std::string_view running, bool automatic) {
    UpdateCheck r;
    if (!fileBytes) {
        r.messages.push_back(Message::lang("CheckUpdatesMsgBox", 2, Icon::Exclamation, LangText("FormCaptions", 15)));
        return r;
    }
    r.lines = updateLines(*fileBytes);
    r.remote = r.lines.empty() ? std::string() : r.lines.front();
    r.comparison = compareVersions(running, r.remote);
    if (auto m = comparisonMessage(r.comparison, automatic)) r.messages.push_back(std::move(*m));
    return r;
}

}  // namespace fw::system
