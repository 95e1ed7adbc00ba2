// The platform layer on Windows. Paths are UTF-8 inside the game and UTF-16
// for Windows, so a folder named in any language works. The pictures are read
// from the dat\img\ beside kessary.exe, whatever folder the game was started
// in (a shortcut's "Start in", a command prompt elsewhere): the Windows
// counterpart of the Linux launcher, which starts the game in its picture
// folder. A player has no console, so every message is also shown in a box.
#include "platform.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr const wchar_t* kMessageTitle = L"kessary";
constexpr const wchar_t* kPictureSubfolder = L"dat\\img\\";  // beside kessary.exe
constexpr DWORD kLongestPath = 32768;  // characters, the longest path Windows allows

std::wstring wide(const std::string& text) {
    const int size =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(static_cast<std::size_t>(size > 0 ? size : 0), L'\0');
    if (size > 0) {
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(),
                            size);
    }
    return result;
}

std::string narrow(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0) {
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(),
                            size, nullptr, nullptr);
    }
    return result;
}

// The folder kessary.exe is in, with its trailing backslash; empty if unknown,
// and the pictures are then looked for in the working folder.
std::wstring programFolder() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return L"";
        }
        if (length < buffer.size() || buffer.size() >= kLongestPath) {
            std::wstring path(buffer.data(), length);
            return path.substr(0, path.find_last_of(L"\\/") + 1);
        }
        buffer.resize(buffer.size() * 2);  // cut short: try again with room to spare
    }
}

}  // namespace

int openPictureFile(const char* path) {
    // Not inherited by anything the libraries start.
    return _wopen(wide(path).c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
}

void setEnvironmentVariable(const char* name, const char* value) {
    // Both copies: the C library's, which getenv reads, and the process's, which SDL reads.
    _putenv_s(name, value);
    SetEnvironmentVariableW(wide(name).c_str(), wide(value).c_str());
}

const PictureFolder& pictureFolder() {
    static const PictureFolder folder{
        narrow(programFolder() + kPictureSubfolder),
        "; the dat folder must stay beside kessary.exe: unpack the whole zip again"};
    return folder;
}

void tellPlayer(Notice kind, const std::string& message) {
    std::fprintf(stderr, "kessary: %s\n", message.c_str());
    std::fflush(stderr);
    const UINT icon = kind == Notice::error ? MB_ICONERROR : MB_ICONWARNING;
    MessageBoxW(nullptr, wide(message).c_str(), kMessageTitle, MB_OK | icon | MB_SETFOREGROUND);
}
