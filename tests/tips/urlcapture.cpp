// Stands in for the browser: appends the address it was asked to open, in UTF-8,
// to a file.
#include <windows.h>

#include <cstdio>
#include <string>

int wmain(int argc, wchar_t** argv) {
    if (argc < 3)
        return 2;
    std::FILE* file = _wfopen(argv[1], L"ab");
    if (!file)
        return 1;
    std::string line(
        std::size_t(WideCharToMultiByte(CP_UTF8, 0, argv[2], -1, nullptr, 0, nullptr, nullptr)),
        '\0');
    WideCharToMultiByte(CP_UTF8, 0, argv[2], -1, line.data(), int(line.size()), nullptr, nullptr);
    line.back() = '\n';
    std::fwrite(line.data(), 1, line.size(), file);
    std::fclose(file);
    return 0;
}
