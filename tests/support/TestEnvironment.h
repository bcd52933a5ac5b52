#pragma once

#include <string>

namespace zellwick::test {

// Points HOME, XDG_CONFIG_HOME and XDG_DATA_HOME at a fresh folder before anything reads them,
// so a test run never sees or changes the real user's settings or sessions. Returns the folder.
std::string IsolateUserFolders();
void RemoveUserFolders(const std::string& folder);

} // namespace zellwick::test
