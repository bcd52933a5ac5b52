#pragma once

#include <functional>

namespace zellwick::test {

// Runs check in a child process as the unprivileged user 65534 (no supplementary groups) and
// returns its result; -1 when the child could not drop its privileges. The check must not
// touch gtest: it only computes a number.
int RunAsOtherUser(const std::function<int()>& check);

} // namespace zellwick::test
