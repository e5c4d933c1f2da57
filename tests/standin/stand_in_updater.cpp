// Stands in for an external updater on Windows: records the arguments as the C runtime split them
// from the one command line Windows passes, and what it was given, beside itself. Built without Qt,
// linked statically, so that it runs from any folder.
#include <windows.h>

#include <string>

namespace {

std::wstring folderOf(const std::wstring &path)
{
    const auto slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring(L".") : path.substr(0, slash);
}

std::wstring nameOf(const std::wstring &path)
{
    const auto slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

bool exists(const std::wstring &path)
{
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string utf8(const std::wstring &text)
{
    if (text.empty())
        return {};
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(size_t(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), out.data(), size, nullptr, nullptr);
    return out;
}

void writeFile(const std::wstring &path, const std::string &bytes)
{
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
}

std::string readFile(const std::wstring &path)
{
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {};
    std::string bytes;
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        bytes.append(buffer, got);
    ::CloseHandle(file);
    return bytes;
}

} // namespace

int wmain(int argc, wchar_t **argv)
{
    wchar_t self[MAX_PATH * 4];
    const DWORD length = ::GetModuleFileNameW(nullptr, self, DWORD(sizeof self / sizeof self[0]));
    const std::wstring path(self, length);
    const std::wstring dir = folderOf(path) + L"\\";
    const std::wstring name = nameOf(path);

    std::string args;
    for (int i = 1; i < argc; ++i)
        args += utf8(argv[i]) + "\n";
    writeFile(dir + L"args-" + name + L".txt", args);
    if (exists(dir + L"Ethernet_Update.xml"))
        ::CopyFileW((dir + L"Ethernet_Update.xml").c_str(), (dir + L"job-copy.xml").c_str(), FALSE);
    if (exists(dir + L"updater-sleep"))
        ::Sleep(DWORD(std::stoul("0" + readFile(dir + L"updater-sleep")) * 1000));
    writeFile(dir + L"done-" + name, std::string());
    return 0;
}
