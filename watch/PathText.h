#pragma once

#include <string>
#include <string_view>

namespace zellwick::watch {

// File names are bytes here, while the watch speaks wide text. Names are read as UTF-8; a
// byte that is not part of valid UTF-8 is carried as U+DC80..U+DCFF, so that every name
// turns back into exactly the bytes it came from and the file can be opened again.
std::wstring WideFromNative(std::string_view bytes);
std::string NativeFromWide(std::wstring_view text);

} // namespace zellwick::watch
