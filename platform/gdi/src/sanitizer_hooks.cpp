// Fontconfig parses its configuration once per process and keeps parts of
// it where no pointer reaches them at exit. That memory is not ours to
// free, so leak checking in sanitizer builds leaves allocations made inside
// fontconfig out; every program that draws text links this library.
#if defined(__SANITIZE_ADDRESS__)
#define HELM_LEAK_CHECKED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define HELM_LEAK_CHECKED 1
#endif
#endif

#ifdef HELM_LEAK_CHECKED
extern "C" __attribute__((visibility("default"), used)) const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}
#endif
