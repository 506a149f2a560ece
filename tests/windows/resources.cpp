// Prints what Windows itself reads from a program's resources, through the calls that Explorer
// and PowerShell use: the version numbers, each text of the version resource, and the manifest.
// Usage: resources PROGRAM
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <windows.h>

namespace {

constexpr const char *TEXTS[] = {"FileDescription", "FileVersion",      "InternalName",
                                 "LegalCopyright",  "OriginalFilename", "ProductName",
                                 "ProductVersion"};

void print_version(const char *what, DWORD most, DWORD least)
{
    printf("%s %u.%u.%u.%u\n", what, HIWORD(most), LOWORD(most), HIWORD(least), LOWORD(least));
}

bool print_version_resource(const char *program)
{
    static char data[65536];
    const DWORD size = GetFileVersionInfoSizeA(program, nullptr);
    if (size == 0 || size > sizeof data || !GetFileVersionInfoA(program, 0, size, data))
        return false;
    VS_FIXEDFILEINFO *fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(data, "\\", reinterpret_cast<void **>(&fixed), &length))
        return false;
    print_version("file", fixed->dwFileVersionMS, fixed->dwFileVersionLS);
    print_version("product", fixed->dwProductVersionMS, fixed->dwProductVersionLS);
    for (const char *name : TEXTS) {
        char query[64];
        snprintf(query, sizeof query, "\\StringFileInfo\\040904b0\\%s", name);
        char *text = nullptr;
        if (!VerQueryValueA(data, query, reinterpret_cast<void **>(&text), &length))
            return false;
        printf("%s: %s\n", name, text);
    }
    return true;
}

bool print_manifest(const char *program)
{
    const HMODULE module = LoadLibraryExA(program, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (module == nullptr)
        return false;
    const HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    const HGLOBAL loaded = found == nullptr ? nullptr : LoadResource(module, found);
    if (loaded == nullptr)
        return false;
    fwrite(LockResource(loaded), 1, SizeofResource(module, found), stdout);
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    // Lines end as the test reads them, in a line feed alone.
    (void)_setmode(_fileno(stdout), _O_BINARY);
    if (argc != 2 || !print_version_resource(argv[1]) || !print_manifest(argv[1])) {
        fprintf(stderr, "resources: cannot read the resources of the program\n");
        return 1;
    }
    return 0;
}
