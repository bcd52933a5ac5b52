#include "corvask/NativePath.h"

#include "corvask/Utf8Text.h"

namespace corvask {

bool ToNativePath(std::wstring_view path, std::string& native)
{
    native.clear();
    if (path.find(L'\0') != std::wstring_view::npos)
        return false;
    return AppendUtf8Unescaped(path, native);
}

std::wstring FromNativePath(std::string_view native)
{
    std::wstring path;
    AppendUtf8Escaped(native, path);
    return path;
}

} // namespace corvask
