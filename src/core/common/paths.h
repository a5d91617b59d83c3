#pragma once
// Where the program finds its shipped files and keeps the user's.
//
// Portable layout: the executable's folder holds lang/ and can be written to (an unpacked copy, or
// the build tree). Settings, data and the language files then all live in that folder.
// Installed layout: shipped files in <prefix>/share/framewise, settings in
// $XDG_CONFIG_HOME/framewise, data the user changes in $XDG_DATA_HOME/framewise. A program folder
// that holds lang/ but cannot be written (unpacked as root into /opt) ships its files from there
// and keeps the user's in the XDG folders.
// FRAMEWISE_HOME names a folder to use as the portable program folder (tests run in their own).
#include <string>

namespace fw {

struct AppPaths {
    std::string programFolder;  // where the executable lives (or FRAMEWISE_HOME)
    std::string settingsPath;   // the user's settings.ini
    std::string langDir;        // the language files
    std::string shippedDataDir; // read-only shipped data (default settings, codec seed)
    std::string userDataDir;    // writable data (codec database, downloads)
    bool portable = false;
};

// Works the layout out from the environment and the executable's location; call again after
// changing FRAMEWISE_HOME (tests do). Creates the user folders when they are missing.
const AppPaths& initPaths();
// The same for an executable in exeFolder (tests lay out an installed prefix this way).
const AppPaths& initPathsFor(const std::string& exeFolder);
const AppPaths& paths();

// The user's settings.ini is a copy of the shipped default; makes it when it does not exist yet.
// False when it does not exist and could not be made (errno says why: ENOENT when nothing is
// shipped to copy).
bool ensureUserSettings();
// The layout when it has been worked out, else nullptr (nothing is created to answer).
const AppPaths* knownPaths();

std::string executableFolder();

}  // namespace fw
