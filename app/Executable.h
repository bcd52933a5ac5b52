#pragma once

// Facts about the running executable that the application object needs before Qt starts.

#include <string>

// Full path of the running executable; empty when the system does not tell.
std::wstring ExecutablePath();

// The executable's file name without its extension: the application name that names the
// settings. "Zellwick" when the system does not tell.
std::wstring ExecutableBaseName();
