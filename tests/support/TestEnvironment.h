#pragma once

#include <string>

namespace zellwick::test {

// Points HOME and XDG_CONFIG_HOME at a fresh folder before anything reads them, and lets the
// state and data folders follow HOME, so a test run never sees or changes the real user's
// settings, log or sessions. Returns the folder.
std::string IsolateUserFolders();
void RemoveUserFolders(const std::string& folder);

} // namespace zellwick::test
