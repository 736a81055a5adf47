// A program that leaves the DLL search as the system sets it and loads each
// library named on its command line by that bare name. Started beside the
// planted libraries it takes them, which shows that their marks would show a
// program that does the same.

#include <windows.h>

int wmain(int argc, wchar_t** argv)
{
    for (int i = 1; i < argc; ++i) {
        HMODULE library = ::LoadLibraryW(argv[i]);
        if (library)
            ::FreeLibrary(library);
    }
    return 0;
}
