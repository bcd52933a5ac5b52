#pragma once

#include <functional>
#include <string>

namespace zellwick::test {

// Runs check in a forked child and returns its exit status (or -1 when it did not exit).
// The child must not use Qt or gtest: it reports through the status alone.
int RunInChild(const std::function<int()>& check);

// Switches the calling (forked) process to uid/gid 65534. False when that is impossible.
bool DropToNobody();

// Makes the calling (forked, single-threaded) process root of a user namespace of its own, so
// that it may set the namespace's own inotify limits. False when the system forbids it.
bool EnterOwnUserNamespace();

// Writes text to a file that exists; false on failure.
bool WriteSystemFile(const std::string& file, const std::string& text);

} // namespace zellwick::test
