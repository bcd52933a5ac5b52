#pragma once

// Finding the hero's nickname and hand-history folder in the poker client's own user.ini.
// The client runs under Wine here, so its file lives inside a Wine prefix, and the folder it
// names is a Windows path that has to become the Linux path inside that prefix.

#include <string>

// $WINEPREFIX, or ~/.wine when it is not set (or set empty), as Wine itself decides.
std::wstring WinePrefixFolder();

// The name Wine gives the user's profile folder: the login name of the effective user from
// the password database, or $USER when the database has no entry. Empty when neither is known.
std::wstring LoginName();

// <prefix>/drive_c/users/<login>/AppData/Local/PokerStars/user.ini. A folder whose exact
// spelling is not there is matched without regard to case against the folders that are.
std::wstring ClientIniPath(const std::wstring& prefix, const std::wstring& login);

// A Windows path such as "C:\Users\x\Hands\" as the Linux path inside the prefix:
// "<prefix>/drive_c/Users/x/Hands/". The drive goes through <prefix>/dosdevices/<letter>:
// (its link resolved); without that entry C: is <prefix>/drive_c. Both separators are
// accepted, a trailing one is kept. Windows names ignore case and Linux names do not, so a
// component whose exact spelling does not exist is matched without regard to case against
// what does; components past the first one that matches nothing stay as written. Empty when
// the text names no drive ("Hands", "\\server\share") or the prefix has no such drive.
std::wstring LinuxPathInPrefix(const std::wstring& prefix, const std::wstring& windowsPath);

// The nickname and/or the folder from the client's user.ini in WinePrefixFolder(). The folder
// is read as "SaveMyHandsPath" from the keys before any section, then from "PipeOption", then
// from "Options"; the nickname as "Name" in "User". When both are asked for and a folder is
// found, the nickname is joined to it with one separator. A value that is not asked for is
// left alone; one that is asked for but not found (or the whole file missing) comes back empty.
void AutoDetect(std::wstring& nickname, bool wantNick, std::wstring& folder, bool wantFolder);
