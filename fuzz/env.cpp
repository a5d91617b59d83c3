// A harness built without the staged files beside it (only the fuzz targets built) takes the
// installed layout and would make settings and a codec database in the user's ~/.config and
// ~/.local: those go under a path that cannot exist instead, and a lookup there fails at once.
// In the usual build tree the harness's own folder is the portable home and this changes nothing.
#include <cstdlib>

namespace {
const bool kAwayFromUserFolders = [] {
    ::unsetenv("FRAMEWISE_HOME");
    ::setenv("XDG_CONFIG_HOME", "/dev/null/framewise-fuzz", 1);
    ::setenv("XDG_DATA_HOME", "/dev/null/framewise-fuzz", 1);
    return true;
}();
}  // namespace
