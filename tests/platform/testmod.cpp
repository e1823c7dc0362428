// The module loaded by the loader tests.
#define VO_TESTMOD_EXPORT extern "C" __attribute__((visibility("default")))

VO_TESTMOD_EXPORT int voPlatformTestModValue() { return VO_TESTMOD_VALUE; }

VO_TESTMOD_EXPORT int voPlatformTestModTwice(int x) { return 2 * x; }
