#pragma once
// Command-line arguments of one command: options with and without values, and positionals.
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace fw::cli {

class Args {
public:
    // `withValue` lists the options that take a value; every other "--name" is a flag.
    Args(const std::vector<std::string>& argv, const std::set<std::string>& withValue,
         const std::set<std::string>& flags);

    bool ok() const { return m_error.empty(); }
    const std::string& error() const { return m_error; }
    bool has(const std::string& name) const { return m_values.count(name) > 0; }
    std::optional<std::string> get(const std::string& name) const;
    std::vector<std::string> all(const std::string& name) const;
    const std::vector<std::string>& positionals() const { return m_positionals; }

private:
    std::multimap<std::string, std::string> m_values;
    std::vector<std::string> m_positionals;
    std::string m_error;
};

// Today's date and the time now, as reports print them ("2026-12-05", "17:30:00").
void dateAndTime(std::string& date, std::string& time);

// The files a batch command works on: files as named, and the files of each folder named whose
// extension (lower case, with the dot) is one of `extensions`, with its sub-folders when
// `recursive`; sorted by name within each folder. Folders that cannot be read are reported in
// `errors` and skipped.
std::vector<std::string> expandFiles(const std::vector<std::string>& names, bool recursive,
                                     const std::set<std::string>& extensions, std::vector<std::string>* errors);

// One CSV field as RFC 4180 has it: quoted when it holds a comma, a quote or a line break.
std::string csvField(const std::string& s);
std::string csvRow(const std::vector<std::string>& fields);

// A file a command writes where the user says: refused when it is one of the command's inputs,
// which it would destroy before or while reading it (--overwrite or not), when it is a folder, a
// pipe or a device, and, unless `overwrite`, when a file is there already. Nothing, or the
// refusal's text.
std::optional<std::string> outputRefusal(const std::string& out, const std::vector<std::string>& inputs, bool overwrite);

// A failure the user must read: prints it to standard error and gives the exit code.
int fail(const std::string& message, int code = 1);

}  // namespace fw::cli
