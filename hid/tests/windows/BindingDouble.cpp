// A library to bind at run time: every entry point of the tests' table, or all but the last.
#include <windows.h>

extern "C" {

__declspec(dllexport) int WINAPI FirstEntry() {
    return 1;
}

__declspec(dllexport) int WINAPI SecondEntry() {
    return 2;
}

#ifndef LACK_THIRD_ENTRY
__declspec(dllexport) int WINAPI ThirdEntry() {
    return 3;
}
#endif
}
