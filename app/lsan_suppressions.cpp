// Sanitizer builds only: LeakSanitizer's default suppressions for the program.
// Fontconfig keeps the caches that cairo (the data sheets) and Qt fill for the
// life of the process; they are not this program's leaks. Every other leak
// still fails the run. The list of suppressions used is not printed: the
// program's standard error is its own.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
extern "C" const char* __lsan_default_options() { return "print_suppressions=0"; }
