// File: tests/support/sanitizer_defaults.cpp
// Built into every test and fuzz program: the leak suppressions for system libraries that live for
// the whole process, in force also when CTest lists the tests (no environment is passed then).
extern "C" {
const char* __lsan_default_suppressions();
const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\n"
           "leak:libfreetype\n"
           "leak:libQt6Core\n"
           "leak:libQt6Gui\n"
           "leak:libQt6Widgets\n"
           "leak:libQt6DBus\n"
           "leak:libdbus\n"
           "leak:libglib\n"
           "leak:libicuuc\n"
           "leak:libicui18n\n"
           "leak:libgnutls\n"
           "leak:libcrypto\n";
}
}
