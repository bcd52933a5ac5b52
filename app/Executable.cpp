#include "app/Executable.h"

#include "app/WideText.h"

#include <filesystem>
#include <system_error>

std::wstring ExecutablePath()
{
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec)
        return {};
    return FromUtf8(self.native());
}

std::wstring ExecutableBaseName()
{
    const std::wstring path = ExecutablePath();
    const std::wstring stem = FromUtf8(ToNativePath(path).stem().native());
    return stem.empty() ? std::wstring(L"Zellwick") : stem;
}
