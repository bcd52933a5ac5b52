#include "tests/support/TestEnvironment.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace zellwick::test {

std::string IsolateUserFolders()
{
    std::string pattern =
        (std::filesystem::temp_directory_path() / "zellwick-home-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a private home for the tests");
    const std::string config = pattern + "/.config";
    std::filesystem::create_directories(config);
    ::setenv("HOME", pattern.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", pattern.c_str(), 1);
    ::unsetenv("XDG_STATE_HOME"); // a log that cannot sit beside the program goes to the home
    ::unsetenv("XDG_DATA_HOME");  // the sessions file too
    return pattern;
}

void RemoveUserFolders(const std::string& folder)
{
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
}

} // namespace zellwick::test
