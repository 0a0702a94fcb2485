/* Prints what Windows reads from an executable's version information, one "Name=value" line
 * each: FileVersion and ProductVersion of the fixed part, then the strings of the first
 * translation it lists.
 *
 *   version_probe FILE */
#include <stdio.h>
#include <stdlib.h>
#include <windows.h>

int main(int argc, char** argv) {
    static const char* const names[] = {"ProductName",  "FileVersion",      "ProductVersion",
                                        "CompanyName",  "FileDescription",  "LegalCopyright",
                                        "InternalName", "OriginalFilename", NULL};
    DWORD handle = 0, size;
    char* data;
    VS_FIXEDFILEINFO* fixed;
    WORD* translation;
    UINT length = 0;
    int i;
    if (argc != 2) return 2;
    size = GetFileVersionInfoSizeA(argv[1], &handle);
    if (size == 0) {
        printf("no version information (%lu)\n", GetLastError());
        return 1;
    }
    data = malloc(size);
    if (!data || !GetFileVersionInfoA(argv[1], 0, size, data)) return 1;
    if (VerQueryValueA(data, "\\", (void**)&fixed, &length) && length >= sizeof *fixed)
        printf("fixed=%u.%u.%u.%u\n", HIWORD(fixed->dwFileVersionMS),
               LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS),
               LOWORD(fixed->dwFileVersionLS));
    if (!VerQueryValueA(data, "\\VarFileInfo\\Translation", (void**)&translation, &length) ||
        length < 4)
        return 1;
    for (i = 0; names[i]; ++i) {
        char path[128];
        char* value = NULL;
        snprintf(path, sizeof path, "\\StringFileInfo\\%04x%04x\\%s", translation[0],
                 translation[1], names[i]);
        if (VerQueryValueA(data, path, (void**)&value, &length) && value)
            printf("%s=%s\n", names[i], value);
    }
    free(data);
    return 0;
}
