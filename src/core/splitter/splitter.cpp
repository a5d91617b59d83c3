#include "core/splitter/splitter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <vector>

#include "core/common/atomic_file.h"
#include "core/common/file_io.h"
#include "core/common/lang.h"
#include "core/common/number.h"
#include "core/common/text.h"

namespace fw::splitter {

namespace fs = std::filesystem;

namespace {

// Each copy call moves at most this much, so Stop is honoured within one block and progress
// moves often enough; the kernel does the copying.
constexpr std::int64_t kCopyBlock = 16 << 20;

Message splitterMessage(int key, Icon icon = Icon::Critical) {
    return Message::lang("FileSplitterMsgBox", key, icon, LangText("FormCaptions", 18));
}

double seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Copies len bytes from in at offset into out (at its current end), block by block.
// Returns false on an error, and sets stopped when the progress callback asked to stop.
// Each block is handed on to the disk as the next is copied, so the commit's fsync waits for the
// last block only instead of the whole piece.
bool copyRange(int in, std::int64_t offset, int out, std::int64_t len, Progress& progress, std::uint64_t& done,
               std::uint64_t total, bool& stopped) {
    std::int64_t outAt = ::lseek(out, 0, SEEK_CUR);
    while (len > 0) {
        const std::int64_t chunk = std::min(len, kCopyBlock);
        std::int64_t at = offset;
        const std::int64_t n = copyChunk(in, &at, out, static_cast<std::size_t>(chunk));
        if (n <= 0) return false;
        if (outAt >= 0) {
            startWriteback(out, outAt, n);
            outAt += n;
        }
        offset += n;
        len -= n;
        done += static_cast<std::uint64_t>(n);
        if (!progress.report(done, total)) {
            stopped = true;
            return false;
        }
    }
    return true;
}

// A name on a COPY or REN line: as it is, unless cmd would split it (blanks, &, ^, parentheses):
// then in double quotes ("long m~1." is such a name, made by the program itself).
std::string batName(const std::string& name) {
    return name.find_first_of(" &^()<>|,;=") == std::string::npos ? name : "\"" + name + "\"";
}

std::string quoteSh(const std::string& s) {
    std::string out = "'";
    for (char c : s) {
        if (c == '\'') out += "'\\''";
        else out += c;
    }
    return out + "'";
}

// The word quoteSh made from a name, read back: the name; nothing when text is no such word.
std::optional<std::string> unquoteSh(std::string_view text) {
    if (text.size() < 2 || text.front() != '\'' || text.back() != '\'') return std::nullopt;
    std::string out;
    for (std::size_t i = 1; i + 1 < text.size(); ++i) {
        if (text[i] == '\'') {
            if (text.compare(i, 4, "'\\''") != 0) return std::nullopt;
            out += '\'';
            i += 3;
        } else {
            out += text[i];
        }
    }
    return out;
}

// The original name of a set split with the rebuild scripts, whose pieces carry a shortened
// stem: the shell script beside them says it. Only the script named after that name counts, only
// for a name the stem is short for, and only while no file has that name: a script comes with
// the set, and the join must not write over a file of the user's on its word.
std::optional<std::string> nameFromScript(const fs::path& folder, const std::string& stem) {
    if (stem.size() != 9 || stem.compare(6, 3, "~1.") != 0) return std::nullopt;
    std::error_code ec;
    int seen = 0;
    for (const auto& e : fs::directory_iterator(folder, ec)) {
        if (++seen > 10000) break;  // a folder of pieces, not of everything
        const std::string n = e.path().filename().string();
        if (n.size() <= 13 || n.compare(n.size() - 13, 13, " - rebuild.sh") != 0) continue;
        const std::string name = n.substr(0, n.size() - 13);
        const auto parts = nameParts(name);
        if (!parts || shortStem(parts->stem) != stem) continue;
        if (fs::symlink_status(folder / name, ec).type() != fs::file_type::not_found) continue;
        auto text = readFileBounded(e.path().string(), 1 << 20);
        if (text && nameInRebuildScript(*text, stem) == name) return name;
    }
    return std::nullopt;
}

// The first name a split would write that is the source itself: the info record and the
// scripts, and every piece with and without the kept extension.
std::optional<std::string> nameClash(const std::string& source, const std::string& outDir, const std::string& stem,
                                     std::int64_t count, const std::string& extension, const std::string& sourceName) {
    std::error_code ec;
    const fs::path dir = fs::weakly_canonical(outDir.empty() ? fs::path(".") : fs::path(outDir), ec);
    const fs::path src = fs::weakly_canonical(source, ec);
    if (dir != src.parent_path()) return std::nullopt;
    const std::string name = src.filename().string();
    for (const std::string& own : {stem + "000", sourceName + " - rebuild.bat", sourceName + " - rebuild.sh"})
        if (own == name) return own;
    // A piece is the stem, a number of three digits or more, and the kept extension or nothing.
    if (name.size() <= stem.size() || name.compare(0, stem.size(), stem) != 0) return std::nullopt;
    std::string rest = name.substr(stem.size());
    if (rest.size() > extension.size() && rest.compare(rest.size() - extension.size(), extension.size(), extension) == 0)
        rest.resize(rest.size() - extension.size());
    if (rest.empty() || rest.size() > 18 || rest.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
    const std::int64_t k = std::stoll(rest);
    if (k >= 1 && k <= count && pieceName("", k, "") == rest) return name;
    return std::nullopt;
}

}  // namespace

std::optional<std::int64_t> presetBytes(std::string_view entry) {
    for (const auto& p : kPresets)
        if (p.entry == entry || iequals(trim(entry), p.entry.substr(0, p.entry.find(" (")))) return p.bytes;
    return std::nullopt;
}

std::int64_t pieceCount(std::int64_t total, std::int64_t pieceSize) {
    if (pieceSize <= 0 || total <= 0) return 0;
    return (total + pieceSize - 1) / pieceSize;
}

std::int64_t pieceSizeForCount(std::int64_t total, std::int64_t count) {
    if (count <= 0) return 0;
    return static_cast<std::int64_t>(roundHalfEven(double(total) / double(count), 0));
}

std::string summaryLine(std::int64_t total, std::int64_t count) {
    std::string size;
    if (total <= 1024) size = std::to_string(total) + " Bytes = ";
    else if (total <= 1048576) size = numberText(roundHalfEven(total / 1024.0, 2)) + " KB = ";
    else size = numberText(roundHalfEven(total / 1048576.0, 2)) + " MB = ";
    return size + std::to_string(count) + " " + LangText("FileSplitter", 13);
}

std::optional<NameParts> nameParts(const std::string& fileName) {
    std::string name = fs::path(fileName).filename().string();
    auto dot = name.rfind('.');
    if (dot == std::string::npos) return std::nullopt;
    return NameParts{name.substr(0, dot + 1), name.substr(dot + 1)};
}

std::string shortStem(const std::string& stem) {
    if (stem.size() <= 9) return stem;
    return stem.substr(0, 6) + "~1.";
}

std::string pieceName(const std::string& stem, std::int64_t k, const std::string& suffix) {
    char digits[32];
    std::snprintf(digits, sizeof digits, "%03lld", static_cast<long long>(k));
    return stem + digits + suffix;
}

std::string infoRecord(const std::string& extension, const std::string& marker, std::int64_t count, std::int64_t pieceSize) {
    return extension + marker + "fwsplit" + std::to_string(count) + "fwfiles" + std::to_string(pieceSize);
}

std::optional<InfoRecord> parseInfoRecord(std::string_view record) {
    const auto p1 = record.rfind("fwsplit");
    const auto p2 = record.rfind("fwfiles");
    if (p1 == std::string_view::npos || p2 == std::string_view::npos || p2 < p1 + 7) return std::nullopt;
    InfoRecord r;
    r.extension = record.substr(0, p1);
    if (r.extension.find_first_of(std::string_view("/\0", 2)) != std::string::npos) return std::nullopt;
    // A record saved by an editor may end with a line break.
    std::string_view sizeText = record.substr(p2 + 7);
    while (!sizeText.empty() && (sizeText.back() == '\n' || sizeText.back() == '\r')) sizeText.remove_suffix(1);
    const auto count = parseNumber(std::string(record.substr(p1 + 7, p2 - p1 - 7)));
    const auto size = parseNumber(trim(std::string(sizeText)));
    if (!count || !size || *count < 1 || *size < 1 || *count != std::floor(*count) || *size != std::floor(*size) ||
        *count > 1e6 || *count * *size > 9e18)
        return std::nullopt;
    r.count = static_cast<std::int64_t>(*count);
    r.pieceSize = static_cast<std::int64_t>(*size);
    // A keep-extension split: the marker goes, and every piece carries the extension.
    if (r.extension.size() > 3 && r.extension.compare(r.extension.size() - 3, 3, "000") == 0) {
        r.extension.resize(r.extension.size() - 3);
        r.suffix = "." + r.extension;
    }
    return r;
}

std::optional<std::string> nameInRebuildScript(std::string_view script, const std::string& stem) {
    const std::string tmp = "mv " + quoteSh(stem + "rebuild-part") + " ";
    const auto at = script.find(tmp);
    if (at == std::string_view::npos) return std::nullopt;
    const auto end = script.find('\n', at + tmp.size());
    auto name = unquoteSh(script.substr(at + tmp.size(), end == std::string_view::npos ? std::string_view::npos : end - at - tmp.size()));
    if (!name || name->empty() || name->find_first_of(std::string_view("/\0", 2)) != std::string::npos || *name == "." ||
        *name == "..")
        return std::nullopt;
    return name;
}

std::string rebuildBat(const std::string& stem, std::int64_t count, const std::string& suffix, const std::string& sourceName) {
    const char* nl = "\r\n";
    std::string s = std::string("@ECHO off") + nl + "ECHO." + nl;
    for (int key : {14, 15, 16}) s += LangText("FileSplitter", key) + nl;
    s += std::string("ECHO.") + nl + "COPY /B ";
    for (std::int64_t k = 1; k <= count; ++k) s += batName(pieceName(stem, k, suffix)) + (k < count ? "+" : "");
    s += " " + batName(stem) + nl;
    s += "REN " + batName(stem) + " \"" + sourceName + "\"" + nl;
    s += std::string("ECHO.") + nl + LangText("FileSplitter", 17) + nl;
    return s;
}

std::string rebuildSh(const std::string& stem, std::int64_t count, const std::string& suffix, const std::string& sourceName) {
    // The comment line takes the name without its line breaks: a name may hold any byte but "/".
    std::string s = "#!/bin/sh\n# Rebuilds " + displayText(replaceAll(sourceName, "\n", " ")) +
                    " from its pieces: run it in the pieces' folder.\nset -e\ncd \"$(dirname \"$0\")\"\ncat";
    for (std::int64_t k = 1; k <= count; ++k) s += " " + quoteSh(pieceName(stem, k, suffix));
    const std::string tmp = quoteSh(stem + "rebuild-part");
    s += " > " + tmp + "\nmv " + tmp + " " + quoteSh(sourceName) + "\necho " + quoteSh(sourceName + " rebuilt.") + "\n";
    return s;
}

std::optional<Message> CheckForFile(const std::string& name) {
    const std::string t = trim(name);
    if (t.empty()) return Message::lang("FileSplitterMsgBox", 5, Icon::Exclamation, LangText("FileSplitterMsgBox", 6));
    std::error_code ec;
    if (!fs::is_regular_file(t, ec))
        return Message::fixed(LangText("FileSplitterMsgBox", 7) + t + LangText("FileSplitterMsgBox", 8), Icon::Exclamation,
                              LangText("FileSplitterMsgBox", 9));
    return std::nullopt;
}

double freeSpaceMB(const std::string& folder) {
    struct statvfs st {};
    if (::statvfs(folder.c_str(), &st) != 0) return 0;
    return roundHalfEven(double(st.f_bavail) * double(st.f_frsize) / 1048576.0, 2);
}

std::string freeSpaceText(double fileMB, double freeMB, const std::string& mountPoint) {
    if (fileMB > freeMB) return LangText("General", 17) + " " + mountPoint + LangText("General", 18);
    return LangText("General", 19) + " " + mountPoint + LangText("General", 20) + " " + numberText(freeMB) + " MBytes";
}

SplitResult SplitFile(const SplitRequest& r, Progress progress) {
    SplitResult res;
    const auto start = std::chrono::steady_clock::now();
    auto fail = [&](Message m) {
        res.status = LangText("FileSplitter", 11);
        res.messages.push_back(std::move(m));
        return res;
    };
    std::error_code ec;
    const std::int64_t total = static_cast<std::int64_t>(fs::file_size(r.source, ec));
    if (ec) return fail(splitterMessage(3));
    // The count the user asked for is the count written; a piece size gives its count rounded up.
    const std::int64_t count = r.count != 0 ? r.count : pieceCount(total, r.pieceSize);
    const std::int64_t pieceSize = r.count > 0 ? pieceSizeForCount(total, r.count) : r.pieceSize;
    res.count = count;
    res.pieceSize = pieceSize;
    if (r.count == 0 && r.pieceSize <= 0) return fail(splitterMessage(26));
    if (count - 1 < 1) return fail(splitterMessage(r.count > 0 || r.count < 0 ? 25 : 1));
    if (pieceSize < 1 || total - (count - 1) * pieceSize < 1) {
        Message m = splitterMessage(22);
        m.suffix = " " + std::to_string(total) + " / " + std::to_string(count);
        return fail(m);
    }
    auto parts = nameParts(r.source);
    if (!parts) return fail(splitterMessage(3));
    const std::string outDir = r.outDir.empty() ? fs::path(r.source).parent_path().string() : r.outDir;
    if (!outDir.empty() && !fs::is_directory(outDir, ec)) {
        Message m = splitterMessage(24);
        m.suffix = " " + outDir;
        return fail(m);
    }

    const std::string suffix = r.keepExtension ? "." + parts->extension : "";
    const std::string marker = r.keepExtension ? "000" : "";
    std::string stem = r.script ? shortStem(parts->stem) : parts->stem;
    const std::string sourceName = fs::path(r.source).filename().string();
    // A source named like one of the files the split writes would be overwritten before it is
    // read (backup.000), or deleted with the pieces (clip.001 with "delete the source").
    if (auto clash = nameClash(r.source, outDir, stem, count, "." + parts->extension, sourceName)) {
        Message m = splitterMessage(21);
        m.suffix = " " + *clash;
        return fail(m);
    }
    // Room for every piece, checked before anything is written.
    if (double(total) / 1048576.0 > freeSpaceMB(outDir.empty() ? "." : outDir)) return fail(splitterMessage(20));

    auto out = [&](const std::string& name) { return (fs::path(outDir) / name).string(); };
    // A folder or a device under one of the names would stop the renames at the end, after all
    // the writing: it is found now. A file or a link there is replaced, as the split does.
    auto blocked = [&](const std::string& name) {
        const auto type = fs::symlink_status(name, ec).type();
        return type != fs::file_type::not_found && type != fs::file_type::regular && type != fs::file_type::symlink;
    };
    std::vector<std::string> texts;
    if (!r.script || stem != parts->stem) texts.push_back(out(stem + "000"));
    if (r.script) texts.insert(texts.end(), {out(sourceName + " - rebuild.bat"), out(sourceName + " - rebuild.sh")});
    std::optional<std::string> blocker;
    for (const auto& t : texts)
        if (!blocker && blocked(t)) blocker = t;
    for (std::int64_t k = 1; k <= count && !blocker; ++k)
        if (blocked(out(pieceName(stem, k, suffix)))) blocker = out(pieceName(stem, k, suffix));
    if (blocker) {
        Message m = splitterMessage(28);
        m.suffix = " " + *blocker;
        return fail(m);
    }
    // Every file is written under a temporary name and all are renamed at the end, the info file
    // last: a split that fails takes its files away and leaves an earlier set of the same names
    // as it was, and no set that looks whole but is not stays behind.
    std::vector<std::pair<std::string, std::string>> staged, stagedTexts;  // temporary, final name
    auto discard = [&] {
        std::error_code ignored;
        for (const auto* list : {&staged, &stagedTexts})
            for (const auto& f : *list) fs::remove(f.first, ignored);
        staged.clear();
        stagedTexts.clear();
    };
    auto undo = [&](Message m) {
        discard();
        res.pieces.clear();
        res.infoFile.clear();
        res.batScript.clear();
        res.shScript.clear();
        return fail(std::move(m));
    };
    // The renames, all or none. Every earlier file under a final name is moved aside first; should
    // a rename fail half way, the files already renamed go, the earlier ones come back, and the
    // folder is as it was. Only when every file is in place do the earlier ones go.
    auto publish = [&] {
        std::error_code ignored;
        std::vector<std::pair<std::string, std::string>> aside;  // final name, name aside
        std::vector<std::string> placed;
        auto rollBack = [&] {
            for (const auto& f : placed) fs::remove(f, ignored);
            for (const auto& [final, moved] : aside) std::rename(moved.c_str(), final.c_str());
            discard();
            return false;
        };
        for (const auto* list : {&staged, &stagedTexts})
            for (const auto& f : *list) {
                const fs::path final(f.second);
                const auto type = fs::symlink_status(final, ignored).type();
                if (type == fs::file_type::not_found) continue;
                // Checked before the writing; one that came since is not moved, nor deleted.
                if (type != fs::file_type::regular && type != fs::file_type::symlink) return rollBack();
                const std::string moved = (final.parent_path() / ("." + final.filename().string() + ".old." + std::to_string(::getpid()))).string();
                if (std::rename(final.c_str(), moved.c_str()) != 0) return rollBack();
                aside.emplace_back(final.string(), moved);
            }
        for (const auto* list : {&staged, &stagedTexts})
            for (const auto& [temp, final] : *list) {
                if (std::rename(temp.c_str(), final.c_str()) != 0) return rollBack();
                placed.push_back(final);
            }
        for (const auto& m : aside) fs::remove(m.second, ignored);
        staged.clear();
        stagedTexts.clear();
        return true;
    };
    auto writeText = [&](const std::string& path, const std::string& text, mode_t mode = 0) {
        AtomicFileWriter w(path);
        w.write(text.data(), text.size());
        if (mode != 0 && w.ok() && ::fchmod(w.fd(), mode) != 0) return false;
        std::string temp = w.release();
        if (temp.empty()) return false;
        stagedTexts.emplace_back(std::move(temp), path);
        return true;
    };
    if (r.script) {
        if (stem != parts->stem) {
            res.infoFile = out(stem + "000");
            if (!writeText(res.infoFile, infoRecord(parts->extension, "", count, pieceSize))) return undo(splitterMessage(3));
        }
        res.batScript = out(sourceName + " - rebuild.bat");
        res.shScript = out(sourceName + " - rebuild.sh");
        if (!writeText(res.batScript, rebuildBat(stem, count, suffix, sourceName)) ||
            !writeText(res.shScript, rebuildSh(stem, count, suffix, sourceName), 0755))
            return undo(splitterMessage(3));
    } else {
        res.infoFile = out(stem + "000");
        if (!writeText(res.infoFile, infoRecord(parts->extension, marker, count, pieceSize))) return undo(splitterMessage(3));
    }

    const int in = openRegular(r.source, O_RDONLY);
    if (in < 0) return undo(splitterMessage(3));
    std::uint64_t done = 0;
    bool ok = true;
    for (std::int64_t k = 1; k <= count && ok; ++k) {
        const std::int64_t len = k < count ? pieceSize : total - (count - 1) * pieceSize;
        const std::string piece = out(pieceName(stem, k, suffix));
        AtomicFileWriter w(piece);
        ok = w.ok() && copyRange(in, (k - 1) * pieceSize, w.fd(), len, progress, done, static_cast<std::uint64_t>(total),
                                 res.stopped);
        std::string temp = ok ? w.release() : std::string();
        ok = !temp.empty();
        if (ok) {
            res.pieces.emplace_back(piece, len);
            staged.emplace_back(std::move(temp), piece);
        }
    }
    ::close(in);
    res.elapsed = seconds(start);
    if (res.stopped) {
        // Nothing to report; the finished pieces and the info file stay. Pieces of an earlier set
        // under the names this split did not reach go: they would join with the new info file.
        const std::int64_t finished = static_cast<std::int64_t>(staged.size());
        if (!publish()) {
            res.stopped = false;  // a failure to tell, not a stop
            return undo(splitterMessage(3));
        }
        for (std::int64_t k = finished + 1; k <= count; ++k) fs::remove(out(pieceName(stem, k, suffix)), ec);
        return res;
    }
    if (!ok || !publish()) return undo(splitterMessage(3));
    res.ok = true;
    const std::string n = std::to_string(count);
    if (res.elapsed > 60) {
        const std::string m = numberText(roundHalfEven(res.elapsed / 60, 2));
        res.messages.push_back(Message::fixed(LangText("FileSplitterMsgBox", 2) + " " + m + " min!..."));
        res.status = LangText("FileSplitter", 10) + " " + m + " min! (" + n + LangText("FileSplitter", 21) + ")";
    } else {
        const std::string s = numberText(roundHalfEven(res.elapsed, 0));
        res.messages.push_back(Message::fixed(LangText("FileSplitterMsgBox", 2) + " " + s + " sec!..."));
        res.status = LangText("FileSplitter", 10) + " " + s + " sec! (" + n + LangText("FileSplitter", 21) + ")";
    }
    return res;
}

JoinResult AssemblyFiles(const std::string& infoPath, Progress progress, bool replace) {
    JoinResult res;
    const auto start = std::chrono::steady_clock::now();
    auto fail = [&](std::optional<Message> m) {
        res.status = LangText("FileSplitter", 11);
        if (m) res.messages.push_back(std::move(*m));
        return res;
    };
    // An info record is a few dozen bytes; anything long is not one.
    std::string record;
    {
        const int fd = openRegular(infoPath, O_RDONLY);
        if (fd < 0) return fail(splitterMessage(4));
        char buf[4096];
        const ssize_t n = ::read(fd, buf, sizeof buf);
        ::close(fd);
        if (n <= 0) return fail(splitterMessage(4));
        record.assign(buf, static_cast<std::size_t>(n));
    }
    const auto parsed = parseInfoRecord(record);
    if (!parsed) return fail(splitterMessage(4));
    const auto& [extension, recordSuffix, n, pieceSize] = *parsed;
    std::string suffix = recordSuffix;
    const std::string info = infoPath;
    const auto dot = info.rfind('.');
    if (dot == std::string::npos || info.find('/', dot) != std::string::npos) return fail(splitterMessage(4));
    const std::string base = info.substr(0, dot + 1);
    res.output = base + extension;
    std::error_code ec;
    // A set made with the rebuild scripts has a shortened stem; its shell script names the file.
    if (auto original = nameFromScript(fs::path(info).parent_path().empty() ? fs::path(".") : fs::path(info).parent_path(),
                                       fs::path(info.substr(0, dot + 1)).filename().string()))
        res.output = (fs::path(info).parent_path() / *original).string();
    // A short name from the script option keeps no marker in the record, yet its pieces may carry
    // the extension: the names on disk decide.
    if (suffix.empty() && !extension.empty() && !fs::exists(base + pieceName("", 1, ""), ec) &&
        fs::exists(base + pieceName("", 1, "." + extension), ec))
        suffix = "." + extension;

    // A set whose joined name is one of its own files (a source named clip.001 split into another
    // folder) would be written over itself: refused before anything is written.
    {
        const fs::path out = fs::weakly_canonical(res.output, ec);
        bool clash = out == fs::weakly_canonical(infoPath, ec);
        for (std::int64_t k = 1; k <= n && !clash; ++k) clash = out == fs::weakly_canonical(base + pieceName("", k, suffix), ec);
        if (clash) {
            Message m = splitterMessage(23);
            m.suffix = " " + res.output;
            return fail(m);
        }
    }

    // Every piece must be there with its size before anything is written. The last one holds what
    // is left: nothing, for an exact multiple split by the rule Int(total / size) + 1, or up to
    // half a byte per piece more than the others, for a count-mode split.
    std::vector<std::pair<std::string, std::int64_t>> pieces;
    // A piece that is a link is refused: a set unpacked from an archive could point one at any
    // file of the user's, and the join would copy it into the joined file.
    for (std::int64_t k = 1; k <= n; ++k) {
        const std::string p = base + pieceName("", k, suffix);
        const auto type = fs::symlink_status(p, ec).type();
        const bool plain = type == fs::file_type::regular;
        const auto len = plain ? static_cast<std::int64_t>(fs::file_size(p, ec)) : -1;
        const bool good = plain && !ec && (k < n ? len == pieceSize : (len >= 0 && len <= pieceSize + n));
        if (!good) {
            const bool odd = type != fs::file_type::not_found && type != fs::file_type::regular && type != fs::file_type::none;
            Message m = splitterMessage(odd ? 27 : 19, Icon::Exclamation);
            m.suffix = " " + p;
            return fail(m);
        }
        pieces.emplace_back(p, len);
    }
    if (!replace && fs::exists(fs::symlink_status(res.output, ec))) {
        Message m = splitterMessage(29);
        m.suffix = " " + res.output;
        return fail(m);
    }
    std::uint64_t total = 0;
    for (const auto& p : pieces) total += static_cast<std::uint64_t>(p.second);
    if (double(total) / 1048576.0 > freeSpaceMB(fs::path(res.output).parent_path().string().empty() ? "." : fs::path(res.output).parent_path().string()))
        return fail(splitterMessage(20));

    AtomicFileWriter w(res.output);
    std::uint64_t done = 0;
    bool ok = w.ok();
    for (const auto& [path, len] : pieces) {
        if (!ok) break;
        const int in = openRegular(path, O_RDONLY | O_NOFOLLOW);
        ok = in >= 0 && copyRange(in, 0, w.fd(), len, progress, done, total, res.stopped);
        if (in >= 0) ::close(in);
    }
    if (res.stopped) return res;
    // Unasked, a file that came under the name during the join is not replaced either.
    const bool committed = ok && (replace ? w.commit() : w.commitNew());
    if (!committed && w.targetTaken()) {
        Message m = splitterMessage(29);
        m.suffix = " " + res.output;
        return fail(m);
    }
    if (!committed) return fail(Message::lang("FileSplitter", 11, Icon::Critical, LangText("FormCaptions", 18)));
    res.ok = true;
    res.bytes = static_cast<std::int64_t>(total);
    res.elapsed = seconds(start);
    res.status = LangText("FileSplitter", 12) + " " + numberText(roundHalfEven(res.elapsed, 0)) + " s! (" +
                 fs::path(res.output).filename().string() + ")";
    return res;
}

}  // namespace fw::splitter
